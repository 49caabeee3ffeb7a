#include "update/fill_block.hpp"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "record_builder.hpp"
#include "update/data_command.hpp"

namespace hx4x {
namespace {

using test::counting_record;
using test::end_of_file_record;
using test::linear_address_record;
using test::typed_record;

std::vector<std::uint8_t> block_bytes(const FirmwareBlock& block) {
    return {block.bytes(), block.bytes() + block.size()};
}

std::uint8_t byte_sum(const FirmwareBlock& block) {
    const auto bytes = block_bytes(block);
    return static_cast<std::uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0u));
}

TEST(FirmwareBlockTest, CapacityFollowsTheWidth) {
    EXPECT_EQ(FirmwareBlock(1).capacity(), 249u);
    EXPECT_EQ(FirmwareBlock(2).capacity(), 2040u);
    EXPECT_EQ(FirmwareBlock(0).width(), 2u);
    EXPECT_EQ(FirmwareBlock(7).capacity(), 2040u);
}

TEST(FirmwareBlockTest, WireFormIsLittleEndianWithZeroSum) {
    FirmwareBlock block(2);
    block.clear();
    block.set_start_address(0x12345678u);
    std::vector<std::uint8_t> payload(300, 0xFF);
    ASSERT_TRUE(block.append(payload.data(), payload.size()));
    block.finish();
    const auto bytes = block_bytes(block);
    ASSERT_EQ(bytes.size(), 307u);
    EXPECT_EQ(bytes[0], 0x78);
    EXPECT_EQ(bytes[1], 0x56);
    EXPECT_EQ(bytes[2], 0x34);
    EXPECT_EQ(bytes[3], 0x12);
    EXPECT_EQ(bytes[4], 0x2C);  // 300 = 0x012C
    EXPECT_EQ(bytes[5], 0x01);
    EXPECT_EQ(byte_sum(block), 0u);
}

TEST(FirmwareBlockTest, AppendRefusesWhatDoesNotFit) {
    FirmwareBlock block(1);
    std::vector<std::uint8_t> payload(249, 1);
    EXPECT_FALSE(block.append(payload.data(), 250));
    EXPECT_TRUE(block.empty());
    EXPECT_TRUE(block.append(payload.data(), 249));
    EXPECT_EQ(block.room(), 0u);
    EXPECT_FALSE(block.append(payload.data(), 1));
    EXPECT_EQ(block.size(), 255u);
}

TEST(FillBlockTest, ContiguousRecordsFormOneBlock) {
    const std::vector<HexRecord> records = {counting_record(0x0000, 16),
                                            counting_record(0x0010, 16, 16), end_of_file_record()};
    FirmwareBlock block(2);
    std::uint32_t upper = 0;
    EXPECT_EQ(fill_block(records, 0, block, upper), 3u);
    EXPECT_EQ(block.payload_length(), 32u);
    EXPECT_EQ(block.start_address(), 0u);
    EXPECT_EQ(block.size(), 39u);
    EXPECT_EQ(data_command_header(block), "SYST:FIRM:DATA #239");
    const auto bytes = block_bytes(block);
    for (std::size_t i = 0; i < 32; ++i) {
        EXPECT_EQ(bytes[6 + i], i);
    }
    EXPECT_EQ(byte_sum(block), 0u);
}

TEST(FillBlockTest, GapStartsANewBlock) {
    const std::vector<HexRecord> records = {counting_record(0x0000, 16),
                                            counting_record(0x0020, 16), end_of_file_record()};
    FirmwareBlock block(2);
    std::uint32_t upper = 0;
    ASSERT_EQ(fill_block(records, 0, block, upper), 1u);
    EXPECT_EQ(block.payload_length(), 16u);
    ASSERT_EQ(fill_block(records, 1, block, upper), 3u);
    EXPECT_EQ(block.start_address(), 0x20u);
    EXPECT_EQ(block.payload_length(), 16u);
}

TEST(FillBlockTest, LinearAddressMovesDataAndPersistsAcrossCalls) {
    const std::vector<HexRecord> records = {
        counting_record(0xFFF0, 16), linear_address_record(0x0008), counting_record(0x1000, 16),
        counting_record(0x1010, 16), end_of_file_record()};
    FirmwareBlock block(2);
    std::uint32_t upper = 0;
    ASSERT_EQ(fill_block(records, 0, block, upper), 2u);
    EXPECT_EQ(block.start_address(), 0xFFF0u);
    EXPECT_EQ(upper, 0x00080000u);
    ASSERT_EQ(fill_block(records, 2, block, upper), 5u);
    EXPECT_EQ(block.start_address(), 0x00081000u);
    EXPECT_EQ(block.payload_length(), 32u);
    const auto bytes = block_bytes(block);
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ(bytes[1], 0x10);
    EXPECT_EQ(bytes[2], 0x08);
    EXPECT_EQ(bytes[3], 0x00);
}

TEST(FillBlockTest, LinearAddressThatContinuesTheRunKeepsOneBlock) {
    const std::vector<HexRecord> records = {counting_record(0xFFF0, 16),
                                            linear_address_record(0x0001),
                                            counting_record(0x0000, 16), end_of_file_record()};
    FirmwareBlock block(2);
    std::uint32_t upper = 0;
    EXPECT_EQ(fill_block(records, 0, block, upper), 4u);
    EXPECT_EQ(block.payload_length(), 32u);
}

TEST(FillBlockTest, NarrowBlockStopsBeforeTheRecordThatWouldOverflow) {
    std::vector<HexRecord> records;
    for (std::uint16_t i = 0; i < 16; ++i) {
        records.push_back(counting_record(static_cast<std::uint16_t>(i * 16), 16));
    }
    records.push_back(end_of_file_record());
    FirmwareBlock block(1);
    std::uint32_t upper = 0;
    ASSERT_EQ(fill_block(records, 0, block, upper), 15u);  // 15 * 16 = 240, 256 > 249
    EXPECT_EQ(block.payload_length(), 240u);
    ASSERT_EQ(fill_block(records, 15, block, upper), 17u);
    EXPECT_EQ(block.start_address(), 240u);
    EXPECT_EQ(block.payload_length(), 16u);
}

TEST(FillBlockTest, BlocksFillToTheirExactCapacity) {
    struct Case {
        std::uint8_t width;
        std::vector<std::size_t> lengths;
        std::size_t expected_next;
        std::uint16_t expected_payload;
        const char* expected_header;
    };
    const Case cases[] = {
        {1, {200, 49, 1}, 2, 249, "SYST:FIRM:DATA #3255"},
        {1, {200, 50}, 1, 200, "SYST:FIRM:DATA #3206"},
        {2, {255, 255, 255, 255, 255, 255, 255, 255, 1}, 8, 2040, "SYST:FIRM:DATA #42047"},
        {2, {255, 255, 255, 255, 255, 255, 255, 254, 2}, 8, 2039, "SYST:FIRM:DATA #42046"},
    };
    for (const Case& c : cases) {
        std::vector<HexRecord> records;
        std::uint16_t offset = 0;
        for (std::size_t length : c.lengths) {
            records.push_back(counting_record(offset, length));
            offset = static_cast<std::uint16_t>(offset + length);
        }
        FirmwareBlock block(c.width);
        std::uint32_t upper = 0;
        EXPECT_EQ(fill_block(records, 0, block, upper), c.expected_next);
        EXPECT_EQ(block.payload_length(), c.expected_payload);
        EXPECT_EQ(data_command_header(block), c.expected_header);
        EXPECT_EQ(byte_sum(block), 0u);
    }
}

TEST(FillBlockTest, EndOfFileStopsTheWalkAndLaterRecordsStillCount) {
    const std::vector<HexRecord> records = {counting_record(0x0000, 4), end_of_file_record(),
                                            counting_record(0x0004, 4), end_of_file_record()};
    FirmwareBlock block(2);
    std::uint32_t upper = 0;
    ASSERT_EQ(fill_block(records, 0, block, upper), 2u);
    EXPECT_EQ(block.payload_length(), 4u);
    ASSERT_EQ(fill_block(records, 2, block, upper), 4u);
    EXPECT_EQ(block.start_address(), 4u);
    EXPECT_EQ(block.payload_length(), 4u);
}

TEST(FillBlockTest, OtherRecordTypesArePassedOver) {
    const std::vector<HexRecord> records = {counting_record(0x0000, 4),
                                            typed_record(record_extended_segment_address, 2),
                                            typed_record(record_start_segment_address, 4),
                                            typed_record(record_start_linear_address, 4),
                                            counting_record(0x0004, 4),
                                            end_of_file_record()};
    FirmwareBlock block(2);
    std::uint32_t upper = 0;
    EXPECT_EQ(fill_block(records, 0, block, upper), 6u);
    EXPECT_EQ(block.payload_length(), 8u);
    EXPECT_EQ(upper, 0u);
}

TEST(FillBlockTest, UnsendableRecordStopsWithoutBeingConsumed) {
    const std::vector<HexRecord> records = {counting_record(0x0000, 250), counting_record(0, 0)};
    FirmwareBlock block(1);
    std::uint32_t upper = 0;
    EXPECT_EQ(fill_block(records, 0, block, upper), 0u);
    EXPECT_TRUE(block.empty());
    EXPECT_EQ(fill_block(records, 1, block, upper), 1u);
    EXPECT_TRUE(block.empty());
}

TEST(FillBlockTest, IndexAtTheEndGivesAnEmptyBlock) {
    const std::vector<HexRecord> records = {counting_record(0x0000, 4)};
    FirmwareBlock block(2);
    std::uint32_t upper = 0;
    EXPECT_EQ(fill_block(records, 1, block, upper), 1u);
    EXPECT_TRUE(block.empty());
    EXPECT_EQ(fill_block(records, 0, block, upper), 1u);
    EXPECT_EQ(block.payload_length(), 4u);
}

TEST(FillBlockTest, RunEndingAtTheTopOfTheAddressSpaceDoesNotJoinTheNext) {
    const std::vector<HexRecord> records = {
        linear_address_record(0xFFFF), counting_record(0xFFF0, 16), linear_address_record(0x0000),
        counting_record(0x1000, 16), end_of_file_record()};
    FirmwareBlock block(2);
    std::uint32_t upper = 0;
    ASSERT_EQ(fill_block(records, 0, block, upper), 3u);
    EXPECT_EQ(block.start_address(), 0xFFFFFFF0u);
    EXPECT_EQ(block.payload_length(), 16u);
    ASSERT_EQ(fill_block(records, 3, block, upper), 5u);
    EXPECT_EQ(block.start_address(), 0x1000u);
}

TEST(ImageFitsBlocksTest, RefusesRecordsNoBlockCanCarry) {
    struct Case {
        std::uint8_t width;
        std::size_t length;
        bool fits;
    };
    const Case cases[] = {{1, 249, true}, {1, 250, false}, {1, 255, false}, {2, 255, true},
                          {1, 0, false},  {2, 0, false},   {1, 1, true}};
    for (const Case& c : cases) {
        const std::vector<HexRecord> records = {counting_record(0, 4), counting_record(4, c.length),
                                                end_of_file_record()};
        EXPECT_EQ(image_fits_blocks(records, c.width), c.fits)
            << "width " << int{c.width} << " length " << c.length;
    }
    // Only data records count.
    const std::vector<HexRecord> others = {linear_address_record(1), end_of_file_record(),
                                           typed_record(record_start_linear_address, 4)};
    EXPECT_TRUE(image_fits_blocks(others, 1));
}

TEST(ImageFitsBlocksTest, SaysWhichRecordCannotBeSentAndWhy) {
    struct Case {
        const char* name;
        std::vector<HexRecord> records;
        std::uint8_t width;
        std::string refusal;
    };
    const Case cases[] = {
        {"TooLongForOneByteLengths",
         {linear_address_record(0x0008), counting_record(0x1000, 250)},
         1,
         "The data record for address 0x00081000 holds 250 data bytes, and a block to this "
         "counter carries at most 249"},
        {"WithoutData",
         {counting_record(0x00AB, 0)},
         2,
         "The data record for address 0x000000AB holds no data bytes, and no block can carry it"},
        {"PastTheTopOfTheAddressSpace",
         {linear_address_record(0xFFFF), counting_record(0xFFF8, 16)},
         2,
         "The data record for address 0xFFFFFFF8 runs past the highest address a block can "
         "name, 0xFFFFFFFF"},
        {"EndingAtTheTop", {linear_address_record(0xFFFF), counting_record(0xFFF0, 16)}, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(image_block_refusal(c.records, c.width), c.refusal);
    }
}

}  // namespace
}  // namespace hx4x
