#include "visa-sim/received_image.hpp"

#include <gtest/gtest.h>

#include <vector>

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

}  // namespace
}  // namespace hx4x::visa_sim
