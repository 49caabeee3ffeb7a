#include "ui/version_check.hpp"

namespace hx4x {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool is_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The first word, without a letter that stands before its digits ("V1.10").
std::string version_word(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) {
        return {};
    }
    const std::size_t end = text.find_first_of(" \t", begin);
    std::string word = text.substr(begin, end == std::string::npos ? end : end - begin);
    if (word.size() > 1 && is_letter(word[0]) && (is_digit(word[1]) || word[1] == '.')) {
        word.erase(0, 1);
    }
    return word;
}

// Digits with at most one point, written without leading zeros before the point nor
// trailing zeros after it; empty when the word is no such number.
std::string decimal_form(const std::string& word) {
    const std::size_t point = word.find('.');
    std::string whole = word.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : word.substr(point + 1);
    if (whole.empty() && fraction.empty()) {
        return {};
    }
    for (const char c : whole + fraction) {
        if (!is_digit(c)) {
            return {};
        }
    }
    whole.erase(0, whole.find_first_not_of('0'));
    fraction.erase(fraction.find_last_not_of('0') + 1);
    return (whole.empty() ? "0" : whole) + "." + fraction;
}

}  // namespace

bool same_firmware_version(const std::string& file_version, const std::string& counter_version) {
    const std::string file_word = version_word(file_version);
    const std::string counter_word = version_word(counter_version);
    const std::string file_number = decimal_form(file_word);
    const std::string counter_number = decimal_form(counter_word);
    if (!file_number.empty() && !counter_number.empty()) {
        return file_number == counter_number;
    }
    return file_word == counter_word;
}

bool still_runs_previous_firmware(const CounterIdentity& before, const CounterIdentity& after,
                                  const FirmwareVersion& file_version) {
    return file_version.known && after.firmware_version == before.firmware_version &&
           !same_firmware_version(file_version.text, after.firmware_version);
}

}  // namespace hx4x
