#include "firmware/file_helpers.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "case_name.hpp"
#include "hex_test_support.hpp"
#include "host_system.hpp"
#include "special_files.hpp"

namespace hx4x {
namespace {

namespace fs = std::filesystem;

struct NormalizeCase {
    const char* name;
    std::string path;
    std::string expected;
};

class NormalizePath : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizePath, DropsTrailingBackslashesOnly) {
    EXPECT_EQ(normalize_path(GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    FileHelpers, NormalizePath,
    ::testing::Values(NormalizeCase{"Empty", "", ""},
                      NormalizeCase{"TwoTrailingBackslashes", "a\\b\\\\", "a\\b"},
                      NormalizeCase{"OneTrailingBackslash", "a\\b\\", "a\\b"},
                      NormalizeCase{"DriveGetsItsRoot", "C:", "C:\\"},
                      NormalizeCase{"DriveRootStays", "C:\\", "C:\\"},
                      NormalizeCase{"DriveRootWithExtraBackslashes", "C:\\\\\\", "C:\\"},
                      NormalizeCase{"RootStays", "\\", "\\"},
                      NormalizeCase{"RootWithExtraBackslashes", "\\\\\\", "\\"},
                      NormalizeCase{"NoBackslash", "ab", "ab"},
                      NormalizeCase{"ColonInsideAName", "a:b", "a:b"},
                      NormalizeCase{"LowerCaseDriveRoot", "x:\\", "x:\\"},
                      NormalizeCase{"TrailingSlashStays", "dir/", "dir/"},
                      NormalizeCase{"PosixTrailingSlashStays", "/tmp/a/", "/tmp/a/"},
                      NormalizeCase{"LeadingBackslashStays", "\\a", "\\a"}),
    testing_support::CaseName());

class FileHelpersOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("hx4x_fh_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code code;
        fs::remove_all(dir_, code);
    }
    std::string make_file(const std::string& name) {
        const std::string path = (dir_ / name).string();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file != nullptr) {
            std::fputs("x", file);
            std::fclose(file);
        }
        return path;
    }
    fs::path dir_;
};

TEST_F(FileHelpersOnDisk, ExistsForFilesDirectoriesAndLinks) {
    const std::string file = make_file("a.hex");
    EXPECT_TRUE(file_exists(file));
    EXPECT_TRUE(file_exists(dir_.string()));
    EXPECT_TRUE(file_exists(dir_.string() + "/"));
    EXPECT_TRUE(file_exists(file + "\\\\"));
    EXPECT_FALSE(file_exists((dir_ / "missing").string()));
    EXPECT_FALSE(file_exists(""));
    const fs::path dangling = dir_ / "dangling";
    if (testing_support::make_symlink(dir_ / "nowhere", dangling)) {
        EXPECT_TRUE(file_exists(dangling.string()));
    }
}

TEST_F(FileHelpersOnDisk, DeleteRemovesFilesButNeverDirectories) {
    const std::string file = make_file("b.hex");
    EXPECT_TRUE(delete_file_if_present(file));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(delete_file_if_present(file));
    EXPECT_TRUE(delete_file_if_present(""));
    EXPECT_FALSE(delete_file_if_present(dir_.string()));
    EXPECT_TRUE(fs::is_directory(dir_));
    // Links only where the system lets this user make them.
    if (testing_support::make_symlink(dir_, dir_ / "to_dir", true)) {
        EXPECT_FALSE(delete_file_if_present((dir_ / "to_dir").string()));
    }
    const fs::path dangling = dir_ / "dangling";
    if (testing_support::make_symlink(dir_ / "nowhere", dangling)) {
        EXPECT_TRUE(delete_file_if_present(dangling.string()));
        EXPECT_FALSE(fs::exists(fs::symlink_status(dangling)));
    }
}

// "C:" is normalized to "C:\\", the drive's root folder, which exists only on Windows:
// found there and never deleted; elsewhere nothing is at that name.
TEST_F(FileHelpersOnDisk, ABareDriveIsItsRootFolderOnWindows) {
    EXPECT_EQ(file_exists("C:"), testing_support::host_is_windows);
    EXPECT_EQ(file_exists("C:\\\\"), testing_support::host_is_windows);
    EXPECT_EQ(delete_file_if_present("C:"), !testing_support::host_is_windows);
}

TEST_F(FileHelpersOnDisk, DeleteUsesThePathAsPassed) {
    const std::string file = make_file("c.hex");
    // Found through the normalized path, but no file is named with the trailing backslash.
    EXPECT_FALSE(delete_file_if_present(file + "\\"));
    EXPECT_TRUE(fs::exists(file));
}

}  // namespace
}  // namespace hx4x
