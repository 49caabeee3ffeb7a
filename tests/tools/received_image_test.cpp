#include "visa-sim/received_image.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "case_name.hpp"
#include "temp_dir.hpp"

namespace hx4x::visa_sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ReceivedImage, MergesAdjacentAndOverlappingRuns) {
    ReceivedImage image;
    const Bytes a = {1, 2, 3, 4};
    const Bytes b = {5, 6};
    ASSERT_TRUE(image.store(0x10, a.data(), a.size()));
    ASSERT_TRUE(image.store(0x14, b.data(), b.size()));  // adjacent
    ASSERT_TRUE(image.store(0x12, a.data() + 2, 2));     // identical bytes again
    ASSERT_EQ(image.runs().size(), 1u);
    EXPECT_EQ(image.runs().begin()->first, 0x10u);
    EXPECT_EQ(image.runs().begin()->second, (Bytes{1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(image.store(0x20, b.data(), b.size()));
    EXPECT_EQ(image.runs().size(), 2u);
    // A block bridging both runs joins them.
    const Bytes bridge(0x20 - 0x15 + 1, 0xAA);
    Bytes bridged = bridge;
    bridged.front() = 6;  // agrees with the byte at 0x15
    bridged.back() = 5;   // and with the one at 0x20
    ASSERT_TRUE(image.store(0x15, bridged.data(), bridged.size()));
    ASSERT_EQ(image.runs().size(), 1u);
    EXPECT_EQ(image.byte_count(), 0x22u - 0x10u);
}

TEST(ReceivedImage, RefusesDifferentBytesAtAStoredAddressAndKeepsTheOldOnes) {
    ReceivedImage image;
    const Bytes a = {1, 2, 3};
    const Bytes clash = {9, 9, 3, 4};
    ASSERT_TRUE(image.store(0, a.data(), a.size()));
    EXPECT_FALSE(image.store(2, clash.data() + 1, 3));  // 9 over 3
    EXPECT_EQ(image.runs().begin()->second, a);
    EXPECT_EQ(image.byte_count(), 3u);
}

TEST(ReceivedImage, StoresUpToTheTopOfTheAddressSpace) {
    ReceivedImage image;
    const Bytes a = {7, 8};
    ASSERT_TRUE(image.store(0xFFFFFFFEu, a.data(), a.size()));
    EXPECT_EQ(image.runs().begin()->first, 0xFFFFFFFEu);
}

TEST(ReceivedImage, WritesRawBytesWithGapsAndAMap) {
    testing_support::TempDir dir;
    ReceivedImage image;
    const Bytes a = {0x01, 0x02};
    const Bytes b = {0xAB};
    ASSERT_TRUE(image.store(0x100, a.data(), a.size()));
    ASSERT_TRUE(image.store(0x104, b.data(), b.size()));
    std::string error;
    ASSERT_TRUE(image.write_binary(dir.file("image.bin"), &error)) << error;
    EXPECT_EQ(testing_support::read_file(dir.file("image.bin")),
              std::string("\x01\x02\xFF\xFF\xAB", 5));
    ASSERT_TRUE(image.write_map(dir.file("image.map"), &error)) << error;
    EXPECT_EQ(testing_support::read_file(dir.file("image.map")),
              "0x00000100 2 0102\n0x00000104 1 AB\n");
}

TEST(ReceivedImage, RefusesARawFileSpanningTooMuchAndAnUnwritablePath) {
    testing_support::TempDir dir;
    ReceivedImage image;
    const Bytes a = {1};
    ASSERT_TRUE(image.store(0, a.data(), 1));
    ASSERT_TRUE(image.store(0xF0000000u, a.data(), 1));
    std::string error;
    EXPECT_FALSE(image.write_binary(dir.file("big.bin"), &error));
    EXPECT_NE(error.find("spans"), std::string::npos);
    EXPECT_TRUE(image.write_map(dir.file("big.map"), &error));
    EXPECT_FALSE(image.write_map(dir.file("missing/dir/x.map"), &error));
    EXPECT_EQ(error, "cannot write " + dir.file("missing/dir/x.map"));
}

struct StreamCase {
    const char* name;
    std::size_t total;
    std::size_t block;
    std::size_t step;  // the next block starts this far on: block, or less when blocks overlap
    bool resend;       // every block sent twice, as after a lost reply
    bool stored_tail;  // the last 1000 bytes (and 500 more) were stored before the stream
};

class ReceivedImageStream : public ::testing::TestWithParam<StreamCase> {};

std::uint8_t pattern(std::uint64_t address) {
    return static_cast<std::uint8_t>(address * 7 + (address >> 11));
}

// Blocks in ascending order, as the loader sends them: a whole image ends as one run with
// every byte in place, however many blocks it took.
TEST_P(ReceivedImageStream, StoresAscendingBlocksAsOneRun) {
    const StreamCase& c = GetParam();
    Bytes bytes(c.total + 500);
    for (std::size_t a = 0; a < bytes.size(); ++a) {
        bytes[a] = pattern(a);
    }
    ReceivedImage image;
    const std::size_t end = c.stored_tail ? c.total + 500 : c.total;
    if (c.stored_tail) {
        ASSERT_TRUE(
            image.store(static_cast<std::uint32_t>(c.total - 1000), &bytes[c.total - 1000], 1500));
    }
    for (std::size_t at = 0; at < c.total; at += c.step) {
        const std::size_t length = std::min(c.block, c.total - at);
        for (int copy = 0; copy < (c.resend ? 2 : 1); ++copy) {
            ASSERT_TRUE(image.store(static_cast<std::uint32_t>(at), &bytes[at], length)) << at;
        }
    }
    ASSERT_EQ(image.runs().size(), 1u);
    const auto& [start, run] = *image.runs().begin();
    EXPECT_EQ(start, 0u);
    ASSERT_EQ(run.size(), end);
    EXPECT_TRUE(std::equal(run.begin(), run.end(), bytes.begin()));
    // The checks still hold on a grown run: a byte that differs is refused, and nothing moves.
    const std::uint8_t wrong = static_cast<std::uint8_t>(pattern(end - 1) + 1);
    EXPECT_FALSE(image.store(static_cast<std::uint32_t>(end - 1), &wrong, 1));
    EXPECT_EQ(image.byte_count(), end);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReceivedImageStream,
    ::testing::Values(StreamCase{"Contiguous64MiB", 64u << 20, 2040, 2040, false, false},
                      StreamCase{"EachBlockSentTwice", 4u << 20, 2040, 2040, true, false},
                      StreamCase{"OverlappingByHalfABlock", 4u << 20, 2040, 1020, false, false},
                      StreamCase{"IntoARunStoredBefore", 4u << 20, 2040, 2040, false, true}),
    testing_support::CaseName());

}  // namespace
}  // namespace hx4x::visa_sim
