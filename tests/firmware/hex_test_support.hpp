#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "hexgen/hex_generator.hpp"

namespace hx4x::test {

inline std::string record(std::uint32_t type, std::uint16_t offset, const std::string& data) {
    return hex_record_text(type, offset, reinterpret_cast<const std::uint8_t*>(data.data()),
                           data.size());
}

inline std::string data_record(std::uint16_t offset, const std::string& data) {
    return record(0, offset, data);
}

inline std::string end_record() {
    return ":00000001FF";
}

// Both signatures and a version in one small valid file.
inline std::string small_firmware(const std::string& eol = "\n") {
    return record(4, 0, std::string("\x00\x00", 2)) + eol +
           data_record(0, std::string("R OZU Zavi Zerud", 16)) + eol +
           data_record(16, std::string("VALDMORE\0KELDOR-", 16)) + eol +
           data_record(32, std::string("VERSION:2.03\0\x01\x02\x03", 16)) + eol + end_record() +
           eol;
}

// A file in the system temp folder, removed at the end of the test.
class TempFile {
  public:
    explicit TempFile(const std::string& contents, const std::string& name = "hx4x_fw_test.hex")
        : path_((std::filesystem::temp_directory_path() /
                 (process_token() + "_" + std::to_string(counter()++) + "_" + name))
                    .string()) {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file != nullptr) {
            std::fwrite(contents.data(), 1, contents.size(), file);
            std::fclose(file);
        }
    }
    ~TempFile() {
        std::error_code code;
        std::filesystem::remove(path_, code);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return path_; }

  private:
    // Test cases run as parallel processes: a counter alone would give them the same names.
    static const std::string& process_token() {
        static const std::string token = [] {
            std::random_device random;
            return std::to_string(random()) + std::to_string(random());
        }();
        return token;
    }
    static int& counter() {
        static int value = 0;
        return value;
    }
    std::string path_;
};

}  // namespace hx4x::test
