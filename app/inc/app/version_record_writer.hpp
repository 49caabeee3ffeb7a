#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace hx4x {

// One node of a version record to be written. Keys and texts are UTF-8 and are stored as
// UTF-16; a byte that is no valid UTF-8 is taken as the Latin-1 character of that value.
struct VersionNode {
    std::string key;
    bool is_text = false;
    std::string text;                 // the value of a text node; empty gives value length 0
    std::vector<std::uint8_t> bytes;  // the value of a binary node
    std::vector<VersionNode> children;

    static VersionNode text_node(std::string key, std::string text);
    static VersionNode binary_node(std::string key, std::vector<std::uint8_t> bytes);
};

// Writes the node and its children in the version-resource layout. False, with a reason,
// when a node would exceed the 65535 bytes its 16-bit length can hold.
bool serialize_version_node(const VersionNode& node, std::vector<std::uint8_t>& out,
                            std::string* error);

// The values of a version record as a build describes them.
struct VersionRecordDescription {
    std::array<std::uint16_t, 4> file_version{};
    std::array<std::uint16_t, 4> product_version{};
    std::uint32_t flags_mask = 0x3F;
    std::uint32_t flags = 0;
    std::uint32_t file_os = 0x4;
    std::uint32_t file_type = 0x1;
    std::uint32_t file_subtype = 0;
    std::string table_key = "040904b0";
    std::vector<std::pair<std::string, std::string>> strings;           // in record order
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;  // language, code page

    // Replaces the value of a key, or appends the key when the table lacks it.
    void set_string(const std::string& key, const std::string& value);
};

// The record tree: the fixed part, one string table, the translation list.
VersionNode version_record_tree(const VersionRecordDescription& description);

// The 13 words of the fixed part for the description.
std::array<std::uint32_t, 13> fixed_file_info(const VersionRecordDescription& description);

}  // namespace hx4x
