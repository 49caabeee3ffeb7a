#include "AuxLib/number_format.hpp"

#include <algorithm>

namespace hx4x {

std::string NumberFormat::to_string() const {
    static constexpr char upper[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static constexpr char lower[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    const char* digits = (flags & lower_case) != 0 ? lower : upper;
    const bool radix_ok = radix >= 2 && radix <= 36;
    // An unusable radix still yields one character per digit; base 10 decides how many.
    const std::uint32_t base = radix_ok ? radix : 10u;

    // Built least significant first, reversed at the end.
    std::string reversed;
    unsigned in_group = 0;
    auto push_digit = [&](char c) {
        if (group_size != 0 && in_group == group_size) {
            reversed.push_back(group_separator);
            in_group = 0;
        }
        reversed.push_back(c);
        ++in_group;
    };

    std::uint32_t rest = value;
    do {
        push_digit(radix_ok ? digits[rest % base] : '#');
        rest /= base;
    } while (rest != 0);

    const bool sign = (flags & plus_sign) != 0 && value != 0;
    if ((flags & zero_pad) != 0) {
        const std::size_t target = sign && width > 0 ? width - 1u : width;
        // A separator stands only between digits, so one that falls due comes with its zero,
        // even when that pair passes the width by one.
        while (reversed.size() < target) {
            push_digit('0');
        }
    }
    if (sign) {
        reversed.push_back('+');
    }

    const std::string number(reversed.rbegin(), reversed.rend());
    const std::size_t total = std::max<std::size_t>(width, number.size());
    std::string result(total, fill);
    std::size_t offset = 0;
    if (alignment == right) {
        offset = total - number.size();
    } else if (alignment == centred) {
        offset = (total - number.size()) / 2;
    }
    result.replace(offset, number.size(), number);
    return result;
}

}  // namespace hx4x
