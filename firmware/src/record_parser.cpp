#include "firmware/record_parser.hpp"

#include <array>

#include "firmware/hex_diagnostics.hpp"

namespace hx4x {

namespace {

constexpr std::uint8_t not_a_digit = 0xFF;

constexpr std::array<std::uint8_t, 256> make_digit_table() {
    std::array<std::uint8_t, 256> table{};
    for (auto& entry : table) {
        entry = not_a_digit;
    }
    for (int i = 0; i < 10; ++i) {
        table[static_cast<std::size_t>('0' + i)] = static_cast<std::uint8_t>(i);
    }
    for (int i = 0; i < 6; ++i) {
        table[static_cast<std::size_t>('A' + i)] = static_cast<std::uint8_t>(10 + i);
        table[static_cast<std::size_t>('a' + i)] = static_cast<std::uint8_t>(10 + i);
    }
    return table;
}

constexpr std::array<std::uint8_t, 256> digit_table = make_digit_table();

void set_error(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

// Reads the hexadecimal pairs of one record from a line, digit by digit.
class PairReader {
  public:
    PairReader(std::string_view line, std::size_t position) : line_(line), position_(position) {}

    bool read(std::uint8_t& value, std::string* error) {
        std::uint8_t high = 0;
        std::uint8_t low = 0;
        if (!digit(high, error) || !digit(low, error)) {
            return false;
        }
        value = static_cast<std::uint8_t>((high << 4) | low);
        return true;
    }

    // Reads count pairs into out; a whole in-bounds run of valid digits goes the fast way.
    bool read_run(std::uint8_t* out, std::size_t count, std::size_t& done, std::string* error) {
        done = 0;
        if (line_.size() - position_ >= count * 2) {
            const auto* text = reinterpret_cast<const std::uint8_t*>(line_.data()) + position_;
            std::uint8_t invalid = 0;
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint8_t high = digit_table[text[2 * i]];
                const std::uint8_t low = digit_table[text[2 * i + 1]];
                invalid |= static_cast<std::uint8_t>(high | low);
                out[i] = static_cast<std::uint8_t>((high << 4) | (low & 0x0F));
            }
            if ((invalid & 0xF0) == 0) {
                position_ += count * 2;
                done = count;
                return true;
            }
        }
        for (; done < count; ++done) {
            if (!read(out[done], error)) {
                return false;
            }
        }
        return true;
    }

    std::size_t position() const { return position_; }

  private:
    bool digit(std::uint8_t& value, std::string* error) {
        if (position_ >= line_.size()) {
            set_error(error, "Truncated record found");
            return false;
        }
        const auto character = static_cast<std::uint8_t>(line_[position_]);
        // The offending character counts as read.
        ++position_;
        value = digit_table[character];
        if (value == not_a_digit) {
            set_error(error, digit_diagnostic(character));
            return false;
        }
        return true;
    }

    std::string_view line_;
    std::size_t position_;
};

struct LengthRule {
    std::uint8_t length;
    const char* name;
};

// Required RECLEN of the types after data (1 to 5).
constexpr std::array<LengthRule, 5> length_rules{{
    {0, "End of File Record should have RECLEN field equal to zero, "},
    {2, "Extended Segment Address Record should have RECLEN field equal to 2, "},
    {4, "Start Segment Address Record should have RECLEN field equal to 4, "},
    {2, "Extended Linear Address Record should have RECLEN field equal to 2, "},
    {4, "Start Linear Address Record should have RECLEN field equal to 4, "},
}};

}  // namespace

bool check_record_fields(std::uint32_t type, std::uint16_t load_offset, std::uint8_t length,
                         std::string* error) {
    if (type > record_start_linear_address) {
        set_error(error, "Wrong RECTYP field value: 0x" + hex_byte_text(type));
        return false;
    }
    if (type != record_data && load_offset != 0) {
        set_error(error,
                  "LOAD OFFSET field should be 0 for all record types except data record, "
                  "current record type is 0x" +
                      hex_byte_text(type) + ", but LOAD OFFSET is 0x" + hex_word_text(load_offset));
        return false;
    }
    if (type == record_data) {
        if (length == 0) {
            set_error(error,
                      "Data Record should have non-zero RECLEN field, but in fact it's zero");
            return false;
        }
        return true;
    }
    const LengthRule& rule = length_rules[type - 1];
    if (length != rule.length) {
        set_error(error,
                  std::string(rule.name) + "but in fact RECLEN == 0x" + hex_byte_text(length));
        return false;
    }
    return true;
}

bool parse_valid_record(std::string_view line, std::size_t start, HexRecord& record,
                        std::size_t& end) {
    if (start >= line.size() || line[start] != ':') {
        return false;
    }
    // Everything after the ':' to the end of the text, whatever lines it holds: a record
    // that runs into a line end fails on it, as no line end is a digit.
    const auto* text = reinterpret_cast<const std::uint8_t*>(line.data()) + start + 1;
    const std::size_t available = line.size() - start - 1;
    constexpr std::size_t header_digits = 8;
    constexpr std::size_t checksum_digits = 2;
    if (available < header_digits + checksum_digits) {
        return false;
    }
    // A digit's table entry is at most 0x0F, a non-digit's has the high bits set. The early
    // exit also keeps the compiler from vectorising a loop that runs a few times only (a
    // vectorised one costs more than it saves on 16 bytes).
    const auto pair = [](const std::uint8_t* at, std::uint8_t& value) {
        const std::uint8_t high = digit_table[at[0]];
        const std::uint8_t low = digit_table[at[1]];
        value = static_cast<std::uint8_t>((high << 4) | low);
        return ((high | low) & 0xF0) == 0;
    };
    std::uint8_t length = 0;
    std::uint8_t offset_high = 0;
    std::uint8_t offset_low = 0;
    std::uint8_t type = 0;
    if (!pair(text, length) || !pair(text + 2, offset_high) || !pair(text + 4, offset_low) ||
        !pair(text + 6, type) ||
        available < header_digits + 2 * std::size_t{length} + checksum_digits) {
        return false;
    }
    const auto load_offset = static_cast<std::uint16_t>((offset_high << 8) | offset_low);
    if (!check_record_fields(type, load_offset, length, nullptr)) {
        return false;
    }
    unsigned sum = 0u + length + offset_high + offset_low + type;
    const std::uint8_t* data_text = text + header_digits;
    std::uint8_t* const out = record.data.data();
    for (std::size_t i = 0; i < length; ++i) {
        std::uint8_t byte = 0;
        if (!pair(data_text + 2 * i, byte)) {
            return false;
        }
        out[i] = byte;
        sum += byte;
    }
    std::uint8_t checksum = 0;
    if (!pair(data_text + 2 * std::size_t{length}, checksum) || ((sum + checksum) & 0xFFu) != 0) {
        return false;
    }
    record.type = type;
    record.load_offset = load_offset;
    record.length = length;
    end = start + 1 + header_digits + 2 * std::size_t{length} + checksum_digits;
    return true;
}

void offer_data(const HexRecord& record, std::vector<SignatureScanner>& scanners) {
    if (record.type == record_data) {
        for (SignatureScanner& scanner : scanners) {
            scanner.feed(record.data.data(), record.length);
        }
    }
}

bool parse_record(std::string_view line, std::size_t start, HexRecord& record,
                  std::vector<SignatureScanner>& scanners, std::size_t& end, std::string* error) {
    end = start;
    if (start >= line.size()) {
        set_error(error, "Truncated record found");
        return false;
    }
    const auto first = static_cast<std::uint8_t>(line[start]);
    if (first != ':') {
        end = start + 1;
        set_error(error, record_start_diagnostic(first));
        return false;
    }
    if (parse_valid_record(line, start, record, end)) {
        offer_data(record, scanners);
        return true;
    }
    PairReader reader(line, start + 1);
    std::uint8_t header[4] = {};
    std::size_t done = 0;
    const bool header_read = reader.read_run(header, 4, done, error);
    end = reader.position();
    if (!header_read) {
        return false;
    }
    const std::uint8_t length = header[0];
    const auto load_offset = static_cast<std::uint16_t>((header[1] << 8) | header[2]);
    const std::uint32_t type = header[3];
    if (!check_record_fields(type, load_offset, length, error)) {
        return false;
    }
    const bool data_read = reader.read_run(record.data.data(), length, done, error);
    end = reader.position();
    if (type == record_data && done != 0) {
        for (SignatureScanner& scanner : scanners) {
            scanner.feed(record.data.data(), done);
        }
    }
    if (!data_read) {
        return false;
    }
    std::uint8_t checksum = 0;
    const bool checksum_read = reader.read(checksum, error);
    end = reader.position();
    if (!checksum_read) {
        return false;
    }
    unsigned sum = 0;
    for (const std::uint8_t byte : header) {
        sum += byte;
    }
    for (std::size_t i = 0; i < length; ++i) {
        sum += record.data[i];
    }
    sum += checksum;
    if ((sum & 0xFFu) != 0) {
        set_error(error, "Checksum is wrong, record is corrupted");
        return false;
    }
    record.type = type;
    record.load_offset = load_offset;
    record.length = length;
    return true;
}

}  // namespace hx4x
