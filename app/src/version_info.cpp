#include "app/version_info.hpp"

#include "app/version_record_node.hpp"
#include "platform/version_resource.hpp"

namespace hx4x {

std::size_t version_buffer_capacity(std::size_t needed) {
    constexpr std::size_t initial = 1024;
    return needed <= initial ? initial : (needed + 2047) / 1024 * 1024;
}

bool VersionInfo::read(const std::string& file_path,
                       const std::optional<std::string>& resource_name, std::uint16_t language) {
    clear();
    file_path_ = file_path;
    resource_name_ = resource_name;
    language_ = language;
    std::vector<std::uint8_t> bytes;
    if (!platform::read_version_resource(file_path, resource_name, language, bytes)) {
        return false;
    }
    buffer_.reserve(version_buffer_capacity(bytes.size()));
    buffer_.assign(bytes.begin(), bytes.end());
    if (!parse(buffer_.data(), buffer_.size())) {
        buffer_.clear();
        return false;
    }
    return true;
}

bool VersionInfo::parse(const std::uint8_t* data, std::size_t size) {
    fixed_.fill(0);
    tables_.clear();
    const VersionRecordView record(data, data == nullptr ? 0 : size);
    VersionNodeHead root;
    if (!record.node_at(0, record.size(), root)) {
        return false;
    }
    // The fixed part is the root's value; a root without one leaves it zero.
    if (root.value_bytes >= fixed_words * 4 && root.end - root.value_start >= fixed_words * 4) {
        for (std::size_t i = 0; i < fixed_words; ++i) {
            fixed_[i] = record.u32(root.value_start + 4 * i);
        }
    }
    record.for_each_child(root, [&](const VersionNodeHead& child) {
        if (child.key != "StringFileInfo") {
            return;
        }
        record.for_each_child(child, [&](const VersionNodeHead& table_node) {
            VersionStringTable table;
            table.key = table_node.key;
            record.for_each_child(table_node, [&](const VersionNodeHead& string) {
                table.entries.emplace_back(string.key, record.text_value(string));
            });
            tables_.push_back(std::move(table));
        });
    });
    return true;
}

void VersionInfo::clear() {
    file_path_.clear();
    resource_name_.reset();
    language_ = any_language;
    buffer_.clear();
    fixed_.fill(0);
    tables_.clear();
}

std::string VersionInfo::string_value(const std::string& key) const {
    if (tables_.empty()) {
        return {};
    }
    for (const auto& [entry_key, value] : tables_.front().entries) {
        if (entry_key == key) {
            return value;
        }
    }
    return {};
}

std::string VersionInfo::file_version_text() const {
    const std::uint32_t high = fixed_[2];
    const std::uint32_t low = fixed_[3];
    return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." +
           std::to_string(low >> 16);
}

}  // namespace hx4x
