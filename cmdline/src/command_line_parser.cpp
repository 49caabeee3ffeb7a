#include "cmdline/command_line_parser.hpp"

#include <utility>

#include "cmdline/trim.hpp"

namespace hx4x {

namespace {

std::string upper_case(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

}  // namespace

bool names_match(const std::vector<std::string>& names, bool case_sensitive,
                 const std::string& text) {
    const std::string key = case_sensitive ? trim(text) : upper_case(trim(text));
    for (const std::string& name : names) {
        if ((case_sensitive ? name : upper_case(name)) == key) {
            return true;
        }
    }
    return false;
}

CommandLineParser::CommandLineParser(std::string prefix_chars, char separator)
    : prefix_chars_(std::move(prefix_chars)), separator_(separator) {}

CommandLineArgument& CommandLineParser::define_argument(const std::string& name,
                                                        const std::string& description,
                                                        bool takes_value, bool case_sensitive,
                                                        bool hidden) {
    CommandLineArgument& argument = arguments_.emplace_back();
    argument.names.push_back(name);
    argument.description = description;
    argument.takes_value = takes_value;
    argument.case_sensitive = case_sensitive;
    argument.hidden = hidden;
    return argument;
}

void CommandLineParser::emit(const std::string& pending) {
    const std::string text = trim(pending);
    if (program_path_.name.empty() && program_path_.extension.empty()) {
        program_path_.assign(text);
        return;
    }
    if (!text.empty()) {
        tokens_.push_back(text);
    }
}

void CommandLineParser::set_command_line(const std::string& text) {
    program_path_.clear();
    error_message_.clear();
    tokens_.clear();
    if (trim(text).empty()) {
        return;
    }

    std::string pending;
    std::size_t position = 0;
    while (position < text.size()) {
        while (position < text.size() && is_blank(text[position])) {
            ++position;
        }
        if (position >= text.size()) {
            break;
        }
        if (text[position] == '"') {
            const auto closing = text.find('"', position + 1);
            if (closing == std::string::npos) {
                pending += text.substr(position + 1);
                break;
            }
            pending += text.substr(position + 1, closing - position - 1);
            emit(pending);
            pending.clear();
            position = closing + 1;
            continue;
        }
        const auto stop = text.find_first_of(" \t\"", position);
        if (stop == std::string::npos) {
            pending += text.substr(position);
            break;
        }
        pending += text.substr(position, stop - position);
        position = stop;
        if (text[stop] != '"') {
            ++position;
            if (!pending.empty()) {
                emit(pending);
                pending.clear();
            }
        }
    }
    if (!pending.empty()) {
        emit(pending);
    }
}

bool CommandLineParser::fail(std::string message) {
    error_message_ = std::move(message);
    return false;
}

CommandLineArgument* CommandLineParser::find(const std::string& text) {
    for (CommandLineArgument& argument : arguments_) {
        if (names_match(argument.names, argument.case_sensitive, text)) {
            return &argument;
        }
    }
    return nullptr;
}

const CommandLineArgument* CommandLineParser::find(const std::string& text) const {
    return const_cast<CommandLineParser*>(this)->find(text);
}

bool CommandLineParser::match(const std::string& token) {
    std::string name = token;
    std::string value;
    bool has_value = false;
    const auto split = token.find(separator_);
    if (split != std::string::npos) {
        name = split == 0 ? std::string(unnamed_parameter) : token.substr(0, split);
        has_value = true;
        value = token.substr(split + 1);
    }

    CommandLineArgument* argument = find(name);
    if (argument == nullptr) {
        argument = find(unnamed_parameter);
        if (argument != nullptr) {
            value = name;
            name = unnamed_parameter;
            has_value = true;
        }
    }
    if (argument == nullptr) {
        return fail("Unknown argument name: '" + name + "'");
    }
    if (!argument->repeatable && argument->given) {
        return fail("The argument '" + name +
                    "' must not occur in the command line more than once");
    }
    argument->given = true;
    if (argument->takes_value) {
        if (!has_value) {
            return fail("Value not given for the argument '" + name + "'");
        }
        if (!argument->allowed_values.empty()) {
            bool allowed = false;
            for (const AllowedValue& candidate : argument->allowed_values) {
                if (names_match(candidate.names, candidate.case_sensitive, value)) {
                    allowed = true;
                    break;
                }
            }
            if (!allowed) {
                return fail("Illegal value '" + value + "' of the argument '" + name + "'");
            }
        }
        argument->values.push_back(value);
    } else if (has_value) {
        return fail("It is not possible to give a value for argument '" + name + "'");
    }
    return true;
}

std::string CommandLineParser::without_prefix(const std::string& token) const {
    if (token.empty() || prefix_chars_.find(token.front()) == std::string::npos) {
        return token;
    }
    if (!posix_prefix_rules_) {
        return token.substr(1);
    }
    if (token.front() == '-' && token.size() > 1 && token[1] == '-') {
        return token.substr(2);
    }
    if (token.front() == '/') {
        const std::string rest = token.substr(1);
        const CommandLineArgument* argument = find(rest.substr(0, rest.find(separator_)));
        const bool names_an_option =
            argument != nullptr && !names_match(argument->names, true, unnamed_parameter);
        return names_an_option ? rest : token;
    }
    return token.substr(1);
}

bool CommandLineParser::parse() {
    for (const std::string& token : tokens_) {
        if (!match(without_prefix(token))) {
            return false;
        }
    }
    for (const CommandLineArgument& argument : arguments_) {
        if (argument.mandatory && !argument.given) {
            return fail("Value is not given for the mandatory argument '" + argument.names.front() +
                        "'");
        }
    }
    return true;
}

bool CommandLineParser::is_given(const std::string& name) const {
    const CommandLineArgument* argument = find(name);
    return argument != nullptr && argument->given;
}

std::string CommandLineParser::argument_value(const std::string& name, std::size_t index) const {
    const CommandLineArgument* argument = find(name);
    if (argument == nullptr || index >= argument->values.size()) {
        return {};
    }
    return argument->values[index];
}

}  // namespace hx4x
