#include "hexgen/hex_generator.hpp"

#include <cstddef>
#include <vector>

namespace hx4x {

namespace {

constexpr char digits[] = "0123456789ABCDEF";

void append_byte(std::string& text, std::uint32_t byte) {
    text += digits[(byte >> 4) & 0xF];
    text += digits[byte & 0xF];
}

// xorshift32: the same file for the same seed on every machine.
class Random {
  public:
    explicit Random(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}
    std::uint8_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<std::uint8_t>(state_ >> 24);
    }

  private:
    std::uint32_t state_;
};

void place(std::vector<std::uint8_t>& data, std::size_t at, const std::string& text) {
    for (std::size_t i = 0; i < text.size() && at + i < data.size(); ++i) {
        data[at + i] = static_cast<std::uint8_t>(text[i]);
    }
}

}  // namespace

std::string hex_record_text(std::uint32_t type, std::uint16_t load_offset, const std::uint8_t* data,
                            std::size_t length) {
    std::string text;
    text.reserve(11 + 2 * length);
    text += ':';
    std::uint32_t sum =
        static_cast<std::uint32_t>(length) + (load_offset >> 8u) + (load_offset & 0xFFu) + type;
    append_byte(text, static_cast<std::uint32_t>(length));
    append_byte(text, load_offset >> 8u);
    append_byte(text, load_offset & 0xFFu);
    append_byte(text, type);
    for (std::size_t i = 0; i < length; ++i) {
        append_byte(text, data[i]);
        sum += data[i];
    }
    append_byte(text, (0x100u - (sum & 0xFFu)) & 0xFFu);
    return text;
}

std::string generate_hex_text(const HexGeneratorOptions& options) {
    const std::size_t length = options.record_length == 0
                                   ? 1
                                   : (options.record_length > 255 ? 255 : options.record_length);
    const std::size_t total = length * options.data_records;
    std::vector<std::uint8_t> data(total);
    Random random(options.seed);
    for (auto& byte : data) {
        byte = random.next();
    }
    // The first signature straddles the first two records; the others follow further in,
    // never over each other.
    std::size_t next_free = 0;
    const auto put = [&](std::size_t wanted, const std::string& text) {
        const std::size_t at = wanted > next_free ? wanted : next_free;
        place(data, at, text);
        next_free = at + text.size();
    };
    if (options.signatures) {
        put(length / 2, std::string("R OZU Zavi Zerud") + '\0');
        put(total / 3, std::string("VALDMORE") + '\0');
    }
    if (!options.version.empty()) {
        put(total / 2, "KELDOR-VERSION:" + options.version + '\0');
    }

    const char* const line_end = options.crlf ? "\r\n" : "\n";
    std::string text;
    text.reserve((13 + 2 * length + 2) * (options.data_records + options.data_records / 64 + 2));
    std::uint32_t address = options.base_address;
    bool have_base = false;
    std::uint32_t base = 0;
    for (std::size_t offset = 0; offset < total; offset += length) {
        if (!have_base || (address >> 16) != base) {
            base = address >> 16;
            have_base = true;
            const std::uint8_t upper[2] = {static_cast<std::uint8_t>(base >> 8),
                                           static_cast<std::uint8_t>(base)};
            text += hex_record_text(4, 0, upper, 2);
            text += line_end;
        }
        text += hex_record_text(0, static_cast<std::uint16_t>(address & 0xFFFFu), &data[offset],
                                length);
        text += line_end;
        address += static_cast<std::uint32_t>(length);
    }
    text += hex_record_text(1, 0, nullptr, 0);
    text += line_end;
    if (options.end_of_text_mark) {
        text += '\x1A';
    }
    return text;
}

}  // namespace hx4x
