#include <gtest/gtest.h>

#include <cstddef>

#include "fuzz_corpus.hpp"
#include "rtf_reader_target.hpp"

namespace hx4x {
namespace {

// Every input the fuzzer ever kept, and every seed, still holds the reader's invariants.
TEST(RtfReaderFuzzRegression, ReplaysKeptInputs) {
    const std::size_t replayed = testing_support::replay_kept_inputs_and_seeds(
        "fuzz_rtf_reader", fuzzing::run_rtf_reader_case);
    EXPECT_GT(replayed, 0u);  // the seeds at least
}

}  // namespace
}  // namespace hx4x
