#include "AuxLib/parse_integer.hpp"

#include <limits>

namespace hx4x {

namespace {

int digit_value(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    return 99;
}

template <class T>
bool parse(std::string_view text, std::size_t start, bool accept_partial, unsigned radix,
           bool read_sign, ParsedInteger<T>& result) {
    result.stop.reset();
    result.flags = 0;
    if (start >= text.size()) {
        result.flags |= parse_empty;
        return false;
    }
    if (radix < 2 || radix > 36) {
        return false;
    }

    std::size_t position = start;
    bool negative = false;
    if (read_sign && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        ++position;
    }

    // The magnitude is gathered in 64 bits against the limit of the chosen sign.
    const std::uint64_t limit = negative
                                    ? static_cast<std::uint64_t>(std::numeric_limits<T>::max()) + 1u
                                    : static_cast<std::uint64_t>(std::numeric_limits<T>::max());
    std::uint64_t magnitude = 0;
    std::size_t digits = 0;
    bool overflow = false;
    for (; position < text.size(); ++position) {
        const int digit = digit_value(text[position]);
        if (digit >= static_cast<int>(radix)) {
            result.stop = position;
            break;
        }
        ++digits;
        if (overflow) {
            continue;
        }
        const std::uint64_t next = magnitude * radix + static_cast<std::uint64_t>(digit);
        if (next > limit) {
            overflow = true;
            result.flags |= negative ? parse_negative_overflow : parse_positive_overflow;
            continue;
        }
        magnitude = next;
    }

    const bool complete = !result.stop.has_value() && digits > 0;
    if (complete) {
        result.flags |= parse_complete;
    }
    if (complete || (accept_partial && digits > 0 && result.stop.has_value())) {
        if (overflow) {
            result.value = negative ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();
        } else if (negative) {
            result.value = static_cast<T>(-static_cast<std::int64_t>(magnitude));
        } else {
            result.value = static_cast<T>(magnitude);
        }
        result.flags |= parse_value_stored;
    }
    return complete;
}

}  // namespace

bool parse_integer(std::string_view text, std::size_t start, bool accept_partial, unsigned radix,
                   ParsedInteger<std::int32_t>& result) {
    return parse(text, start, accept_partial, radix, true, result);
}

bool parse_integer(std::string_view text, std::size_t start, bool accept_partial, unsigned radix,
                   ParsedInteger<std::uint32_t>& result) {
    return parse(text, start, accept_partial, radix, false, result);
}

}  // namespace hx4x
