#include "ui/format_duration.hpp"

namespace hx4x {

namespace {

std::string two_digits_at_least(std::uint64_t value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

}  // namespace

std::string format_duration(std::uint64_t seconds) {
    return two_digits_at_least(seconds / 60) + " min " + two_digits_at_least(seconds % 60) + " sec";
}

}  // namespace hx4x
