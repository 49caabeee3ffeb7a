// Where the window program keeps its settings and its log.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/loader_files.hpp"
#include "case_name.hpp"
#include "platform/module_path.hpp"
#include "temp_dir.hpp"

namespace hx4x {
namespace {

// Paths beginning with "~" stand for the test's own folder, where the user's folders are
// made; a null folder is an unset variable.
struct FilesCase {
    const char* name;
    const char* written;
    const char* resolved;
    bool follow_written;
    bool folder_writable;
    const char* config_home;
    const char* state_home;
    const char* home;
    const char* settings;
    const char* log;
    bool truncate_log;
};

class LoaderFilesChoice : public ::testing::TestWithParam<FilesCase> {
  protected:
    std::string in_test_folder(const char* path) const {
        if (path == nullptr) {
            return {};
        }
        const std::string text = path;
        return text.starts_with("~") ? dir_.path().string() + text.substr(1) : text;
    }
    testing_support::TempDir dir_;
};

TEST_P(LoaderFilesChoice, FollowsTheRuleOfThePlace) {
    const FilesCase& c = GetParam();
#ifdef _WIN32
    if (std::string(c.settings).starts_with("~")) {
        GTEST_SKIP() << "the user's XDG folders are absolute POSIX paths";
    }
#endif
    const platform::ProgramPlace place{c.written, c.resolved, c.follow_written, c.folder_writable};
    const std::string config = in_test_folder(c.config_home);
    const std::string state = in_test_folder(c.state_home);
    const std::string home = in_test_folder(c.home);
    const auto value = [](const char* given, const std::string& text) {
        return given == nullptr ? nullptr : text.c_str();
    };
    const LoaderFiles files = loader_files(
        place, {value(c.config_home, config), value(c.state_home, state), value(c.home, home)});
    EXPECT_EQ(files.settings, in_test_folder(c.settings));
    EXPECT_EQ(files.log, in_test_folder(c.log));
    EXPECT_EQ(files.truncate_log, c.truncate_log);
    // The folders in the user's base folders are there for the first save and entry.
    if (std::string(c.settings).starts_with("~")) {
        EXPECT_TRUE(
            std::filesystem::is_directory(std::filesystem::path(files.settings).parent_path()));
        EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(files.log).parent_path()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoaderFilesChoice,
    ::testing::Values(
        // Windows: the path as written, whatever the folder.
        FilesCase{"WrittenPathWithBlanks", "C:\\Program Files\\tool\\HX4xLoader.exe",
                  "C:\\Program Files\\tool\\HX4xLoader.exe", true, false, nullptr, nullptr, nullptr,
                  "C:\\Program Files\\tool\\HX4xLoader.ini",
                  "C:\\Program Files\\tool\\HX4xLoader.log", true},
        FilesCase{"WrittenBareName", "loader", "C:\\tool\\loader.exe", true, true, nullptr, nullptr,
                  nullptr, "loader.ini", "loader.log", true},
        FilesCase{"WrittenDotInAFolderName", "/opt/v1.2/loader", "", true, false, nullptr, nullptr,
                  nullptr, "/opt/v1.2/loader.ini", "/opt/v1.2/loader.log", true},
        // POSIX, own folder writable: beside the file the system ran.
        FilesCase{"FoundThroughPath", "HX4xLoader", "/opt/hx4x/bin/HX4xLoader", false, true,
                  "~/config", "~/state", "~/home", "/opt/hx4x/bin/HX4xLoader.ini",
                  "/opt/hx4x/bin/HX4xLoader.log", true},
        FilesCase{"WrittenRelative", "./bin/RV226xLoader", "/home/op/bin/RV226xLoader", false, true,
                  nullptr, nullptr, nullptr, "/home/op/bin/RV226xLoader.ini",
                  "/home/op/bin/RV226xLoader.log", true},
        // POSIX, own folder not writable: the user's folders, the log appended to.
        FilesCase{"InstalledWithXdgFolders", "/usr/bin/HX4xLoader", "/usr/bin/HX4xLoader", false,
                  false, "~/config", "~/state", "~/home", "~/config/hx4x-loader/HX4xLoader.ini",
                  "~/state/hx4x-loader/HX4xLoader.log", false},
        FilesCase{"InstalledWithHomeOnly", "LTA5xLMA5xLoader", "/usr/bin/LTA5xLMA5xLoader", false,
                  false, nullptr, nullptr, "~/home",
                  "~/home/.config/hx4x-loader/LTA5xLMA5xLoader.ini",
                  "~/home/.local/state/hx4x-loader/LTA5xLMA5xLoader.log", false},
        FilesCase{"RelativeOrEmptyXdgFoldersIgnored", "HX4xLoader", "/usr/bin/HX4xLoader", false,
                  false, "config", "", "~/home", "~/home/.config/hx4x-loader/HX4xLoader.ini",
                  "~/home/.local/state/hx4x-loader/HX4xLoader.log", false},
        FilesCase{"ProgramNameWithoutItsExtension", "x", "/usr/lib/hx4x/HX4xLoader.bin", false,
                  false, "~/config/", "~/state", nullptr, "~/config/hx4x-loader/HX4xLoader.ini",
                  "~/state/hx4x-loader/HX4xLoader.log", false},
        // A program the system cannot name keeps the name it was started with, not its folder.
        FilesCase{"Unresolved", "./RV226xLoader", "", false, true, "~/config", "~/state", nullptr,
                  "~/config/hx4x-loader/RV226xLoader.ini", "~/state/hx4x-loader/RV226xLoader.log",
                  false},
        FilesCase{"NowhereToKeepThem", "HX4xLoader", "/usr/bin/HX4xLoader", false, false, nullptr,
                  "relative", nullptr, "", "", false}),
    testing_support::CaseName());

// The running program, started by a bare name as a shell finds it through PATH: its files
// are named after its own file, never after the current folder.
TEST(LoaderFiles, OfTheRunningProgramFollowItsOwnFile) {
    const platform::ProgramPlace place = platform::program_place("app_tests");
    const LoaderFiles files = loader_files("app_tests");
    if (place.follow_written) {
        EXPECT_EQ(files.settings, "app_tests.ini");
        return;
    }
    ASSERT_EQ(place.resolved, platform::module_path());
    if (place.folder_writable) {
        EXPECT_EQ(files.settings, place.resolved + ".ini");
        EXPECT_EQ(files.log, place.resolved + ".log");
    } else {
        EXPECT_NE(files.settings.find("/hx4x-loader/app_tests.ini"), std::string::npos);
    }
}

}  // namespace
}  // namespace hx4x
