#include <gtest/gtest.h>

#include "fuzz_corpus.hpp"
#include "identify_target.hpp"

namespace hx4x {
namespace {

TEST(IdentifyFuzzRegression, KeptInputsAndAwkwardRepliesHoldTheInvariants) {
    auto inputs = testing_support::fuzz_regression_inputs("fuzz_identify");
    for (const char* reply :
         {"", ",", "VALDMORE,HX-40,123456,V", "VALDMORE,HX-40,123456,V.",
          "DWERN\tRV2260\n123456 V9999999999999999999999", "QUORVELAN,LMA5060,abcdef,-.-"}) {
        inputs.emplace_back(reply);
    }
    for (const std::string& input : inputs) {
        fuzzing::run_identify_case(input);  // aborts on a broken invariant
    }
    SUCCEED();
}

}  // namespace
}  // namespace hx4x
