// Each malformed input next to the exact text the reader gives for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "firmware/hex_file_reader.hpp"
#include "hex_test_support.hpp"

namespace hx4x {
namespace {

using test::data_record;
using test::end_record;
using test::record;

struct ErrorCase {
    const char* name;
    std::string text;
    std::string expected;
};

const std::string good = data_record(0, "ABCD");
const std::string eof = end_record();

std::vector<ErrorCase> error_cases() {
    const std::string start = "First symbol of each record should be ':', but found";
    const std::string digit = "Line #1: Expected hexademical digit, but found";
    return {
        {"ZeroBytes", "", "The file is empty"},
        {"EmptyLinesOnly", "\n\n\n", "The file is empty"},
        {"CrLfEmptyLinesOnly", "\r\n\r\n", "The file is empty"},
        {"ColonOnly", ":\n", "Line #1: Truncated record found"},
        {"TruncatedInLength", ":0\n", "Line #1: Truncated record found"},
        {"TruncatedInData", ":0200000000\n", "Line #1: Truncated record found"},
        {"TruncatedBeforeChecksum", ":00000001\n", "Line #1: Truncated record found"},
        {"TruncatedInChecksum", ":00000001F", "Line #1: Truncated record found"},
        {"LeadingSpace", " " + eof + "\n",
         "Line #1: " + start + " symbol ' ' (ASCII code: dec=032, hex=0x20)"},
        {"ByteOrderMark", "\xEF\xBB\xBF" + eof + "\n",
         "Line #1: " + start + " symbol '\xEF' (ASCII code: dec=239, hex=0xEF)"},
        {"NulAtStart", std::string(1, '\0') + eof,
         "Line #1: " + start + " another symbol (ASCII code: dec=000, hex=0x00)"},
        {"SpaceAfterChecksum", good + " \n" + eof,
         "Line #1: " + start + " symbol ' ' (ASCII code: dec=032, hex=0x20)"},
        {"LoneCrAfterChecksum", good + "\r\r\n" + eof,
         "Line #1: " + start + " symbol '\r' (ASCII code: dec=013, hex=0x0D)"},
        {"BadDigitInLength", ":0G000001FF\n",
         digit + " symbol 'G' (ASCII code: dec=071, hex=0x47)"},
        {"NulInOffset",
         std::string(":00\0"
                     "00001FF",
                     11),
         digit + " another symbol (ASCII code: dec=000, hex=0x00)"},
        {"BadDigitInData", ":02000000zz00\n",
         digit + " symbol 'z' (ASCII code: dec=122, hex=0x7A)"},
        {"BadDigitBeforeTruncation", ":02000000A", "Line #1: Truncated record found"},
        {"BadDigitInChecksum", ":00000001F-\n",
         digit + " symbol '-' (ASCII code: dec=045, hex=0x2D)"},
        {"HighByteDigit", ":0\x80", digit + " symbol '\x80' (ASCII code: dec=128, hex=0x80)"},
        {"TypeSix", ":00000006FA\n", "Line #1: Wrong RECTYP field value: 0x06"},
        {"TypeFF", ":000000FF01\n", "Line #1: Wrong RECTYP field value: 0xFF"},
        // The type is checked before the offset, the offset before the length.
        {"TypeBeforeOffset", ":01123406\n", "Line #1: Wrong RECTYP field value: 0x06"},
        {"EndRecordOffset", ":00000101FE\n",
         "Line #1: LOAD OFFSET field should be 0 for all record types except data record, "
         "current record type is 0x01, but LOAD OFFSET is 0x0001"},
        {"OffsetBeforeLength", ":0AFFFF04\n",
         "Line #1: LOAD OFFSET field should be 0 for all record types except data record, "
         "current record type is 0x04, but LOAD OFFSET is 0xFFFF"},
        {"HighOffsetLowerCase", ":02ab0002\n",
         "Line #1: LOAD OFFSET field should be 0 for all record types except data record, "
         "current record type is 0x02, but LOAD OFFSET is 0xAB00"},
        {"EmptyDataRecord", ":0000000000\n",
         "Line #1: Data Record should have non-zero RECLEN field, but in fact it's zero"},
        {"EndRecordLength", ":01000001\n",
         "Line #1: End of File Record should have RECLEN field equal to zero, but in fact "
         "RECLEN == 0x01"},
        {"SegmentAddressLength", ":04000002\n",
         "Line #1: Extended Segment Address Record should have RECLEN field equal to 2, but in "
         "fact RECLEN == 0x04"},
        {"StartSegmentLength", ":02000003\n",
         "Line #1: Start Segment Address Record should have RECLEN field equal to 4, but in fact "
         "RECLEN == 0x02"},
        {"LinearAddressLength", ":FF000004\n",
         "Line #1: Extended Linear Address Record should have RECLEN field equal to 2, but in "
         "fact RECLEN == 0xFF"},
        {"StartLinearLength", ":00000005\n",
         "Line #1: Start Linear Address Record should have RECLEN field equal to 4, but in fact "
         "RECLEN == 0x00"},
        {"WrongChecksum", ":00000001FE\n", "Line #1: Checksum is wrong, record is corrupted"},
        {"WrongChecksumThirdLine", good + "\n" + good + "\n:0100000041BF\n" + eof,
         "Line #3: Checksum is wrong, record is corrupted"},
        {"EmptyLineBetween", good + "\n\n" + eof + "\n", "Line #2 is empty"},
        {"TwoEmptyLinesBetween", good + "\n\r\n\n" + eof + "\n", "Line #3 is empty"},
        {"EmptyFirstLine", "\n" + good + "\n" + eof + "\n", "Line #1 is empty"},
        {"SecondRecordOnLineBad", good + ":00000001FE\n" + eof,
         "Line #1: Checksum is wrong, record is corrupted"},
        // The end checks, each with the faults of the later ones present too.
        {"MarkFirst", "\x1A" + eof + "\n", "The file is empty"},
        {"BytesAfterMark", good + "\n" + eof + "\n\x1A" + eof + "\n", "Error reading the file"},
        {"TwoMarks", good + "\n" + eof + "\n\x1A\x1A", "Error reading the file"},
        {"LineEndAfterMarkCrLf", good + "\r\n" + eof + "\r\n\x1A\r\n", "Error reading the file"},
        {"MarkBeforeMissingEnd", good + "\n\x1A" + eof + "\n", "Error reading the file"},
        {"NoEndRecord", good + "\n" + good + "\n", "The file doesn't contain End Of File record"},
        {"TwoEndRecords", good + "\n" + eof + "\n" + eof + "\n",
         "The file contain more then one End Of File records"},
        {"TwoEndRecordsNotLast", eof + "\n" + eof + "\n" + good + "\n",
         "The file contain more then one End Of File records"},
        {"EndNotLast", eof + "\n" + good + "\n",
         "End Of File record is not the last one in the file"},
        {"EndBeforeAddressNoData", eof + "\n" + record(4, 0, std::string(2, '\0')) + "\n",
         "End Of File record is not the last one in the file"},
        {"OnlyEndRecord", eof + "\n", "The file doesn't contain any data record"},
        {"AddressAndEndOnly", record(4, 0, std::string(2, '\0')) + "\n" + eof,
         "The file doesn't contain any data record"},
    };
}

class HexRecordErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(HexRecordErrors, GivesExactTextAndLeavesReaderEmpty) {
    const ErrorCase& c = GetParam();
    HexFileReader reader;
    std::vector<SignatureScanner> scanners;
    ASSERT_TRUE(reader.load_from_memory(test::small_firmware(), "before", scanners));
    std::string error = "untouched";
    EXPECT_FALSE(reader.load_from_memory(c.text, "name.hex", scanners, nullptr, nullptr, &error));
    EXPECT_EQ(error, c.expected);
    EXPECT_TRUE(reader.records().empty());
    EXPECT_TRUE(reader.file_name().empty());
    // Without an output the load fails the same way.
    EXPECT_FALSE(reader.load_from_memory(c.text, "name.hex", scanners));
}

INSTANTIATE_TEST_SUITE_P(Reader, HexRecordErrors, ::testing::ValuesIn(error_cases()),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

struct GoodCase {
    const char* name;
    std::string text;
    std::size_t records;
};

std::vector<GoodCase> good_cases() {
    return {
        {"NoFinalLineEnd", good + "\n" + eof, 2},
        {"EmptyLinesAfterEnd", good + "\n" + eof + "\n\n\r\n\n", 2},
        {"TwoRecordsOnOneLine", good + eof + "\n", 2},
        {"ThreeRecordsOnOneLine", good + good + eof, 3},
        {"LowerCase", ":04000000abcdef0194\n:00000001ff\n", 2},
        {"CrLf", good + "\r\n" + eof + "\r\n", 2},
        {"MarkAfterLf", good + "\n" + eof + "\n\x1A", 2},
        {"MarkAfterCrLf", good + "\r\n" + eof + "\r\n\x1A", 2},
        {"MarkEndsLastLine", good + "\r\n" + eof + "\x1A", 2},
        {"MarkAfterEmptyLines", good + "\r\n" + eof + "\r\n\r\n\x1A", 2},
        {"AllTypes",
         good + "\n" + record(2, 0, "\x12\x34") + "\n" + record(3, 0, "\x01\x02\x03\x04") + "\n" +
             record(4, 0, std::string("\x00\x08", 2)) + "\n" + record(5, 0, "\x01\x02\x03\x04") +
             "\n" + eof,
         6},
        {"FullLengthRecord", data_record(0xFF00, std::string(255, '\xA5')) + "\n" + eof, 2},
    };
}

class HexGoodFiles : public ::testing::TestWithParam<GoodCase> {};

TEST_P(HexGoodFiles, AreAcceptedWithEveryRecord) {
    const GoodCase& c = GetParam();
    HexFileReader reader;
    std::vector<SignatureScanner> scanners;
    std::string error = "untouched";
    EXPECT_TRUE(reader.load_from_memory(c.text, "good.hex", scanners, nullptr, nullptr, &error));
    EXPECT_EQ(error, "untouched");
    EXPECT_EQ(reader.records().size(), c.records);
    EXPECT_EQ(reader.file_name(), "good.hex");
    ASSERT_FALSE(reader.records().empty());
    EXPECT_EQ(reader.records().back().type, record_end_of_file);
}

INSTANTIATE_TEST_SUITE_P(Reader, HexGoodFiles, ::testing::ValuesIn(good_cases()),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(HexRecordFields, AreStoredAsParsed) {
    HexFileReader reader;
    std::vector<SignatureScanner> scanners;
    const std::string text = ":04abcd00deadBEEF" + std::string("4c") + "\n" +
                             data_record(0xFF00, std::string(255, '\x5A')) + "\n" +
                             record(4, 0, std::string("\x00\x08", 2)) + "\n" + eof;
    ASSERT_TRUE(reader.load_from_memory(text, "f", scanners));
    ASSERT_EQ(reader.records().size(), 4u);
    const HexRecord& first = reader.records()[0];
    EXPECT_EQ(first.type, record_data);
    EXPECT_EQ(first.load_offset, 0xABCD);
    EXPECT_EQ(first.length, 4);
    EXPECT_EQ(first.data[0], 0xDE);
    EXPECT_EQ(first.data[3], 0xEF);
    const HexRecord& full = reader.records()[1];
    EXPECT_EQ(full.length, 255);
    EXPECT_EQ(full.load_offset, 0xFF00);
    EXPECT_EQ(full.data[254], 0x5A);
    const HexRecord& address = reader.records()[2];
    EXPECT_EQ(address.type, record_extended_linear_address);
    EXPECT_EQ(address.data[1], 0x08);
}

}  // namespace
}  // namespace hx4x
