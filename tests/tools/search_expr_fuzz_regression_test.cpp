#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fuzz_corpus.hpp"
#include "search_expr_target.hpp"

namespace hx4x {
namespace {

TEST(SearchExpressionFuzzRegression, KeptInputsAndAwkwardOnesHoldTheInvariants) {
    auto inputs = testing_support::fuzz_regression_inputs("fuzz_visa_search_expr");
    for (const char* input : {"", "\n", "?*\n", "(\nx", "[a-\n-", "\\\n\\", "((((a*)*)*)*)+\naaaa",
                              "[^\\]]*\n]]", "a|(b|c*)+|\n", "(?*)*\nGPIB0::1::INSTR"}) {
        inputs.emplace_back(input);
    }
    for (const std::string& input : inputs) {
        fuzzing::run_search_expr_case(reinterpret_cast<const std::uint8_t*>(input.data()),
                                      input.size());  // aborts on a broken invariant
    }
    SUCCEED();
}

}  // namespace
}  // namespace hx4x
