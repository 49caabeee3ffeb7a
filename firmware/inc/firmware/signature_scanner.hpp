#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace hx4x {

// Finds a byte pattern in the data bytes of a firmware file and optionally captures the
// bytes that follow it, up to a terminator or a length limit.
class SignatureScanner {
  public:
    SignatureScanner() = default;
    SignatureScanner(const std::string& pattern, bool optional, std::uint32_t max_value_length,
                     char terminator) {
        configure(pattern, optional, max_value_length, terminator);
    }

    void configure(const std::string& pattern, bool optional, std::uint32_t max_value_length,
                   char terminator);

    // Offers one data byte.
    void feed(std::uint8_t byte);
    // Offers bytes in order; the same result as feeding them one by one.
    void feed(const std::uint8_t* bytes, std::size_t count);

    bool is_found() const { return matched_ != 0 && matched_ == pattern_.size(); }

    const std::string& pattern() const { return pattern_; }
    std::uint32_t matched() const { return matched_; }
    std::uint32_t max_value_length() const { return max_value_length_; }
    const std::string& value() const { return value_; }
    char terminator() const { return terminator_; }
    bool complete() const { return complete_; }
    bool optional() const { return optional_; }

  private:
    void capture(std::uint8_t byte);

    std::string pattern_;
    std::uint32_t matched_ = 0;
    std::uint32_t max_value_length_ = 0;
    std::string value_;
    char terminator_ = '\0';
    bool complete_ = false;
    bool optional_ = false;
};

}  // namespace hx4x
