#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace hx4x::testing_support {

// The inputs a fuzz target once failed on, kept under tests/data/fuzz/<target>/. A missing
// folder fails the calling test: a misspelt target would otherwise replay nothing and pass.
inline std::vector<std::string> fuzz_regression_inputs(const std::string& target) {
    std::vector<std::string> inputs;
    const std::filesystem::path folder =
        std::filesystem::path(HX4X_TEST_DATA_DIR) / "fuzz" / target;
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

}  // namespace hx4x::testing_support
