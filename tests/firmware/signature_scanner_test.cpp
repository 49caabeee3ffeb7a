#include "firmware/signature_scanner.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "case_name.hpp"

namespace hx4x {
namespace {

void feed_text(SignatureScanner& scanner, const std::string& text) {
    for (const char c : text) {
        scanner.feed(static_cast<std::uint8_t>(c));
    }
}

struct FindCase {
    const char* name;
    const char* pattern;
    std::string bytes;
    bool found;
};

class SignatureScannerFind : public ::testing::TestWithParam<FindCase> {};

TEST_P(SignatureScannerFind, FollowsTheRestartRule) {
    const FindCase& c = GetParam();
    SignatureScanner one_by_one(c.pattern, false, 0, '\0');
    feed_text(one_by_one, c.bytes);
    EXPECT_EQ(one_by_one.is_found(), c.found);
    SignatureScanner batch(c.pattern, false, 0, '\0');
    batch.feed(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size());
    EXPECT_EQ(batch.is_found(), c.found);
    EXPECT_EQ(batch.matched(), one_by_one.matched());
}

INSTANTIATE_TEST_SUITE_P(
    Scanner, SignatureScannerFind,
    ::testing::Values(FindCase{"FoundInTheMiddle", "ABC", "xxABCxx", true},
                      FindCase{"NoBacktrackAfterARepeat", "ABC", "AABC", false},
                      FindCase{"ShorterThanThePattern", "ABC", "AB", false},
                      FindCase{"NoBacktrackAfterAPartialMatch", "ABC", "ABABC", false},
                      FindCase{"FoundAfterAMismatch", "ABC", "ABXABC", true},
                      FindCase{"NoBacktrackInARun", "AAB", "AAAB", false},
                      FindCase{"ExactMatch", "ABC", "ABC", true},
                      FindCase{"EmptyPatternFindsNothing", "", "anything", false},
                      FindCase{"NulInsideThePattern", "A\0B", std::string("A\0B", 3), true}),
    testing_support::CaseName());

TEST(SignatureScanner, ConfigureResetsEverything) {
    SignatureScanner scanner("K:", true, 3, ';');
    feed_text(scanner, "K:ab;");
    EXPECT_TRUE(scanner.complete());
    scanner.configure("Q", false, 5, '\0');
    EXPECT_EQ(scanner.pattern(), "Q");
    EXPECT_EQ(scanner.matched(), 0u);
    EXPECT_FALSE(scanner.complete());
    EXPECT_TRUE(scanner.value().empty());
    EXPECT_GE(scanner.value().capacity(), 5u);
    EXPECT_FALSE(scanner.optional());
    EXPECT_EQ(scanner.max_value_length(), 5u);
}

struct CaptureCase {
    const char* name;
    std::string bytes;
    std::uint32_t max_length;
    std::string value;
    bool complete;
};

class SignatureScannerCapture : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(SignatureScannerCapture, StopsAtTerminatorOrLimit) {
    const CaptureCase& c = GetParam();
    SignatureScanner scanner("V:", true, c.max_length, '\0');
    feed_text(scanner, c.bytes);
    EXPECT_EQ(scanner.value(), c.value);
    EXPECT_EQ(scanner.complete(), c.complete);
    SignatureScanner batch("V:", true, c.max_length, '\0');
    batch.feed(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size());
    EXPECT_EQ(batch.value(), c.value);
    EXPECT_EQ(batch.complete(), c.complete);
}

INSTANTIATE_TEST_SUITE_P(
    Scanner, SignatureScannerCapture,
    ::testing::Values(
        CaptureCase{"Terminated", std::string("V:2.03\0rest", 11), 30, "2.03", true},
        CaptureCase{"Unterminated", "V:2.03", 30, "2.03", false},
        CaptureCase{"AtLimit", "V:abcdef", 3, "abc", true},
        CaptureCase{"ExactlyLimitNoMore", "V:abc", 3, "abc", false},
        CaptureCase{"NoCapture", std::string("V:abc\0", 6), 0, "", false},
        CaptureCase{"LaterKeywordIgnored", std::string("V:1\0V:2\0", 8), 30, "1", true},
        CaptureCase{"EmptyValue", std::string("V:\0", 3), 30, "", true},
        CaptureCase{"KeywordBytesCaptured", std::string("V:V:x\0", 6), 30, "V:x", true}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// Feeding a run at once must leave exactly the state of feeding byte by byte.
TEST(SignatureScanner, BatchFeedMatchesByteFeed) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(0, 3);
    const char alphabet[] = {'A', 'B', 'C', '\0'};
    for (int round = 0; round < 500; ++round) {
        std::string bytes;
        const int length = 1 + round % 40;
        for (int i = 0; i < length; ++i) {
            bytes += alphabet[pick(random)];
        }
        SignatureScanner single("ABAC", round % 2 == 0, static_cast<std::uint32_t>(round % 5), 'C');
        SignatureScanner batch("ABAC", round % 2 == 0, static_cast<std::uint32_t>(round % 5), 'C');
        feed_text(single, bytes);
        const auto split = bytes.size() / 2;
        const auto* raw = reinterpret_cast<const std::uint8_t*>(bytes.data());
        batch.feed(raw, split);
        batch.feed(raw + split, bytes.size() - split);
        ASSERT_EQ(batch.matched(), single.matched()) << bytes;
        ASSERT_EQ(batch.value(), single.value()) << bytes;
        ASSERT_EQ(batch.complete(), single.complete()) << bytes;
    }
}

}  // namespace
}  // namespace hx4x
