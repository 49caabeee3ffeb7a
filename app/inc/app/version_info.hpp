#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace hx4x {

// One language's strings of a version record, in record order.
struct VersionStringTable {
    std::string key;  // language and code page as 8 hexadecimal digits, such as 040904b0
    std::vector<std::pair<std::string, std::string>> entries;
};

// The program's version record (VS_VERSIONINFO): its fixed part and its string tables.
// A reader that found no record answers empty strings and the version "0.0.0".
class VersionInfo {
  public:
    static constexpr std::uint16_t any_language = 0xFFFF;
    static constexpr std::size_t fixed_words = 13;
    static constexpr std::uint32_t fixed_signature = 0xFEEF04BD;

    // Reads the record of an executable file; no name and any_language take the first.
    bool read(const std::string& file_path,
              const std::optional<std::string>& resource_name = std::nullopt,
              std::uint16_t language = any_language);

    // Parses a record held in memory. Any byte sequence is safe: everything is read within
    // the given size and within the lengths the nodes claim. False when no record is there.
    bool parse(const std::uint8_t* data, std::size_t size);

    void clear();

    // The value under the key in the first string table; empty when it is not there.
    std::string string_value(const std::string& key) const;
    // major.minor.build from the fixed file version.
    std::string file_version_text() const;

    const std::string& file_path() const { return file_path_; }
    const std::optional<std::string>& resource_name() const { return resource_name_; }
    std::uint16_t language() const { return language_; }
    const std::array<std::uint32_t, fixed_words>& fixed_information() const { return fixed_; }
    const std::vector<VersionStringTable>& string_tables() const { return tables_; }

  private:
    std::string file_path_;
    std::optional<std::string> resource_name_;
    std::uint16_t language_ = any_language;
    std::vector<std::uint8_t> buffer_;
    std::array<std::uint32_t, fixed_words> fixed_{};
    std::vector<VersionStringTable> tables_;
};

// The capacity of a reader's record buffer for a record of the given size: 1024 bytes, or
// the size plus 2047 rounded down to a multiple of 1024 when that is not enough.
std::size_t version_buffer_capacity(std::size_t needed);

}  // namespace hx4x
