#include <gtest/gtest.h>

#include <string>

#include "fuzz_corpus.hpp"
#include "update_blocks_target.hpp"

namespace hx4x {
namespace {

TEST(UpdateFuzzRegression, KeptInputsAndAwkwardImagesHoldTheInvariants) {
    auto inputs = testing_support::fuzz_regression_inputs("fuzz_update_blocks");
    // A 255-byte record, an empty one, an ELA at the top, replies with signs and blanks.
    inputs.push_back(std::string("\x00\x00\x00\xFF", 4) + std::string(255, '\x0A'));
    inputs.push_back(std::string("\x00\x10\x00\x00\x04\x00\x00\x02\xFF\xFF", 10));
    inputs.push_back(" -0128\n");
    for (const std::string& input : inputs) {
        fuzzing::run_update_blocks_case(reinterpret_cast<const std::uint8_t*>(input.data()),
                                        input.size());
    }
    SUCCEED();
}

}  // namespace
}  // namespace hx4x
