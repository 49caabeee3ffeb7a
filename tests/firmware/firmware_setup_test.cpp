#include "firmware/firmware_setup.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hex_test_support.hpp"

namespace hx4x {
namespace {

using test::data_record;
using test::end_record;

// Data bytes cut into records of 16 at consecutive offsets.
std::string firmware_text(const std::string& data, const std::string& extra_record = "") {
    std::string text = test::record(4, 0, std::string("\0\0", 2)) + "\n" + extra_record;
    for (std::size_t at = 0; at < data.size(); at += 16) {
        text += data_record(static_cast<std::uint16_t>(at), data.substr(at, 16)) + "\n";
    }
    return text + end_record() + "\n";
}

const std::string signatures = std::string("R OZU Zavi Zerud") + "VALDMORE";

struct SetupCase {
    const char* name;
    std::string text;
    bool loads;
    std::string error;
    bool version_known;
    std::string version;
};

std::vector<SetupCase> setup_cases() {
    const std::string v = "KELDOR-VERSION:";
    return {
        {"Version", firmware_text(signatures + v + "2.03" + std::string(1, '\0')), true, "", true,
         "2.03"},
        {"ReverseOrder", firmware_text("VALDMORE..R OZU Zavi Zerud"), true, "", false, ""},
        {"OnlyValdmore", firmware_text("VALDMORE"), false, "The file is not a HX-4x firmware",
         false, ""},
        {"OnlyFirst", firmware_text("R OZU Zavi Zerud"), false, "The file is not a HX-4x firmware",
         false, ""},
        {"SplitSignature", firmware_text("0123456789R OZU Zavi Zerud VALDMORE"), true, "", false,
         ""},
        {"LongVersion", firmware_text(signatures + v + std::string(40, 'x')), true, "", true,
         std::string(30, 'x')},
        {"VersionAtEnd", firmware_text(signatures + v + "2.03"), true, "", false, ""},
        {"DoubledKeywordLetter", firmware_text(signatures + "K" + v + "1.0" + std::string(1, '\0')),
         true, "", false, ""},
        {"BlanksKept", firmware_text(signatures + v + " 2.0 " + std::string(1, '\0')), true, "",
         true, " 2.0 "},
        {"SegmentRecordRefused",
         firmware_text(signatures, test::record(2, 0, std::string("\x10\0", 2)) + "\n"), false,
         "Line #2: Record type 0x02' is unsupported", false, ""},
        {"StartSegmentRefused",
         firmware_text(signatures, test::record(3, 0, std::string(4, '\1')) + "\n"), false,
         "Line #2: Record type 0x03' is unsupported", false, ""},
        {"FormatFaultFirst", firmware_text("VALDMORE") + "x", false,
         "Line #4: First symbol of each record should be ':', but found symbol 'x' (ASCII code: "
         "dec=120, hex=0x78)",
         false, ""},
    };
}

class FirmwareSetup : public ::testing::TestWithParam<SetupCase> {};

TEST_P(FirmwareSetup, LoadsAsAnUpdateWould) {
    const SetupCase& c = GetParam();
    const test::TempFile file(c.text);
    HexFileReader reader;
    FirmwareVersion version;
    version.text = "stale";
    std::string error;
    EXPECT_EQ(load_firmware(reader, file.path(), nullptr, nullptr, &version, &error), c.loads);
    EXPECT_EQ(error, c.error);
    if (c.loads) {
        EXPECT_EQ(version.known, c.version_known);
        EXPECT_EQ(version.text, c.version);
        EXPECT_EQ(reader.file_name(), file.path());
    }
}

INSTANTIATE_TEST_SUITE_P(Update, FirmwareSetup, ::testing::ValuesIn(setup_cases()),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(FirmwareSetup, ReaderAndScannersAreConfiguredInOrder) {
    HexFileReader reader;
    configure_update_reader(reader);
    const bool expected[6] = {true, true, false, false, true, false};
    for (std::uint32_t type = 0; type < 6; ++type) {
        EXPECT_EQ(reader.is_type_accepted(type), expected[type]) << type;
    }
    const auto scanners = make_update_scanners();
    ASSERT_EQ(scanners.size(), 3u);
    EXPECT_EQ(scanners[0].pattern(), "R OZU Zavi Zerud");
    EXPECT_FALSE(scanners[0].optional());
    EXPECT_EQ(scanners[0].max_value_length(), 0u);
    EXPECT_EQ(scanners[1].pattern(), "VALDMORE");
    EXPECT_FALSE(scanners[1].optional());
    EXPECT_EQ(scanners[2].pattern(), "KELDOR-VERSION:");
    EXPECT_TRUE(scanners[2].optional());
    EXPECT_EQ(scanners[2].max_value_length(), 30u);
    EXPECT_EQ(scanners[2].terminator(), '\0');
}

TEST(FirmwareSetup, VersionComesFromTheExactKeywordScanner) {
    std::vector<SignatureScanner> scanners;
    scanners.emplace_back("KELDOR-VERSION", true, 30, '\0');
    scanners.emplace_back("KELDOR-VERSION:", true, 30, '\0');
    scanners.emplace_back("KELDOR-VERSION:", true, 30, '\0');
    const std::string bytes = std::string("KELDOR-VERSION:1.5") + '\0';
    scanners[0].feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    scanners[1].feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), 10);
    scanners[2].feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    // The first exact match is not complete, so the version is unknown.
    EXPECT_FALSE(read_firmware_version(scanners).known);
    scanners.erase(scanners.begin() + 1);
    const FirmwareVersion version = read_firmware_version(scanners);
    EXPECT_TRUE(version.known);
    EXPECT_EQ(version.text, "1.5");
    EXPECT_FALSE(read_firmware_version({}).known);
}

}  // namespace
}  // namespace hx4x
