#include <gtest/gtest.h>

#include <cstddef>

#include "fuzz_corpus.hpp"
#include "version_info_target.hpp"

namespace hx4x {
namespace {

// Every crash the fuzzer ever kept, and every seed, still parses within the invariants.
TEST(VersionInfoFuzzRegression, ReplaysKeptInputs) {
    const std::size_t replayed = testing_support::replay_kept_inputs_and_seeds(
        "fuzz_version_info", fuzzing::run_version_info_case);
    EXPECT_GT(replayed, 0u);  // the seeds at least
}

}  // namespace
}  // namespace hx4x
