#include "app/version_record_node.hpp"

#include <algorithm>

namespace hx4x {

namespace {

constexpr std::size_t head_bytes = 6;

bool is_high_surrogate(std::uint16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool is_low_surrogate(std::uint16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::uint16_t VersionRecordView::u16(std::size_t offset) const {
    if (offset >= size_ || size_ - offset < 2) {
        return 0;
    }
    return static_cast<std::uint16_t>(data_[offset] | (data_[offset + 1] << 8));
}

std::uint32_t VersionRecordView::u32(std::size_t offset) const {
    if (offset >= size_ || size_ - offset < 4) {
        return 0;
    }
    return static_cast<std::uint32_t>(u16(offset)) |
           (static_cast<std::uint32_t>(u16(offset + 2)) << 16);
}

std::string VersionRecordView::text_at(std::size_t start, std::size_t limit, std::size_t max_units,
                                       std::size_t& end_of_text) const {
    end_of_text = 0;
    std::string text;
    limit = std::min(limit, size_);
    std::size_t position = start;
    for (std::size_t units = 0; units < max_units && position < limit && limit - position >= 2;
         ++units, position += 2) {
        const std::uint16_t unit = u16(position);
        if (unit == 0) {
            end_of_text = position + 2;
            return text;
        }
        if (unit < 0x100) {
            text += static_cast<char>(unit);
            continue;
        }
        // Characters outside Latin-1 have no 8-bit form here; a surrogate pair is one of them.
        text += '?';
        if (is_high_surrogate(unit) && units + 1 < max_units && limit - position >= 4 &&
            is_low_surrogate(u16(position + 2))) {
            position += 2;
            ++units;
        }
    }
    return text;
}

bool VersionRecordView::node_at(std::size_t start, std::size_t limit, VersionNodeHead& head) const {
    limit = std::min(limit, size_);
    if (start >= limit || limit - start < head_bytes) {
        return false;
    }
    head = VersionNodeHead{};
    head.start = start;
    head.length = u16(start);
    if (head.length < head_bytes) {
        return false;
    }
    head.end = std::min(start + head.length, limit);
    head.value_length = u16(start + 2);
    head.type = u16(start + 4);
    std::size_t key_end = 0;
    head.key = text_at(start + head_bytes, head.end, head.end, key_end);
    if (key_end == 0) {
        return false;
    }
    head.value_start = align(key_end);
    head.value_bytes = head.type == 1 ? std::size_t{head.value_length} * 2 : head.value_length;
    head.children_start = align(head.value_start + head.value_bytes);
    return true;
}

std::string VersionRecordView::text_value(const VersionNodeHead& node) const {
    if (node.value_length == 0) {
        return {};
    }
    std::size_t end_of_text = 0;
    return text_at(node.value_start, node.end, node.value_length, end_of_text);
}

}  // namespace hx4x
