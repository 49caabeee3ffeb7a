#include "visa-usbtmc/resource_naming.hpp"

#include <charconv>
#include <cstdio>
#include <utility>
#include <vector>

namespace hx4x::visa_usbtmc {

namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equal_ignoring_case(text.substr(0, prefix.size()), prefix);
}

std::vector<std::string_view> split_tokens(std::string_view name) {
    std::vector<std::string_view> tokens;
    for (;;) {
        const std::size_t at = name.find("::");
        tokens.push_back(name.substr(0, at));
        if (at == std::string_view::npos) {
            return tokens;
        }
        name.remove_prefix(at + 2);
    }
}

template <class T>
bool parse_number(std::string_view text, T* value, unsigned long max) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned long parsed = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed, base);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        parsed > max) {
        return false;
    }
    *value = static_cast<T>(parsed);
    return true;
}

bool is_plain_decimal(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

}  // namespace

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string serial_from_descriptor(std::span<const std::uint8_t> descriptor) {
    if (descriptor.size() < 2 || descriptor[1] != 3) {
        return {};
    }
    // bLength is the device's word: trust it only as far as the bytes that arrived.
    std::size_t length = descriptor[0];
    if (length > descriptor.size() || length < 2) {
        return {};
    }
    std::string text;
    for (std::size_t i = 2; i + 1 < length; i += 2) {
        const unsigned unit = descriptor[i] | (static_cast<unsigned>(descriptor[i + 1]) << 8);
        if (unit > 0x20 && unit < 0x7F && unit != ':' && unit != '%') {
            text += static_cast<char>(unit);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, unit > 0xFF ? "%%u%04X" : "%%%02X", unit);
            text += escaped;
        }
        if (text.size() > max_serial_text) {
            return {};
        }
    }
    return text;
}

std::string serial_from_port(std::uint8_t bus, std::span<const std::uint8_t> ports) {
    std::string text = "NOSERIAL-" + std::to_string(bus);
    char separator = '-';
    for (const std::uint8_t port : ports) {
        text += separator;
        text += std::to_string(port);
        separator = '.';
    }
    return text;
}

std::string format_resource_name(const UsbAddress& address) {
    char head[48];
    std::snprintf(head, sizeof head, "USB%u::0x%04X::0x%04X::", address.board, address.vendor,
                  address.product);
    std::string name = head + address.serial;
    if (address.interface_number != 0) {
        name += "::" + std::to_string(address.interface_number);
    }
    return name + "::INSTR";
}

NameKind parse_resource_name(std::string_view name, UsbAddress* address) {
    std::vector<std::string_view> tokens = split_tokens(name);
    if (!starts_with_ignoring_case(tokens.front(), "USB")) {
        // Another interface's name: well formed as far as this library can tell.
        return (!tokens.front().empty() && tokens.size() >= 2) ? NameKind::other
                                                               : NameKind::malformed;
    }
    UsbAddress parsed;
    const std::string_view board = tokens.front().substr(3);
    if (!board.empty() &&
        (!is_plain_decimal(board) || !parse_number(board, &parsed.board, 65535))) {
        return NameKind::malformed;
    }
    if (equal_ignoring_case(tokens.back(), "RAW")) {
        return tokens.size() >= 5 ? NameKind::other : NameKind::malformed;
    }
    if (equal_ignoring_case(tokens.back(), "INSTR")) {
        tokens.pop_back();
    }
    // Board, vendor, product, serial, and maybe the interface number.
    if (tokens.size() < 4 || tokens.size() > 5) {
        return NameKind::malformed;
    }
    if (!parse_number(tokens[1], &parsed.vendor, 0xFFFF) ||
        !parse_number(tokens[2], &parsed.product, 0xFFFF) || tokens[3].empty()) {
        return NameKind::malformed;
    }
    for (const char c : tokens[3]) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) {
            return NameKind::malformed;
        }
    }
    parsed.serial = std::string(tokens[3]);
    if (tokens.size() == 5 &&
        (!is_plain_decimal(tokens[4]) || !parse_number(tokens[4], &parsed.interface_number, 255))) {
        return NameKind::malformed;
    }
    *address = std::move(parsed);
    return NameKind::usb_instr;
}

}  // namespace hx4x::visa_usbtmc
