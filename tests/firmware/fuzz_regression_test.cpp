// Replays every input the fuzzer kept and every seed through the fuzzer's own check.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "hex_reader_oracle.hpp"

namespace hx4x {
namespace {

namespace fs = std::filesystem;

std::size_t replay(const fs::path& folder) {
    std::size_t count = 0;
    if (!fs::is_directory(folder)) {
        ADD_FAILURE() << "no folder of inputs " << folder;  // a misspelt name replays nothing
        return count;
    }
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') {
            continue;
        }
        std::string bytes;
        if (std::FILE* file = std::fopen(entry.path().string().c_str(), "rb")) {
            char chunk[4096];
            std::size_t got = 0;
            while ((got = std::fread(chunk, 1, sizeof chunk, file)) != 0) {
                bytes.append(chunk, got);
            }
            std::fclose(file);
        }
        EXPECT_EQ(check_hex_reader_input(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                         bytes.size()),
                  "")
            << entry.path();
        ++count;
    }
    return count;
}

TEST(FuzzRegression, KeptInputsHoldEveryRule) {
    replay(fs::path(HX4X_TEST_DATA_DIR) / "fuzz" / "fuzz_hex_reader");
    const std::size_t seeds = replay(fs::path(HX4X_TEST_DATA_DIR).parent_path().parent_path() /
                                     "fuzz" / "seeds" / "fuzz_hex_reader");
    EXPECT_GT(seeds, 0u);
}

}  // namespace
}  // namespace hx4x
