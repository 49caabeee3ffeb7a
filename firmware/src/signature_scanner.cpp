#include "firmware/signature_scanner.hpp"

#include <cstring>

namespace hx4x {

void SignatureScanner::configure(const std::string& pattern, bool optional,
                                 std::uint32_t max_value_length, char terminator) {
    pattern_ = pattern;
    optional_ = optional;
    max_value_length_ = max_value_length;
    terminator_ = terminator;
    matched_ = 0;
    complete_ = false;
    value_.clear();
    value_.reserve(max_value_length);
}

void SignatureScanner::capture(std::uint8_t byte) {
    if (max_value_length_ == 0 || complete_) {
        return;
    }
    if (byte == static_cast<std::uint8_t>(terminator_) || value_.size() >= max_value_length_) {
        complete_ = true;
        return;
    }
    value_.push_back(static_cast<char>(byte));
}

void SignatureScanner::feed(std::uint8_t byte) {
    if (is_found()) {
        capture(byte);
        return;
    }
    // An empty pattern is never found.
    if (pattern_.empty()) {
        return;
    }
    // A mismatch restarts the search without testing the same byte against the first
    // pattern byte again.
    if (byte == static_cast<std::uint8_t>(pattern_[matched_])) {
        ++matched_;
    } else {
        matched_ = 0;
    }
}

void SignatureScanner::feed(const std::uint8_t* bytes, std::size_t count) {
    const std::uint8_t* at = bytes;
    const std::uint8_t* const end = bytes + count;
    while (at != end) {
        if (is_found() && (max_value_length_ == 0 || complete_)) {
            return;
        }
        if (matched_ == 0 && !pattern_.empty()) {
            // Nothing matched yet: only the first pattern byte can change the state.
            const void* next = std::memchr(at, static_cast<unsigned char>(pattern_[0]),
                                           static_cast<std::size_t>(end - at));
            if (next == nullptr) {
                return;
            }
            at = static_cast<const std::uint8_t*>(next);
        }
        feed(*at);
        ++at;
    }
}

}  // namespace hx4x
