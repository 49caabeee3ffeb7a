#include "firmware/hex_file_reader.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "hex_test_support.hpp"
#include "hexgen/hex_generator.hpp"

namespace hx4x {
namespace {

using test::data_record;
using test::end_record;
using test::TempFile;

struct ProgressLog {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> calls;
    std::size_t cancel_at = SIZE_MAX;  // index of the call that answers false
};

bool log_progress(void* context, std::uint32_t done, std::uint32_t total) {
    auto* log = static_cast<ProgressLog*>(context);
    log->calls.emplace_back(done, total);
    return log->calls.size() - 1 != log->cancel_at;
}

TEST(HexFileReaderTypes, NewReaderAcceptsAllSixAndDataAndEndStayAccepted) {
    HexFileReader reader;
    for (std::uint32_t type = 0; type < 6; ++type) {
        EXPECT_TRUE(reader.is_type_accepted(type)) << type;
    }
    EXPECT_FALSE(reader.is_type_accepted(6));
    reader.set_extended_types_accepted(false);
    const bool expected[6] = {true, true, false, false, false, false};
    for (std::uint32_t type = 0; type < 6; ++type) {
        EXPECT_EQ(reader.is_type_accepted(type), expected[type]) << type;
    }
    reader.set_type_accepted(0, false);
    reader.set_type_accepted(1, false);
    reader.set_type_accepted(99, true);
    reader.set_type_accepted(4, true);
    EXPECT_TRUE(reader.is_type_accepted(0));
    EXPECT_TRUE(reader.is_type_accepted(1));
    EXPECT_TRUE(reader.is_type_accepted(4));
    EXPECT_FALSE(reader.is_type_accepted(5));
    reader.set_extended_types_accepted(true);
    EXPECT_TRUE(reader.is_type_accepted(2));
}

TEST(HexFileReaderTypes, RefusedTypeNamesItsLine) {
    HexFileReader reader;
    reader.set_extended_types_accepted(false);
    std::vector<SignatureScanner> scanners;
    std::string error;
    const std::string text = data_record(0, "AB") + "\n" +
                             test::record(5, 0, std::string("\0\0\0\1", 4)) + "\n" + end_record();
    EXPECT_FALSE(reader.load_from_memory(text, "f", scanners, nullptr, nullptr, &error));
    EXPECT_EQ(error, "Line #2: Record type 0x05' is unsupported");
    // The field checks come first, so a refused type with a wrong length gives the length text.
    EXPECT_FALSE(
        reader.load_from_memory(":0100000500FA\n", "f", scanners, nullptr, nullptr, &error));
    EXPECT_EQ(error,
              "Line #1: Start Linear Address Record should have RECLEN field equal to 4, but in "
              "fact RECLEN == 0x01");
}

TEST(HexFileReaderFile, OpenFailures) {
    HexFileReader reader;
    std::vector<SignatureScanner> scanners;
    std::string error;
    EXPECT_FALSE(reader.load("/nonexistent/dir/x.hex", scanners, nullptr, nullptr, &error));
    EXPECT_EQ(error, "Could not open file for reading");
    error.clear();
    EXPECT_FALSE(reader.load(std::filesystem::temp_directory_path().string(), scanners, nullptr,
                             nullptr, &error));
    EXPECT_EQ(error, "Could not open file for reading");
    TempFile empty("");
    EXPECT_FALSE(reader.load(empty.path(), scanners, nullptr, nullptr, &error));
    EXPECT_EQ(error, "The file is empty");
}

TEST(HexFileReaderFile, LoadsFileAndStoresPath) {
    const TempFile file(test::small_firmware("\r\n") + "\x1A");
    HexFileReader reader;
    std::vector<SignatureScanner> scanners;
    std::string error;
    ASSERT_TRUE(reader.load(file.path(), scanners, nullptr, nullptr, &error)) << error;
    EXPECT_EQ(reader.file_name(), file.path());
    EXPECT_EQ(reader.records().size(), 5u);
}

// The same text through the file (read in pieces) and from memory gives the same result,
// also when lines, CR LF pairs and the end mark straddle the pieces.
TEST(HexFileReaderFile, FileAndMemoryAgreeOnLargeFiles) {
    for (const bool crlf : {false, true}) {
        HexGeneratorOptions options;
        options.data_records = 60000;
        options.record_length = 32;
        options.crlf = crlf;
        options.end_of_text_mark = true;
        const std::string text = generate_hex_text(options);
        ASSERT_GT(text.size(), 2u << 20);
        const TempFile file(text);
        HexFileReader from_file;
        HexFileReader from_memory;
        std::vector<SignatureScanner> scanners;
        ProgressLog log;
        std::string error;
        ASSERT_TRUE(from_file.load(file.path(), scanners, &log_progress, &log, &error)) << error;
        ASSERT_TRUE(from_memory.load_from_memory(text, "m", scanners));
        ASSERT_EQ(from_file.records().size(), from_memory.records().size());
        EXPECT_EQ(from_file.records().back().type, record_end_of_file);
        EXPECT_EQ(from_file.records()[1000].load_offset, from_memory.records()[1000].load_offset);
        ASSERT_FALSE(log.calls.empty());
        EXPECT_EQ(log.calls.back().first, text.size());
        const std::string shifted = "\n" + text.substr(0, text.size() - 1);
        EXPECT_FALSE(
            from_memory.load_from_memory(shifted, "m", scanners, nullptr, nullptr, &error));
        EXPECT_EQ(error, "Line #1 is empty");
    }
}

TEST(HexFileReaderFile, LongLineBeyondOneReadPiece) {
    std::string line;
    for (int i = 0; i < 12000; ++i) {
        line += data_record(static_cast<std::uint16_t>(i * 255), std::string(255, 'x'));
    }
    const TempFile file(line + end_record() + "\r\n");
    HexFileReader reader;
    std::vector<SignatureScanner> scanners;
    std::string error;
    ASSERT_TRUE(reader.load(file.path(), scanners, nullptr, nullptr, &error)) << error;
    EXPECT_EQ(reader.records().size(), 12001u);
}

// The reader trusts only what it consumed: a record behind the end mark is never taken.
TEST(HexFileReaderEndMark, HiddenRecordsFailWithEitherLineEnd) {
    for (const std::string eol : {"\n", "\r\n"}) {
        const std::string valid = test::small_firmware(eol);
        HexFileReader reader;
        std::vector<SignatureScanner> scanners;
        std::string error;
        EXPECT_TRUE(
            reader.load_from_memory(valid + "\x1A", "f", scanners, nullptr, nullptr, &error));
        EXPECT_FALSE(reader.load_from_memory(valid + "\x1A" + data_record(0, "X") + eol, "f",
                                             scanners, nullptr, nullptr, &error));
        EXPECT_EQ(error, "Error reading the file");
        const TempFile file(valid + "\x1A");
        EXPECT_TRUE(reader.load(file.path(), scanners, nullptr, nullptr, &error)) << error;
        const TempFile hidden(valid + "\x1A" + end_record());
        EXPECT_FALSE(reader.load(hidden.path(), scanners, nullptr, nullptr, &error));
        EXPECT_EQ(error, "Error reading the file");
    }
}

TEST(HexFileReaderProgress, SmallFileReportsEveryRecordAndTheExactEnd) {
    const std::string first = data_record(0, "AB");  // 15 characters
    const std::string text = first + "\r\n" + first + "\n" + end_record() + "\r\n\x1A";
    HexFileReader reader;
    std::vector<SignatureScanner> scanners;
    ProgressLog log;
    ASSERT_TRUE(reader.load_from_memory(text, "f", scanners, &log_progress, &log));
    const auto size = static_cast<std::uint32_t>(text.size());
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected = {
        {15, size}, {32, size}, {44, size}, {size, size}};
    EXPECT_EQ(log.calls, expected);
    EXPECT_EQ(size, 47u);
}

TEST(HexFileReaderProgress, LargeFileReportsAtMostOncePerStep) {
    HexGeneratorOptions options;
    options.data_records = 20000;
    const std::string text = generate_hex_text(options);
    HexFileReader reader;
    std::vector<SignatureScanner> scanners;
    ProgressLog log;
    ASSERT_TRUE(reader.load_from_memory(text, "f", scanners, &log_progress, &log));
    ASSERT_GE(log.calls.size(), 1000u);
    EXPECT_LE(log.calls.size(), 1025u);
    const std::uint32_t step = static_cast<std::uint32_t>(text.size() >> 10);
    for (std::size_t i = 1; i + 1 < log.calls.size(); ++i) {
        EXPECT_GT(log.calls[i].first / step, log.calls[i - 1].first / step);
        EXPECT_EQ(log.calls[i].second, text.size());
    }
    EXPECT_EQ(log.calls.back().first, text.size());
}

TEST(HexFileReaderProgress, CancelEndsTheLoadAndEmptiesTheReader) {
    const std::string valid = test::small_firmware();
    for (std::size_t cancel_at = 0; cancel_at < 6; ++cancel_at) {
        HexFileReader reader;
        std::vector<SignatureScanner> scanners;
        ASSERT_TRUE(reader.load_from_memory(valid, "before", scanners));
        ProgressLog log;
        log.cancel_at = cancel_at;
        std::string error;
        // Five records and the final call: the sixth call is the final one.
        EXPECT_FALSE(reader.load_from_memory(valid, "f", scanners, &log_progress, &log, &error));
        EXPECT_EQ(error, "Loading canceled by user") << cancel_at;
        EXPECT_EQ(log.calls.size(), cancel_at + 1);
        EXPECT_TRUE(reader.records().empty());
        EXPECT_TRUE(reader.file_name().empty());
    }
}

TEST(HexFileReaderProgress, CancelWinsOverAFaultInTheSameRecord) {
    const std::string text = data_record(0, "AB") + "\n:0100000041BF\n" + end_record();
    HexFileReader reader;
    std::vector<SignatureScanner> scanners;
    std::string error;
    ProgressLog keep;
    EXPECT_FALSE(reader.load_from_memory(text, "f", scanners, &log_progress, &keep, &error));
    EXPECT_EQ(error, "Line #2: Checksum is wrong, record is corrupted");
    ProgressLog cancel;
    cancel.cancel_at = 1;
    EXPECT_FALSE(reader.load_from_memory(text, "f", scanners, &log_progress, &cancel, &error));
    EXPECT_EQ(error, "Loading canceled by user");
}

TEST(HexFileReaderProgress, EndChecksComeBeforeTheFinalCall) {
    HexFileReader reader;
    std::vector<SignatureScanner> scanners;
    ProgressLog log;
    log.cancel_at = 1;
    std::string error;
    EXPECT_FALSE(
        reader.load_from_memory(end_record() + "\n", "f", scanners, &log_progress, &log, &error));
    EXPECT_EQ(error, "The file doesn't contain any data record");
    EXPECT_EQ(log.calls.size(), 1u);
}

TEST(HexFileReaderReload, FailedLoadEmptiesAndGoodLoadReplaces) {
    HexFileReader reader;
    std::vector<SignatureScanner> scanners;
    ASSERT_TRUE(reader.load_from_memory(test::small_firmware(), "one", scanners));
    ASSERT_TRUE(
        reader.load_from_memory(data_record(0, "Z") + "\n" + end_record(), "two", scanners));
    EXPECT_EQ(reader.file_name(), "two");
    ASSERT_EQ(reader.records().size(), 2u);
    EXPECT_EQ(reader.records()[0].data[0], 'Z');
    EXPECT_FALSE(reader.load_from_memory("x", "three", scanners));
    EXPECT_TRUE(reader.records().empty());
    EXPECT_TRUE(reader.file_name().empty());
}

TEST(HexFileReaderScanners, RequiredPatternAndNoOtherTypesScanned) {
    std::vector<SignatureScanner> scanners;
    scanners.emplace_back("MARK", false, 0, '\0');
    HexFileReader reader;
    std::string error;
    // The pattern in an address record does not count.
    const std::string hidden = test::record(4, 0, "MA") + "\n" + test::record(4, 0, "RK") + "\n" +
                               data_record(0, "x") + "\n" + end_record();
    EXPECT_FALSE(reader.load_from_memory(hidden, "f", scanners, nullptr, nullptr, &error));
    EXPECT_EQ(error, "The file is not a HX-4x firmware");
    scanners[0].configure("MARK", false, 0, '\0');
    const std::string split = data_record(0, "xxMA") + "\n" + test::record(4, 0, "AB") + "\n" +
                              data_record(0x10, "RKyy") + "\n" + end_record();
    EXPECT_TRUE(reader.load_from_memory(split, "f", scanners, nullptr, nullptr, &error)) << error;
    // The optional scanner never fails a load.
    scanners[0].configure("MARK", true, 0, '\0');
    EXPECT_TRUE(reader.load_from_memory(data_record(0, "x") + "\n" + end_record(), "f", scanners));
}

}  // namespace
}  // namespace hx4x
