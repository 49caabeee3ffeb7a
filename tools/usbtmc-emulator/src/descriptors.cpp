#include "usbtmc-emulator/descriptors.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace hx4x::usbtmc_emulator {

namespace {

constexpr std::size_t max_serial_length = 126;  // a string descriptor holds 126 UTF-16 units

void put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

bool parse_hex16(std::string_view text, std::uint16_t* value) {
    if (text.size() < 3 || text.size() > 6 || text[0] != '0' ||
        (text[1] != 'x' && text[1] != 'X')) {
        return false;
    }
    const char* begin = text.data() + 2;
    const char* end = text.data() + text.size();
    unsigned parsed = 0;
    const auto result = std::from_chars(begin, end, parsed, 16);
    if (result.ec != std::errc() || result.ptr != end || parsed > 0xFFFF) {
        return false;
    }
    *value = static_cast<std::uint16_t>(parsed);
    return true;
}

std::vector<std::string_view> split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + separator.size());
    }
}

bool same_text(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

void add_endpoint(std::vector<std::uint8_t>& out, std::uint8_t address, std::uint8_t type,
                  std::uint16_t max_packet, std::uint8_t interval) {
    out.insert(out.end(), {7, 5, address, type});
    put16(out, max_packet);
    out.push_back(interval);
}

}  // namespace

bool parse_usb_resource(std::string_view name, DeviceIdentity* identity) {
    const std::vector<std::string_view> parts = split(name, "::");
    if (parts.size() != 5 && parts.size() != 6) {
        return false;
    }
    const std::string_view board = parts[0];
    if (board.size() < 3 || !same_text(board.substr(0, 3), "USB") ||
        !same_text(parts.back(), "INSTR")) {
        return false;
    }
    if (!std::all_of(board.begin() + 3, board.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; })) {
        return false;
    }
    DeviceIdentity parsed;
    const std::string_view serial = parts[3];
    if (!parse_hex16(parts[1], &parsed.vendor) || !parse_hex16(parts[2], &parsed.product) ||
        serial.empty() || serial.size() > max_serial_length ||
        !std::all_of(serial.begin(), serial.end(), [](char c) { return c > 0x20 && c < 0x7F; })) {
        return false;
    }
    parsed.serial = std::string(serial);
    parsed.manufacturer = identity->manufacturer;
    parsed.product_name = identity->product_name;
    *identity = std::move(parsed);
    return true;
}

void names_from_idn(std::string_view idn, DeviceIdentity* identity) {
    const std::vector<std::string_view> fields = split(idn, ",");
    const auto clean = [](std::string_view text) {
        std::string out;
        for (const char c : text.substr(0, max_serial_length)) {
            out += (c >= 0x20 && c < 0x7F) ? c : '?';
        }
        return out;
    };
    identity->manufacturer = clean(fields[0]);
    identity->product_name = fields.size() > 1 ? clean(fields[1]) : std::string();
}

std::vector<std::uint8_t> device_descriptor(const DeviceIdentity& identity) {
    std::vector<std::uint8_t> out = {18, 1};
    put16(out, 0x0200);                    // USB 2.0
    out.insert(out.end(), {0, 0, 0, 64});  // class from the interface, 64-byte control packets
    put16(out, identity.vendor);
    put16(out, identity.product);
    put16(out, 0x0100);                   // device release
    out.insert(out.end(), {1, 2, 3, 1});  // string indexes, one configuration
    return out;
}

std::vector<std::uint8_t> configuration_descriptor() {
    std::vector<std::uint8_t> out = {9, 2, 0, 0, 1, 1, 0, 0xC0, 50};
    // Interface 0: test and measurement class, USBTMC subclass, USB488 protocol.
    out.insert(out.end(), {9, 4, 0, 0, 3, 0xFE, 0x03, 0x01, 0});
    add_endpoint(out, bulk_out_endpoint, 2, bulk_max_packet, 0);
    add_endpoint(out, bulk_in_endpoint, 2, bulk_max_packet, 0);
    add_endpoint(out, interrupt_in_endpoint, 3, interrupt_max_packet, 9);
    out[2] = static_cast<std::uint8_t>(out.size());
    return out;
}

std::vector<std::uint8_t> string_descriptor(std::uint8_t index, const DeviceIdentity& identity) {
    if (index == 0) {
        return {4, 3, 0x09, 0x04};  // US English
    }
    const std::string* text = nullptr;
    switch (index) {
        case 1:
            text = &identity.manufacturer;
            break;
        case 2:
            text = &identity.product_name;
            break;
        case 3:
            text = &identity.serial;
            break;
        default:
            return {};
    }
    const std::size_t length = std::min(text->size(), max_serial_length);
    std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(2 + 2 * length), 3};
    for (std::size_t i = 0; i < length; ++i) {
        put16(out, static_cast<unsigned char>((*text)[i]));
    }
    return out;
}

}  // namespace hx4x::usbtmc_emulator
