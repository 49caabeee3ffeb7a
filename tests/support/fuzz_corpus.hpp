#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace hx4x::testing_support {

// Every file of the folder but the dot files (.keep). A missing folder fails the calling
// test: a misspelt target would otherwise replay nothing and pass.
inline std::vector<std::string> inputs_in(const std::filesystem::path& folder) {
    std::vector<std::string> inputs;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        ADD_FAILURE() << "no folder of kept inputs " << folder << ": " << error.message();
        return inputs;
    }
    for (const auto& entry : entries) {
        if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') {
            continue;
        }
        std::ifstream file(entry.path(), std::ios::binary);
        inputs.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return inputs;
}

// The inputs a fuzz target once failed on, kept under tests/data/fuzz/<target>/.
inline std::vector<std::string> fuzz_regression_inputs(const std::string& target) {
    return inputs_in(std::filesystem::path(HX4X_TEST_DATA_DIR) / "fuzz" / target);
}

// The target's seeds under fuzz/seeds/<target>/.
inline std::vector<std::string> fuzz_seed_inputs(const std::string& target) {
    return inputs_in(std::filesystem::path(HX4X_TEST_DATA_DIR) / ".." / ".." / "fuzz" / "seeds" /
                     target);
}

}  // namespace hx4x::testing_support
