#include "cmdline/trim.hpp"

namespace hx4x {

std::string trim(std::string_view text) {
    constexpr std::string_view blanks = " \t\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(blanks);
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace hx4x
