#include "instrument/identification.hpp"

#include <array>
#include <climits>
#include <string>
#include <vector>

namespace hx4x {

namespace {

constexpr std::array<std::string_view, 3> valdmore_models = {"HX-40", "HX-40XL", "HX-41"};
constexpr std::array<std::string_view, 2> dwern_models = {"RV2260", "RV2261"};
constexpr std::array<std::string_view, 10> quorvelan_models = {
    "LTA5000", "LTA5003", "LTA5020", "LMA5027", "LMA5040",
    "LMA5046", "LMA5060", "LTA5100", "LTA5103", "LTA5120"};

constexpr std::array<CounterMaker, 3> makers = {{
    {"VALDMORE", "Valdmore Instruments", valdmore_models},
    {"DWERN", "Dwern", dwern_models},
    {"QUORVELAN", "Quorvelan", quorvelan_models},
}};

constexpr std::string_view separators = ", \n\t";

constexpr std::size_t serial_number_length = 6;

std::vector<std::string_view> split_tokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t position = text.find_first_not_of(separators);
    while (position != std::string_view::npos) {
        const std::size_t end = text.find_first_of(separators, position);
        tokens.push_back(text.substr(
            position, end == std::string_view::npos ? std::string_view::npos : end - position));
        position = end == std::string_view::npos ? end : text.find_first_not_of(separators, end);
    }
    return tokens;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::span<const CounterMaker> counter_makers() {
    return makers;
}

int parse_version_number(std::string_view version_text) {
    if (version_text.size() < 2) {
        return 0;
    }
    std::string_view text = version_text.substr(1);
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long whole = 0;
    bool saturated = false;
    std::size_t i = 0;
    bool any_digit = false;
    for (; i < text.size() && is_digit(text[i]); ++i) {
        any_digit = true;
        if (!saturated) {
            whole = whole * 10 + (text[i] - '0');
            if (whole > INT_MAX / 100) {
                saturated = true;
            }
        }
    }
    int fraction = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (i < text.size() && is_digit(text[i])) {
            any_digit = true;
            fraction = (text[i] - '0') * 10;
            ++i;
            if (i < text.size() && is_digit(text[i])) {
                fraction += text[i] - '0';
            }
        }
    }
    if (!any_digit) {
        return 0;
    }
    long long value = saturated ? INT_MAX : whole * 100 + fraction;
    if (value > INT_MAX) {
        value = INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

bool parse_identification(std::string_view resource_name, std::string_view reply,
                          CounterIdentity& identity) {
    const std::size_t end = reply.find('\0');
    if (end != std::string_view::npos) {
        reply = reply.substr(0, end);
    }
    const std::vector<std::string_view> tokens = split_tokens(reply);
    if (tokens.empty()) {
        return false;
    }
    const CounterMaker* maker = nullptr;
    for (const CounterMaker& row : makers) {
        if (row.reply_word == tokens[0]) {
            maker = &row;
            break;
        }
    }
    if (maker == nullptr || tokens.size() < 2) {
        return false;
    }
    const std::string_view* model = nullptr;
    for (const std::string_view& accepted : maker->models) {
        if (accepted == tokens[1]) {
            model = &accepted;
            break;
        }
    }
    if (model == nullptr || tokens.size() < 4 || tokens[2].size() != serial_number_length) {
        return false;
    }

    CounterIdentity parsed;
    parsed.resource_name = resource_name;
    parsed.manufacturer = maker->name;
    parsed.model = *model;
    parsed.serial_number = tokens[2];
    parsed.firmware_version = tokens[3];
    parsed.version_number = parse_version_number(tokens[3]);
    for (std::size_t t = 4; t < tokens.size(); ++t) {
        parsed.firmware_version += ' ';
        parsed.firmware_version += tokens[t];
    }
    identity = std::move(parsed);
    return true;
}

}  // namespace hx4x
