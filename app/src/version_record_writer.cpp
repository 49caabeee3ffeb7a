#include "app/version_record_writer.hpp"

#include <limits>

#include "app/version_info.hpp"

namespace hx4x {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void pad(std::vector<std::uint8_t>& out, std::size_t origin) {
    while ((out.size() - origin) % 4 != 0) {
        out.push_back(0);
    }
}

// UTF-8 to UTF-16 code units; stray bytes stand for themselves.
std::vector<std::uint16_t> utf16(const std::string& text) {
    std::vector<std::uint16_t> units;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = lead >= 0xF0 && lead < 0xF5 ? 3
                            : lead >= 0xE0              ? 2
                            : lead >= 0xC2              ? 1
                                                        : 0;
        if (lead >= 0xF5) {
            extra = 0;
        }
        std::uint32_t code = extra == 0 ? lead : lead & (0x3Fu >> extra);
        bool valid = lead < 0x80 || extra > 0;
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            const bool inside = i + k < text.size();
            const auto next = inside ? static_cast<unsigned char>(text[i + k]) : 0u;
            valid = inside && (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3Fu);
        }
        const std::uint32_t smallest = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (valid && extra > 0 &&
            (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))) {
            valid = false;
        }
        if (!valid) {
            units.push_back(lead);
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            units.push_back(static_cast<std::uint16_t>(0xD800 + (code >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            units.push_back(static_cast<std::uint16_t>(code));
        }
        i += extra + 1;
    }
    return units;
}

void put_text(std::vector<std::uint8_t>& out, const std::vector<std::uint16_t>& units) {
    for (const std::uint16_t unit : units) {
        put16(out, unit);
    }
    put16(out, 0);
}

bool write_node(const VersionNode& node, std::vector<std::uint8_t>& out, std::string* error) {
    constexpr std::size_t max_length = std::numeric_limits<std::uint16_t>::max();
    const std::size_t start = out.size();
    std::size_t value_length = node.bytes.size();
    std::vector<std::uint16_t> text_units;
    if (node.is_text) {
        text_units = utf16(node.text);
        value_length = text_units.empty() ? 0 : text_units.size() + 1;
    }
    if (value_length > max_length) {
        if (error != nullptr) {
            *error = "The value of '" + node.key + "' is too long for a version record";
        }
        return false;
    }
    put16(out, 0);  // the length, known at the end
    put16(out, static_cast<std::uint32_t>(value_length));
    put16(out, node.is_text ? 1 : 0);
    put_text(out, utf16(node.key));
    pad(out, start);
    if (node.is_text) {
        if (!text_units.empty()) {
            put_text(out, text_units);
        }
    } else {
        out.insert(out.end(), node.bytes.begin(), node.bytes.end());
    }
    for (const VersionNode& child : node.children) {
        pad(out, start);
        if (!write_node(child, out, error)) {
            return false;
        }
    }
    const std::size_t length = out.size() - start;
    if (length > max_length) {
        if (error != nullptr) {
            *error = "The node '" + node.key + "' is too long for a version record";
        }
        return false;
    }
    out[start] = static_cast<std::uint8_t>(length & 0xFF);
    out[start + 1] = static_cast<std::uint8_t>(length >> 8);
    return true;
}

std::uint32_t high_low(std::uint16_t high, std::uint16_t low) {
    return (static_cast<std::uint32_t>(high) << 16) | low;
}

}  // namespace

VersionNode VersionNode::text_node(std::string key, std::string text) {
    VersionNode node;
    node.key = std::move(key);
    node.is_text = true;
    node.text = std::move(text);
    return node;
}

VersionNode VersionNode::binary_node(std::string key, std::vector<std::uint8_t> bytes) {
    VersionNode node;
    node.key = std::move(key);
    node.bytes = std::move(bytes);
    return node;
}

bool serialize_version_node(const VersionNode& node, std::vector<std::uint8_t>& out,
                            std::string* error) {
    out.clear();
    if (!write_node(node, out, error)) {
        out.clear();
        return false;
    }
    return true;
}

void VersionRecordDescription::set_string(const std::string& key, const std::string& value) {
    for (auto& entry : strings) {
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    }
    strings.emplace_back(key, value);
}

std::array<std::uint32_t, 13> fixed_file_info(const VersionRecordDescription& d) {
    return {VersionInfo::fixed_signature,
            0x00010000,
            high_low(d.file_version[0], d.file_version[1]),
            high_low(d.file_version[2], d.file_version[3]),
            high_low(d.product_version[0], d.product_version[1]),
            high_low(d.product_version[2], d.product_version[3]),
            d.flags_mask,
            d.flags,
            d.file_os,
            d.file_type,
            d.file_subtype,
            0,
            0};
}

VersionNode version_record_tree(const VersionRecordDescription& description) {
    std::vector<std::uint8_t> fixed;
    for (const std::uint32_t word : fixed_file_info(description)) {
        put32(fixed, word);
    }
    VersionNode root = VersionNode::binary_node("VS_VERSION_INFO", std::move(fixed));

    VersionNode table;
    table.key = description.table_key;
    table.is_text = true;
    for (const auto& [key, value] : description.strings) {
        table.children.push_back(VersionNode::text_node(key, value));
    }
    VersionNode string_info;
    string_info.key = "StringFileInfo";
    string_info.is_text = true;
    string_info.children.push_back(std::move(table));

    std::vector<std::uint8_t> translations;
    for (const auto& [language, code_page] : description.translations) {
        put16(translations, language);
        put16(translations, code_page);
    }
    VersionNode var_info;
    var_info.key = "VarFileInfo";
    var_info.is_text = true;
    var_info.children.push_back(VersionNode::binary_node("Translation", std::move(translations)));

    root.children.push_back(std::move(string_info));
    root.children.push_back(std::move(var_info));
    return root;
}

}  // namespace hx4x
