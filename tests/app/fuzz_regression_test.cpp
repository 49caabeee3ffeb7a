#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fuzz_corpus.hpp"
#include "version_info_target.hpp"

namespace hx4x {
namespace {

// Every crash the fuzzer ever kept, and every seed, still parses within the invariants.
TEST(VersionInfoFuzzRegression, ReplaysKeptInputs) {
    std::size_t replayed = 0;
    for (const auto& inputs : {testing_support::fuzz_regression_inputs("fuzz_version_info"),
                               testing_support::fuzz_seed_inputs("fuzz_version_info")}) {
        for (const std::string& input : inputs) {
            SCOPED_TRACE("input " + std::to_string(replayed) + " of its folder run");
            fuzzing::run_version_info_case(reinterpret_cast<const std::uint8_t*>(input.data()),
                                           input.size());
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0u);  // the seeds at least
}

}  // namespace
}  // namespace hx4x
