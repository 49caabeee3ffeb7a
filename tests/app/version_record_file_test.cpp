#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "app/version_info.hpp"
#include "host_system.hpp"
#include "platform/module_path.hpp"

namespace hx4x {
namespace {

namespace fs = std::filesystem;

const std::string suffix = HX4X_EXECUTABLE_SUFFIX;
const char company[] = "Quillfeather Counter Works";

VersionInfo read_record(const std::string& path) {
    VersionInfo info;
    EXPECT_TRUE(info.read(path)) << path;
    return info;
}

std::vector<char> file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Test processes may run side by side; each writes under a name of its own.
std::string unique_name(const std::string& name) {
    static const std::string token = std::to_string(std::random_device{}());
    return "hx4x_app_tests_" + token + "_" + name;
}

fs::path write_file(const std::string& name, const std::vector<char>& bytes) {
    const fs::path path = fs::temp_directory_path() / unique_name(name);
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST(VersionRecordFile, TheBuildCarriesTheLoadersOwnRecord) {
    const VersionInfo info = read_record(HX4X_PROBE_FILE);
    EXPECT_EQ(info.string_value("InternalName"), "LTA5x/LMA5x Firmware Loader");
    EXPECT_EQ(info.string_value("ProductName"), "LTA5x/LMA5x Firmware Loader");
    EXPECT_EQ(info.string_value("OriginalFilename"), "LTA5xLMA5xLoader" + suffix);
    EXPECT_EQ(info.string_value("FileDescription"), "HX-4x/RV226x Firmware Loader");
    EXPECT_EQ(info.string_value("FileVersion"), "3, 0, 7, 0");
    EXPECT_EQ(info.string_value("ProductVersion"), "3, 0, 7, 0");
    EXPECT_EQ(info.string_value("CompanyName"), company);
    EXPECT_EQ(info.string_value("Company"), company);
    EXPECT_EQ(info.string_value("LegalCopyright"),
              std::string("Copyright (C) 2010 ") + company + ". All rights reserved.");
    EXPECT_EQ(info.string_value("LegalTrademarks"), "");
    EXPECT_EQ(info.file_version_text(), "3.0.7");
    EXPECT_TRUE(std::regex_match(info.string_value("Comments"),
                                 std::regex("[0-9]{2} [A-Z][a-z]{2} [0-9]{4} [0-9]{2}:[0-9]{2}")))
        << info.string_value("Comments");

    const auto& fixed = info.fixed_information();
    EXPECT_EQ(fixed[0], VersionInfo::fixed_signature);
    EXPECT_EQ(fixed[4], 0x00030000u);  // product version 3.0.7.0
    EXPECT_EQ(fixed[5], 0x00070000u);
    EXPECT_EQ(fixed[6], 0x3Fu);
    EXPECT_EQ(fixed[7], 0u);
    EXPECT_EQ(fixed[8], 0x4u);
    EXPECT_EQ(fixed[9], 0x1u);

    ASSERT_EQ(info.string_tables().size(), 1u);
    std::vector<std::string> keys;
    for (const auto& entry : info.string_tables()[0].entries) {
        keys.push_back(entry.first);
    }
    const std::vector<std::string> expected{
        "Comments",       "CompanyName",     "FileDescription",  "FileVersion",  "InternalName",
        "LegalCopyright", "LegalTrademarks", "OriginalFilename", "PrivateBuild", "ProductName",
        "ProductVersion", "SpecialBuild",    "Company"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(info.string_tables()[0].key, "040904b0");
}

struct Release {
    const char* file;
    const char* product;
};

class ReleaseFiles : public ::testing::TestWithParam<Release> {};

TEST_P(ReleaseFiles, CarryTheirOwnNamesAndKeepEveryOtherValue) {
    const std::string path = std::string(HX4X_RELEASE_DIR) + "/" + GetParam().file + suffix;
    const VersionInfo release = read_record(path);
    const VersionInfo build = read_record(HX4X_PROBE_FILE);
    EXPECT_EQ(release.string_value("OriginalFilename"), GetParam().file + suffix);
    EXPECT_EQ(release.string_value("InternalName"), GetParam().product);
    EXPECT_EQ(release.string_value("ProductName"), GetParam().product);
    EXPECT_EQ(release.fixed_information(), build.fixed_information());
    ASSERT_EQ(release.string_tables().size(), 1u);
    const auto& entries = release.string_tables()[0].entries;
    ASSERT_EQ(entries.size(), build.string_tables()[0].entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& [key, value] = entries[i];
        EXPECT_EQ(key, build.string_tables()[0].entries[i].first);
        if (key != "OriginalFilename" && key != "InternalName" && key != "ProductName") {
            EXPECT_EQ(value, build.string_value(key)) << key;
        }
    }
}

TEST_P(ReleaseFiles, ReadTheirOwnRecordWhenRun) {
    // The system's own form of the path: the Windows command processor runs no other.
    const fs::path program = fs::absolute(fs::path(HX4X_RELEASE_DIR) / (GetParam().file + suffix));
    const fs::path output =
        fs::temp_directory_path() / unique_name(std::string(GetParam().file) + ".txt");
    std::string command = "\"" + program.string() + "\" > \"" + output.string() + "\"";
    if (testing_support::host_is_windows) {
        command = "\"" + command + "\"";  // it drops the first and the last quote of the line
    }
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(output);
    std::string internal_name, original_filename, version;
    std::getline(in, internal_name);
    std::getline(in, original_filename);
    std::getline(in, version);
    EXPECT_EQ(internal_name, GetParam().product);
    EXPECT_EQ(original_filename, GetParam().file + suffix);
    EXPECT_EQ(version, "3.0.7");
    in.close();
    fs::remove(output);
}

INSTANTIATE_TEST_SUITE_P(
    Three, ReleaseFiles,
    ::testing::Values(Release{"HX4xLoader", "HX-4x Firmware Loader"},
                      Release{"RV226xLoader", "RV226x Firmware Loader"},
                      Release{"LTA5xLMA5xLoader", "LTA5x/LMA5x Firmware Loader"}),
    [](const ::testing::TestParamInfo<Release>& param) { return std::string(param.param.file); });

void expect_no_record(VersionInfo& info, const std::string& path,
                      const std::optional<std::string>& name = std::nullopt) {
    EXPECT_FALSE(info.read(path, name)) << path;
    EXPECT_TRUE(info.string_tables().empty());
    EXPECT_EQ(info.string_value("InternalName"), "");
    EXPECT_EQ(info.file_version_text(), "0.0.0");
    if (path.find("hx4x_app_tests_") != std::string::npos) {
        std::error_code ignored;
        fs::remove(path, ignored);
    }
}

TEST(VersionRecordFile, FilesWithoutARecordGiveNone) {
    VersionInfo info;
    expect_no_record(info, "/nonexistent/loader");
    expect_no_record(info, HX4X_PROBE_FILE, ".no_such_section");
    // This test program was built without a record.
    expect_no_record(info, platform::module_path());
    expect_no_record(info, write_file("text", {'h', 'e', 'l', 'l', 'o'}).string());
    expect_no_record(info, write_file("empty", {}).string());
}

// The Windows loader's own reading of damaged program files: the new header's offset beyond
// the end, a broken signature, and a resource table emptied.
void expect_no_damaged_resources(VersionInfo& info, const std::vector<char>& whole) {
    const auto byte = [&whole](std::size_t at) {
        return std::size_t{static_cast<std::uint8_t>(whole.at(at))};
    };
    const std::size_t header = byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24;
    ASSERT_LT(header + 24 + 112 + 24, whole.size());
    ASSERT_EQ(std::string(whole.begin() + static_cast<long>(header),
                          whole.begin() + static_cast<long>(header) + 4),
              std::string("PE\0\0", 4));
    ASSERT_EQ(byte(header + 24) | byte(header + 25) << 8, 0x20Bu) << "a 64-bit program";
    std::vector<char> moved = whole;
    for (std::size_t i = 0x3C; i < 0x40; ++i) {
        moved[i] = static_cast<char>(0x7F);
    }
    expect_no_record(info, write_file("moved", moved).string());
    std::vector<char> unsigned_file = whole;
    unsigned_file[header + 1] = 'X';
    expect_no_record(info, write_file("unsigned", unsigned_file).string());
    // The resource entry of the data directories: address and size.
    std::vector<char> bare = whole;
    const std::size_t resources = header + 24 + 112 + 2 * 8;
    std::fill(bare.begin() + static_cast<long>(resources),
              bare.begin() + static_cast<long>(resources) + 8, '\0');
    expect_no_record(info, write_file("bare", bare).string());
}

TEST(VersionRecordFile, DamagedExecutablesGiveNoRecordAndNoCrash) {
    const std::vector<char> whole = file_bytes(HX4X_PROBE_FILE);
    ASSERT_GT(whole.size(), 4096u);
    VersionInfo info;
    for (const std::size_t size : {std::size_t{16}, std::size_t{64}, std::size_t{4096}}) {
        const std::vector<char> cut(whole.begin(), whole.begin() + static_cast<long>(size));
        expect_no_record(info, write_file("cut", cut).string());
    }
    if (testing_support::host_is_windows) {
        expect_no_damaged_resources(info, whole);
        return;
    }
    // Section headers beyond the end of the file, and of absurd entry size.
    std::vector<char> moved = whole;
    for (std::size_t i = 0; i < 8; ++i) {
        moved[0x28 + i] = static_cast<char>(0x7F);
    }
    expect_no_record(info, write_file("moved", moved).string());
    std::vector<char> odd = whole;
    odd[0x3A] = 4;  // e_shentsize below a section header's size
    odd[0x3B] = 0;
    expect_no_record(info, write_file("odd", odd).string());
    // Without the section-name table nothing can be found by name.
    std::vector<char> unnamed = whole;
    unnamed[0x3E] = static_cast<char>(0xFF);
    unnamed[0x3F] = static_cast<char>(0xFE);
    expect_no_record(info, write_file("unnamed", unnamed).string());
}

TEST(VersionRecordFile, ReadingAgainReplacesTheRecord) {
    VersionInfo info;
    EXPECT_TRUE(info.read(HX4X_PROBE_FILE));
    EXPECT_EQ(info.file_path(), HX4X_PROBE_FILE);
    expect_no_record(info, "/nonexistent/loader");
    EXPECT_EQ(info.file_path(), "/nonexistent/loader");
}

TEST(ModulePath, NamesTheRunningProgram) {
    const std::string path = platform::module_path();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::path(path).filename().string(), "app_tests" + suffix);
}

}  // namespace
}  // namespace hx4x
