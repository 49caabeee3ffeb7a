#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace hx4x {

// The head of one node of a version record, with every position already checked against
// the record and against the node's parent.
struct VersionNodeHead {
    std::size_t start = 0;
    std::size_t length = 0;  // as the node claims it (at least the 6-byte head)
    std::size_t end = 0;     // start + length, cut at the parent's end
    std::uint16_t value_length = 0;
    std::uint16_t type = 0;  // 1 text, 0 binary
    std::string key;
    std::size_t value_start = 0;
    std::size_t value_bytes = 0;
    std::size_t children_start = 0;
};

// Walks the nodes of a version record held in memory without ever reading outside it.
class VersionRecordView {
  public:
    VersionRecordView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t size() const { return size_; }

    // The node at start, which must lie within limit; false when no whole head and
    // NUL-terminated key fit there.
    bool node_at(std::size_t start, std::size_t limit, VersionNodeHead& head) const;

    // Calls visit for each child of the parent in record order; the walk stops at the
    // parent's end or at the first child that is not a node.
    template <class Visit>
    void for_each_child(const VersionNodeHead& parent, Visit&& visit) const {
        std::size_t position = parent.children_start;
        while (position < parent.end) {
            VersionNodeHead child;
            if (!node_at(position, parent.end, child)) {
                return;
            }
            visit(child);
            position = align(position + child.length);
        }
    }

    // The node's text value in 8 bits; empty when its value length is 0.
    std::string text_value(const VersionNodeHead& node) const;

    // A little-endian word at the offset; 0 where the record ends.
    std::uint16_t u16(std::size_t offset) const;
    std::uint32_t u32(std::size_t offset) const;

    static std::size_t align(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

  private:
    // UTF-16 from start up to a NUL, max_units or limit; end_of_text receives the offset
    // after the NUL, or 0 when there was none.
    std::string text_at(std::size_t start, std::size_t limit, std::size_t max_units,
                        std::size_t& end_of_text) const;

    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace hx4x
