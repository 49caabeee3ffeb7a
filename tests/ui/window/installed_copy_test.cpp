// A copy installed in a folder its user cannot write, started from whatever folder the
// operator happens to be in.
#include <gtest/gtest.h>

#include <QComboBox>

#include <filesystem>
#include <map>

#include "AuxLib/logger.hpp"
#include "app/loader_files.hpp"
#include "emulated_window.hpp"
#include "environment.hpp"
#include "hex_text.hpp"
#include "temp_dir.hpp"

namespace hx4x {
namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::ScopedEnvironment;
using testing_support::write_file;

// Every file of a folder tree with its content.
std::map<std::string, std::string> files_in(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        files[entry.path().string()] =
            entry.is_regular_file() ? read_file(entry.path().string()) : "";
    }
    return files;
}

class CurrentFolder {
  public:
    explicit CurrentFolder(const fs::path& folder) : previous_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~CurrentFolder() { fs::current_path(previous_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

  private:
    fs::path previous_;
};

class InstalledCopy : public testing_support::EmulatedWindowTest {
  protected:
    ~InstalledCopy() override { Logger::instance().close(); }
    testing_support::TempDir dir_;
};

// The program's folder is taken as not writable whoever runs the test (root writes
// anywhere): the choice itself is the table's in the app tests; here the files it names are
// used as the program uses them, settings saved and log written, in the folder's stead.
TEST_F(InstalledCopy, KeepsItsFilesInTheUsersFoldersAndLeavesTheCurrentFolderAlone) {
    const fs::path current = dir_.path() / "work";
    fs::create_directories(current);
    write_file((current / "HX4xLoader.ini").string(), "[HX4xLoader]\r\nhex_file_name_0=a.hex\r\n");
    write_file((current / "HX4xLoader.log").string(), "someone else's log\n");
    const std::string firmware = (current / "fw.hex").string();
    write_file(firmware, testing_support::firmware_hex_text("1.15"));
    const auto before = files_in(current);

    const ScopedEnvironment config("XDG_CONFIG_HOME", dir_.file("config"));
    const ScopedEnvironment state("XDG_STATE_HOME", dir_.file("state"));
    const std::string earlier_log = dir_.file("state/hx4x-loader/HX4xLoader.log");
    fs::create_directories(fs::path(earlier_log).parent_path());
    write_file(earlier_log, "an earlier run\n");
    const CurrentFolder started_in(current);

    platform::ProgramPlace place;
    place.written = "HX4xLoader";
    place.resolved = dir_.file("usr/bin/HX4xLoader");
    const LoaderFiles files = loader_files(
        place, {std::getenv("XDG_CONFIG_HOME"), std::getenv("XDG_STATE_HOME"), nullptr});
    EXPECT_EQ(files.settings, dir_.file("config/hx4x-loader/HX4xLoader.ini"));
    EXPECT_EQ(files.log, earlier_log);
    Logger::instance().set_log_file(files.log, files.truncate_log);
    {
        auto dialog = open_window(files.settings);
        dialog->next_button()->click();
        dialog->file_box()->setEditText(to_qt("fw.hex"));
        dialog->start_button()->click();
        EXPECT_TRUE(succeeded()) << last_box();
        dialog->exit_button()->click();
    }

    EXPECT_NE(read_file(files.settings).find("hex_file_name_0=fw.hex\r\n"), std::string::npos);
    EXPECT_EQ(read_file(files.log).rfind("an earlier run\n", 0), 0u) << "the log is appended to";
    EXPECT_EQ(files_in(current), before);
}

}  // namespace
}  // namespace hx4x
