#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace hx4x {

// The settings file beside the program. With an empty path every read is empty and
// nothing is written, so a program that could not name its file runs on defaults.
class LoaderSettings {
  public:
    // The longest value a read returns, the system's profile read being given 1040 bytes.
    static constexpr std::size_t longest_value = 1039;

    LoaderSettings() = default;
    explicit LoaderSettings(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    void set_path(std::string path) { path_ = std::move(path); }

    // The value, cut at a NUL byte and to longest_value; the default when the key is missing
    // or the file cannot be read.
    std::string read(const std::string& section, const std::string& key,
                     const std::string& default_value) const;
    // Writes or replaces the key's line (an empty value keeps the key with nothing after its
    // "="). False when nothing was written; the callers ignore it, a lost setting being no
    // reason to trouble the operator.
    bool write(const std::string& section, const std::string& key, const std::string& value);

    // The same on the key key + "_" + index.
    std::string read_indexed(std::size_t index, const std::string& key, const std::string& section,
                             const std::string& default_value) const;
    bool write_indexed(std::size_t index, const std::string& key, const std::string& section,
                       const std::string& value);

  private:
    std::string path_;
};

}  // namespace hx4x
