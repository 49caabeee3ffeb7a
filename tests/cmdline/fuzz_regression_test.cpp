#include <gtest/gtest.h>

#include "command_line_target.hpp"
#include "fuzz_corpus.hpp"

namespace hx4x {
namespace {

TEST(CommandLineFuzzRegression, KeptInputsAndAwkwardLinesHoldTheInvariants) {
    auto inputs = testing_support::fuzz_regression_inputs("fuzz_command_line");
    for (const char* line : {"\"", "\"\"\"", "a\"", "= = =", "-\t\"\n\"", "\\ \\ \\", "x\"\"y"}) {
        inputs.emplace_back(line);
    }
    for (const std::string& input : inputs) {
        fuzzing::run_command_line_case(input);  // aborts on a broken invariant
    }
    SUCCEED();
}

}  // namespace
}  // namespace hx4x
