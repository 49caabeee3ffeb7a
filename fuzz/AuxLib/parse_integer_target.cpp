#include "parse_integer_target.hpp"

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "AuxLib/parse_integer.hpp"

namespace hx4x::fuzzing {

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "mismatch: %s\n", what);
        std::abort();
    }
}

struct Reference {
    bool complete = false;
    bool stored = false;
    long long value = 0;
    bool has_stop = false;
    std::size_t stop = 0;
    bool positive_overflow = false;
    bool negative_overflow = false;
    bool empty = false;
};

// strtoll-style: sign, digits in the radix, saturation at the limits, checked in 64 bits well
// inside its range.
Reference reference(const std::string& text, std::size_t start, bool partial, unsigned radix,
                    bool is_signed) {
    Reference r;
    if (start >= text.size()) {
        r.empty = true;
        return r;
    }
    if (radix < 2 || radix > 36) {
        return r;
    }
    std::size_t i = start;
    bool negative = false;
    if (is_signed && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const long long high = is_signed ? std::numeric_limits<std::int32_t>::max()
                                     : std::numeric_limits<std::uint32_t>::max();
    const long long low = is_signed ? std::numeric_limits<std::int32_t>::min() : 0;
    long long value = 0;
    std::size_t digits = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned d = 99;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        if (c >= 'a' && c <= 'z')
            d = static_cast<unsigned>(c - 'a' + 10);
        if (c >= 'A' && c <= 'Z')
            d = static_cast<unsigned>(c - 'A' + 10);
        if (d >= radix) {
            r.has_stop = true;
            r.stop = i;
            break;
        }
        ++digits;
        if (value > high * 64 || value < low * 64) {
            continue;  // far past a limit already: keep the magnitude bounded
        }
        value = value * radix + (negative ? -static_cast<long long>(d) : static_cast<long long>(d));
    }
    if (value > high) {
        r.positive_overflow = true;
        value = high;
    }
    if (value < low) {
        r.negative_overflow = true;
        value = low;
    }
    r.complete = !r.has_stop && digits > 0;
    r.stored = r.complete || (partial && digits > 0 && r.has_stop);
    r.value = static_cast<long long>(value);
    return r;
}

template <class T>
void compare(const std::string& text, std::size_t start, bool partial, unsigned radix) {
    ParsedInteger<T> parsed;
    const bool complete = parse_integer(text, start, partial, radix, parsed);
    const Reference r = reference(text, start, partial, radix, std::is_signed_v<T>);
    require(complete == r.complete, "complete");
    require(((parsed.flags & parse_complete) != 0) == r.complete, "complete flag");
    require(((parsed.flags & parse_empty) != 0) == r.empty, "empty flag");
    require(((parsed.flags & parse_value_stored) != 0) == r.stored, "stored flag");
    require(((parsed.flags & parse_positive_overflow) != 0) == r.positive_overflow, "+overflow");
    require(((parsed.flags & parse_negative_overflow) != 0) == r.negative_overflow, "-overflow");
    require(parsed.stop.has_value() == r.has_stop, "stop presence");
    require(!r.has_stop || *parsed.stop == r.stop, "stop position");
    if (r.stored) {
        require(static_cast<long long>(parsed.value) == r.value, "value");
    } else {
        require(parsed.value == 0, "value untouched");
    }
}

}  // namespace

void run_parse_integer_case(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return;
    }
    // Mostly valid radixes, now and then an invalid one.
    const unsigned radix = data[0] % 40u;
    const std::size_t start = data[1] % 8u;
    const bool partial = (data[2] & 1u) != 0;
    const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
    compare<std::int32_t>(text, start, partial, radix);
    compare<std::uint32_t>(text, start, partial, radix);
}

}  // namespace hx4x::fuzzing
