#include "cmdline/command_line_parser.hpp"

namespace hx4x {

namespace {

// main(alt1,alt2)
std::string names_text(const std::vector<std::string>& names) {
    if (names.empty()) {
        return {};
    }
    std::string text = names.front();
    if (names.size() > 1) {
        text += "(";
        for (std::size_t i = 1; i < names.size(); ++i) {
            if (i > 1) {
                text += ",";
            }
            text += names[i];
        }
        text += ")";
    }
    return text;
}

}  // namespace

std::string parse_error_text(const std::string& message) {
    return "Command line parsing error:\n\t" + message;
}

std::string CommandLineParser::error_text() const {
    if (error_message_.empty()) {
        return {};
    }
    return parse_error_text(error_message_);
}

std::string CommandLineParser::argument_usage(std::size_t index) const {
    if (index >= arguments_.size()) {
        return {};
    }
    const CommandLineArgument& argument = arguments_[index];
    std::string text = names_text(argument.names);
    if (argument.takes_value) {
        text += separator_;
        text += "<" + argument.value_name + ">";
    }
    text += " - " + argument.description;
    if (argument.mandatory) {
        text += "\n\t\tUsage of this argument is mandatory";
    }
    if (argument.repeatable) {
        text += "\n\t\tThis argument may be repeated several times in the command line";
    }
    if (!argument.allowed_values.empty()) {
        text += "\n\t\tAllowed values for the parameter <" + argument.value_name + ">:";
        for (const AllowedValue& value : argument.allowed_values) {
            text += "\n\t\t\t" + names_text(value.names) + " - " + value.description;
        }
    }
    return text;
}

std::string CommandLineParser::usage_text() const {
    std::string text = "Program usage format:\n";
    text += "\t" + program_path_.name_with_extension();
    text += " [ <argument name>[";
    text += separator_;
    text += "<argument value>] ] ... ]";
    text += "\n\nAllowed arguments list:\n\n";
    unsigned count = 0;
    for (std::size_t i = 0; i < arguments_.size(); ++i) {
        if (arguments_[i].hidden) {
            continue;
        }
        ++count;
        const std::string number = std::to_string(count);
        text += "\t" + (number.size() < 2 ? " " + number : number) + ". ";
        text += argument_usage(i) + "\n\n";
    }
    return text;
}

}  // namespace hx4x
