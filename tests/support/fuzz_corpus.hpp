#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
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

// Runs the target's case on every kept input and every seed, each traced by its place;
// the count run, so that a caller can insist on the seeds at least.
template <class RunCase>
std::size_t replay_kept_inputs_and_seeds(const std::string& target, RunCase run_case) {
    std::size_t replayed = 0;
    for (const auto& inputs : {fuzz_regression_inputs(target), fuzz_seed_inputs(target)}) {
        for (const std::string& input : inputs) {
            SCOPED_TRACE("input " + std::to_string(replayed) + " of its folder run");
            run_case(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
            ++replayed;
        }
    }
    return replayed;
}

}  // namespace hx4x::testing_support
