#include "cmdline/file_path.hpp"

#include <gtest/gtest.h>

#include "cmdline/trim.hpp"

namespace hx4x {
namespace {

struct PathCase {
    const char* label;  // `name` is the path's own
    const char* text;
    bool ok;
    const char* directory;
    const char* name;
    const char* extension;
};

class FilePathAssign : public ::testing::TestWithParam<PathCase> {};

TEST_P(FilePathAssign, SplitsAtLastSeparatorAndLastDot) {
    const PathCase& c = GetParam();
    FilePath path;
    EXPECT_EQ(path.assign(c.text), c.ok);
    EXPECT_EQ(path.directory, c.directory);
    EXPECT_EQ(path.name, c.name);
    EXPECT_EQ(path.extension, c.extension);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilePathAssign,
    ::testing::Values(PathCase{"WindowsPath", "C:\\Tools\\loader.exe", true, "C:\\Tools", "loader",
                               "exe"},
                      PathCase{"WindowsPathWithBlanks", "C:\\Program Files\\tool\\app.exe", true,
                               "C:\\Program Files\\tool", "app", "exe"},
                      PathCase{"PosixPathWithoutExtension", "/usr/local/bin/hx4x-update", true,
                               "/usr/local/bin", "hx4x-update", ""},
                      PathCase{"MixedSeparatorsAndTwoDots", "dir/sub\\fw.v1.hex", true, "dir/sub",
                               "fw.v1", "hex"},
                      PathCase{"ExtensionOnly", ".hex", true, "", "", "hex"},
                      PathCase{"EmptyExtension", "name.", true, "", "name", ""},
                      PathCase{"NameOnly", "plain", true, "", "plain", ""},
                      PathCase{"EndsWithASeparator", "C:\\Tools\\", false, "", "", ""},
                      PathCase{"RootOnly", "/", false, "", "", ""},
                      PathCase{"LoneDot", ".", false, "", "", ""},
                      PathCase{"Empty", "", false, "", "", ""}),
    [](const ::testing::TestParamInfo<PathCase>& param) { return std::string(param.param.label); });

TEST(FilePath, FullPathJoinsWithTheSeparatorItWasSplitAt) {
    FilePath windows;
    ASSERT_TRUE(windows.assign("C:\\Tools\\loader.exe"));
    windows.extension = "log";
    EXPECT_EQ(windows.full_path(), "C:\\Tools\\loader.log");

    FilePath posix;
    ASSERT_TRUE(posix.assign("/opt/hx4x/loader"));
    posix.extension = "ini";
    EXPECT_EQ(posix.full_path(), "/opt/hx4x/loader.ini");

    FilePath bare;
    ASSERT_TRUE(bare.assign("fw.hex"));
    bare.extension = "sending";
    EXPECT_EQ(bare.full_path(), "fw.sending");
}

TEST(FilePath, AFileInTheRootKeepsItsRoot) {
    FilePath posix;
    ASSERT_TRUE(posix.assign("/fw.hex"));
    EXPECT_EQ(posix.directory, "");
    posix.extension = "sending";
    EXPECT_EQ(posix.full_path(), "/fw.sending");

    FilePath windows;
    ASSERT_TRUE(windows.assign("\\fw.hex"));
    windows.extension = "firmware";
    EXPECT_EQ(windows.full_path(), "\\fw.firmware");
}

TEST(FilePath, FailedAssignEmptiesAnEarlierPath) {
    FilePath path;
    ASSERT_TRUE(path.assign("a\\b.c"));
    EXPECT_FALSE(path.assign("x\\"));
    EXPECT_EQ(path.full_path(), "");
}

TEST(Trim, RemovesBlanksTabsAndLineFeedsButNotCarriageReturns) {
    EXPECT_EQ(trim(" \t\n value \n\t "), "value");
    EXPECT_EQ(trim("a b"), "a b");
    EXPECT_EQ(trim(" \t\n"), "");
    EXPECT_EQ(trim("\rvalue\r"), "\rvalue\r");
}

}  // namespace
}  // namespace hx4x
