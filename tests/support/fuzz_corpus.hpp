#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace hx4x::testing_support {

// The inputs a fuzz target once failed on, kept under tests/data/fuzz/<target>/.
inline std::vector<std::string> fuzz_regression_inputs(const std::string& target) {
    std::vector<std::string> inputs;
    const std::filesystem::path folder =
        std::filesystem::path(HX4X_TEST_DATA_DIR) / "fuzz" / target;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') {
            continue;
        }
        std::ifstream file(entry.path(), std::ios::binary);
        inputs.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return inputs;
}

}  // namespace hx4x::testing_support
