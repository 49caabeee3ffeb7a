#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "firmware/hex_file_reader.hpp"
#include "hex_text.hpp"
#include "hexgen/hex_generator.hpp"
#include "host_system.hpp"
#include "record_builder.hpp"
#include "recording_clock.hpp"
#include "sim_counter.hpp"
#include "update/counter_protocol.hpp"

namespace hx4x {
namespace {

namespace fs = std::filesystem;

const char* const gpib = "GPIB0::12::INSTR";

std::vector<std::uint8_t> file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Loads the text as a firmware file and runs a whole update against the simulated counter;
// returns the image the counter received.
std::vector<std::uint8_t> update_with(const std::string& hex_text, const char* version,
                                      HexFileReader& reader) {
    test::RecordingClock clock;
    test::SimCounter sim(gpib, std::string("idn DWERN,RV2260,123456,") + version);
    const fs::path file = sim.dir() / "firmware.hex";
    std::ofstream(file, std::ios::binary) << hex_text;
    std::vector<SignatureScanner> scanners;
    std::string error;
    EXPECT_TRUE(reader.load(file.string(), scanners, nullptr, nullptr, &error)) << error;
    CounterProtocol protocol;
    EXPECT_TRUE(protocol.connect(gpib));
    EXPECT_TRUE(protocol.prepare(nullptr, nullptr));
    EXPECT_TRUE(protocol.send_firmware(reader, false, false, nullptr, nullptr));
    EXPECT_TRUE(protocol.burn(nullptr, nullptr));
    return sim.received_image();
}

std::vector<HexRecord> image_with_gaps_and_linear_addresses(std::size_t record_length) {
    std::vector<HexRecord> records;
    std::uint8_t seed = 1;
    // A run that crosses several block boundaries, a gap, a run across a 64 KiB boundary
    // carried by an Extended Linear Address record, and data far above.
    for (std::uint16_t i = 0; i < 40; ++i) {
        records.push_back(test::counting_record(static_cast<std::uint16_t>(i * record_length),
                                                record_length, seed += 7));
    }
    records.push_back(test::counting_record(0xC000, 5, 0x55));
    records.push_back(test::counting_record(static_cast<std::uint16_t>(0x10000 - record_length),
                                            record_length, seed += 7));
    records.push_back(test::linear_address_record(0x0001));
    records.push_back(test::counting_record(0x0000, record_length, seed += 7));
    records.push_back(test::linear_address_record(0x0003));
    records.push_back(test::counting_record(0x8000, 1, 0xAA));
    records.push_back(test::end_of_file_record());
    return records;
}

TEST(SimImage, ReceivedImageEqualsTheFileInBothWidths) {
    struct Case {
        const char* version;
        std::size_t record_length;
    };
    const Case cases[] = {{"V1.05", 16}, {"V1.05", 249}, {"V1.15", 16}, {"V1.15", 255}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.version) + " " + std::to_string(c.record_length));
        const auto records = image_with_gaps_and_linear_addresses(c.record_length);
        HexFileReader reader;
        const auto received = update_with(test::to_hex_text(records), c.version, reader);
        EXPECT_EQ(received, test::raw_image(test::memory_of(reader.records())));
        EXPECT_EQ(received.size(), 0x38001u);
    }
}

TEST(SimImage, GeneratedFirmwareFileArrivesIntactAndMatchesSrecCat) {
    HexGeneratorOptions options;
    options.data_records = 6000;  // about 94 KiB: Extended Linear Address records included
    options.record_length = 16;
    // No block of this file ends in the byte 0x0A; see the disabled test below.
    options.seed = 2;
    const std::string text = generate_hex_text(options);
    for (const char* version : {"V1.05", "V1.15"}) {
        SCOPED_TRACE(version);
        HexFileReader reader;
        const auto received = update_with(text, version, reader);
        EXPECT_EQ(received, test::raw_image(test::memory_of(reader.records())));
        ASSERT_FALSE(received.empty());

        // An outside tool as the referee, on the same contiguous file: a program of the POSIX
        // build machine, not run from a Windows test.
        if (testing_support::host_is_windows) {
            continue;
        }
        if (!fs::exists("/usr/bin/srec_cat")) {
            GTEST_SKIP() << "srecord is not installed";
        }
        const fs::path binary = fs::path(reader.file_name()).replace_extension("bin");
        const std::string command = "/usr/bin/srec_cat '" + reader.file_name() + "' -intel -o '" +
                                    binary.string() + "' -binary";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_EQ(received, file_bytes(binary));
    }
}

// The simulated counter drops a last block byte of 0x0A as if it ended the message, so a
// block whose checksum is 0x0A arrives malformed. Enable once it counts the declared bytes.
TEST(SimImage, BlockEndingInALineFeedByteArrives) {
    // Address 0, one byte 0xF5 with a two-byte length field: the checksum is 0x0A.
    const std::vector<HexRecord> records = {test::data_record(0x0000, {0xF5}),
                                            test::end_of_file_record()};
    HexFileReader reader;
    EXPECT_EQ(update_with(test::to_hex_text(records), "V1.15", reader),
              std::vector<std::uint8_t>{0xF5});
}

}  // namespace
}  // namespace hx4x
