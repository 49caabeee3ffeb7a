// Files written by other tools: kept ones under tests/data and fresh ones from srec_cat.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "firmware/firmware_setup.hpp"
#include "firmware/hex_file_reader.hpp"
#include "hex_test_support.hpp"

namespace hx4x {
namespace {

namespace fs = std::filesystem;

const std::string data_dir = std::string(HX4X_TEST_DATA_DIR) + "/firmware/";

// Bytes by address, following the Extended Linear Address records.
std::map<std::uint32_t, std::uint8_t> image_of(const HexFileReader& reader) {
    std::map<std::uint32_t, std::uint8_t> image;
    std::uint32_t base = 0;
    for (const HexRecord& record : reader.records()) {
        if (record.type == record_extended_linear_address) {
            base = static_cast<std::uint32_t>((record.data[0] << 8) | record.data[1]) << 16;
        } else if (record.type == record_data) {
            for (std::uint32_t i = 0; i < record.length; ++i) {
                image[base + record.load_offset + i] = record.data[i];
            }
        }
    }
    return image;
}

std::string firmware_bytes() {
    std::string bytes;
    for (int i = 0; i < 70000; ++i) {
        bytes += static_cast<char>((i * 7 + 3) & 0xFF);
    }
    bytes.replace(100, 16, "R OZU Zavi Zerud");
    bytes.replace(40000, 9, std::string("VALDMORE") + '\0');
    bytes.replace(65530, 20, std::string("KELDOR-VERSION:3.1") + '\0' + '\0');
    return bytes;
}

TEST(ExternalFiles, KeptFilesLoadWithTheirVersion) {
    struct Kept {
        const char* name;
        const char* version;
    };
    for (const Kept kept : {Kept{"srec_cat_32.hex", "3.1"}, Kept{"crlf_eof_mark.hex", "2.03"}}) {
        HexFileReader reader;
        FirmwareVersion version;
        std::string error;
        EXPECT_TRUE(load_firmware(reader, data_dir + kept.name, nullptr, nullptr, &version, &error))
            << kept.name << ": " << error;
        EXPECT_TRUE(version.known) << kept.name;
        EXPECT_EQ(version.text, kept.version) << kept.name;
    }
}

// objcopy crosses 64 KiB with an Extended Segment Address record, which an update refuses.
TEST(ExternalFiles, KeptObjcopyFileIsRefusedForAnUpdateOnly) {
    HexFileReader reader;
    std::string error;
    EXPECT_FALSE(
        load_firmware(reader, data_dir + "objcopy_16.hex", nullptr, nullptr, nullptr, &error));
    EXPECT_EQ(error, "Line #4097: Record type 0x02' is unsupported");
    HexFileReader plain;
    std::vector<SignatureScanner> scanners;
    ASSERT_TRUE(plain.load(data_dir + "objcopy_16.hex", scanners, nullptr, nullptr, &error))
        << error;
    EXPECT_EQ(plain.records().size(), 4377u);
}

TEST(ExternalFiles, KeptSrecCatFileHoldsTheImage) {
    HexFileReader reader;
    std::vector<SignatureScanner> scanners;
    ASSERT_TRUE(reader.load(data_dir + "srec_cat_32.hex", scanners));
    const auto image = image_of(reader);
    const std::string bytes = firmware_bytes();
    ASSERT_EQ(image.size(), bytes.size());
    for (const auto& [address, byte] : image) {
        ASSERT_EQ(byte, static_cast<std::uint8_t>(bytes[address - 0x10000])) << address;
    }
}

TEST(ExternalFiles, FreshSrecCatFileRoundTrips) {
    if (std::system("command -v srec_cat >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "srec_cat is not installed";
    }
    const std::string bytes = firmware_bytes();
    const test::TempFile binary(bytes, "image.bin");
    const fs::path hex = fs::path(binary.path()).replace_extension(".hex");
    const std::string command = "srec_cat '" + binary.path() + "' -binary -offset 0x20000 -o '" +
                                hex.string() + "' -intel -obs=255 >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    HexFileReader reader;
    FirmwareVersion version;
    std::string error;
    const bool loaded = load_firmware(reader, hex.string(), nullptr, nullptr, &version, &error);
    std::error_code code;
    fs::remove(hex, code);
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(version.text, "3.1");
    bool full_length = false;
    for (const HexRecord& record : reader.records()) {
        full_length = full_length || record.length == 255;
    }
    EXPECT_TRUE(full_length);
    const auto image = image_of(reader);
    ASSERT_EQ(image.size(), bytes.size());
    EXPECT_EQ(image.begin()->first, 0x20000u);
    EXPECT_EQ(image.at(0x20000 + 40000), 'V');
}

}  // namespace
}  // namespace hx4x
