#include "console/command_line_mistakes.hpp"

#include <algorithm>

#include "console/console_texts.hpp"

namespace hx4x {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_name_char(char c) {
    return is_letter(c) || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

std::string_view before_separator(std::string_view text) {
    return text.substr(0, std::min(text.find('='), text.size()));
}

// The token's name when it is written as NAME=VALUE without a prefix.
std::string_view assigned_name(std::string_view token) {
    const std::string_view name = before_separator(token);
    if (name.size() == token.size() || name.empty() || !is_letter(name.front()) ||
        !std::all_of(name.begin(), name.end(), is_name_char)) {
        return {};
    }
    return name;
}

bool is_option_argument(const CommandLineArgument& argument) {
    return !names_match(argument.names, true, unnamed_parameter);
}

bool names_an_option(const CommandLineParser& parser, std::string_view name) {
    const std::string text(name);
    return std::any_of(parser.arguments().begin(), parser.arguments().end(),
                       [&text](const CommandLineArgument& argument) {
                           return is_option_argument(argument) &&
                                  names_match(argument.names, argument.case_sensitive, text);
                       });
}

}  // namespace

std::vector<std::string> with_help_aliases(std::vector<std::string> tokens) {
    for (std::string& token : tokens) {
        if (token == "-h" || token == "-H" || token == "-?") {
            token = "help";
        }
    }
    return tokens;
}

std::string option_name_in(std::string_view token, bool posix) {
    std::string_view rest;
    if (token.substr(0, 2) == "--") {
        rest = token.substr(2);
    } else if (!token.empty() && (token.front() == '-' || token.front() == (posix ? '\\' : '/'))) {
        rest = token.substr(1);
    } else if (!token.empty() && (token.front() == '/' || token.front() == '\\')) {
        // A path, unless the parser takes it for an option: the caller checks the name.
        rest = token.substr(1);
        const std::string_view name = before_separator(rest);
        return std::all_of(name.begin(), name.end(), is_name_char) ? std::string(name)
                                                                   : std::string();
    } else {
        return std::string(assigned_name(token));
    }
    return std::string(before_separator(rest));
}

std::string unknown_option_message(const CommandLineParser& parser,
                                   const std::vector<std::string>& tokens, bool posix) {
    for (const std::string& token : tokens) {
        const std::string name = option_name_in(token, posix);
        if (name.empty() || names_an_option(parser, name)) {
            continue;
        }
        const bool path_slash = !token.empty() && token.substr(0, 2) != "--" &&
                                token.front() != '-' && token.front() == (posix ? '/' : '\\');
        if (path_slash) {
            continue;  // "/lab" on POSIX, "\fw" on Windows: a path, not an option
        }
        const std::string written(before_separator(token));
        std::string message = console_text::unknown_option_head + written + "'";
        const std::string suggestion = closest_option(parser, name);
        if (!suggestion.empty()) {
            message += console_text::did_you_mean_head + suggestion + "'?";
        }
        return message;
    }
    return {};
}

bool asks_for_json(const std::vector<std::string>& tokens, bool posix) {
    return std::any_of(tokens.begin(), tokens.end(), [posix](const std::string& token) {
        std::string name = option_name_in(token, posix);
        if (name.empty()) {
            name = token;
        }
        return names_match({"json"}, false, name) && token.find('=') == std::string::npos;
    });
}

std::string closest_option(const CommandLineParser& parser, std::string_view name) {
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(), lower);
    const std::size_t allowed = std::min<std::size_t>(2, std::max<std::size_t>(1, key.size() / 3));
    std::string best;
    std::size_t best_distance = allowed + 1;
    for (const CommandLineArgument& argument : parser.arguments()) {
        if (argument.hidden) {
            continue;
        }
        for (const std::string& option : argument.names) {
            std::string candidate = option;
            std::transform(candidate.begin(), candidate.end(), candidate.begin(), lower);
            const std::size_t distance = edit_distance(key, candidate);
            if (distance < best_distance) {
                best_distance = distance;
                best = option;
            }
        }
    }
    return best;
}

std::size_t edit_distance(std::string_view a, std::string_view b) {
    // One row of the table at a time; the names compared are short.
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const std::size_t substitution = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace hx4x
