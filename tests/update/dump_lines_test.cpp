#include "update/dump_lines.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "record_builder.hpp"
#include "update/data_command.hpp"
#include "update/fill_block.hpp"

namespace hx4x {
namespace {

FirmwareBlock small_block(std::uint8_t width) {
    const std::vector<HexRecord> records = {test::data_record(0x0010, {0x01, 0xAB}),
                                            test::end_of_file_record()};
    FirmwareBlock block(width);
    std::uint32_t upper = 0;
    fill_block(records, 0, block, upper);
    return block;
}

TEST(DumpLinesTest, LinesOfASmallBlockInBothWidths) {
    struct Case {
        std::uint8_t width;
        const char* header;
        const char* sending;
        const char* firmware;
    };
    // Address 0x10, two data bytes; the checksum 0x42 makes the sum 0x100.
    const Case cases[] = {
        {1, "SYST:FIRM:DATA #18",
         "TOTAL=26 SCPI=\"SYST:FIRM:DATA #18\" DATA=\"100000000201AB42\"\r\n",
         "{16,0,0,0,2,1,171,66},\r\n"},
        {2, "SYST:FIRM:DATA #19",
         "TOTAL=27 SCPI=\"SYST:FIRM:DATA #19\" DATA=\"10000000020001AB42\"\r\n",
         "{16,0,0,0,2,0,1,171,66},\r\n"},
    };
    for (const Case& c : cases) {
        const FirmwareBlock block = small_block(c.width);
        const std::string header = data_command_header(block);
        EXPECT_EQ(header, c.header);
        EXPECT_EQ(sending_dump_line(header, block), c.sending);
        EXPECT_EQ(firmware_dump_line(block), c.firmware);
    }
}

TEST(DumpLinesTest, DataCommandIsHeaderThenRawBlockAndWritesBothDumps) {
    const FirmwareBlock block = small_block(1);
    std::FILE* sending = std::tmpfile();
    std::FILE* firmware = std::tmpfile();
    ASSERT_NE(sending, nullptr);
    ASSERT_NE(firmware, nullptr);
    const std::string command = build_data_command(block, sending, firmware);
    const std::string expected_tail("\x10\x00\x00\x00\x02\x01\xAB\x42", 8);
    EXPECT_EQ(command, "SYST:FIRM:DATA #18" + expected_tail);

    auto contents = [](std::FILE* file) {
        std::rewind(file);
        std::string text;
        char buffer[256];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
            text.append(buffer, got);
        }
        std::fclose(file);
        return text;
    };
    EXPECT_EQ(contents(sending),
              "TOTAL=26 SCPI=\"SYST:FIRM:DATA #18\" DATA=\"100000000201AB42\"\r\n");
    EXPECT_EQ(contents(firmware), "{16,0,0,0,2,1,171,66},\r\n");
}

TEST(DumpLinesTest, DumpFileNameReplacesOrAddsTheExtension) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"/tmp/dir/fw.hex", "/tmp/dir/fw.sending"},
        {"fw", "fw.sending"},
        {"fw.v2.hex", "fw.v2.sending"},
        {"C:\\fw\\image.hex", "C:\\fw\\image.sending"},
        {"dir.d/image", "dir.d/image.sending"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dump_file_name(c.path, "sending"), c.expected) << c.path;
    }
}

}  // namespace
}  // namespace hx4x
