// A settings write replaces the file whole or not at all: a write that fails or is killed
// leaves the old contents or the new, never a mix and never a stray temporary file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/profile_text.hpp"
#include "temp_dir.hpp"
#include "ui/loader_settings.hpp"

namespace hx4x {
namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

const std::string old_text = "; kept\r\n[HX4xLoader]\r\nk=old\r\n[Other]\r\nk=1\r\n";

std::size_t files_in(const fs::path& folder) {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        (void)entry;
        ++count;
    }
    return count;
}

// Runs the body in a child process and gives its exit status.
template <class Body>
int in_child(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SettingsAtomicWrite, FullDiskLeavesTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("loader.ini");
    write_file(path, old_text);
    // A file size limit fails the temporary file's write as a full disk does, even for root.
    const int wrote = in_child([&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        LoaderSettings settings(path);
        return settings.write("HX4xLoader", "k", std::string(10000, 'n')) ? 1 : 0;
    });
    EXPECT_EQ(wrote, 0);
    EXPECT_EQ(read_file(path), old_text);
    EXPECT_EQ(files_in(dir.path()), 1u);
}

TEST(SettingsAtomicWrite, FolderWithoutRoomForNewFilesLeavesTheFile) {
    TempDir dir;
    std::string path = dir.file("loader.ini");
    if (geteuid() == 0) {
        // Root writes into any read-only folder; /proc takes no new files from anyone.
        path = "/proc/version";
        if (!fs::exists(path)) {
            GTEST_SKIP() << "no /proc";
        }
    } else {
        write_file(path, old_text);
        fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    }
    const std::string before = read_file(path);
    LoaderSettings settings(path);
    EXPECT_FALSE(settings.write("HX4xLoader", "k", "new"));
    EXPECT_EQ(read_file(path), before);
    fs::permissions(dir.path(), fs::perms::owner_all);
}

TEST(SettingsAtomicWrite, KilledWriterLeavesTheOldOrTheNewFile) {
    TempDir dir;
    const std::string path = dir.file("loader.ini");
    const std::string long_value(300000, 'n');
    const std::string new_text =
        *platform::with_profile_value(old_text, "HX4xLoader", "k", long_value);
    for (int delay_ms : {5, 20, 45, 80}) {
        write_file(path, old_text);
        const pid_t child = fork();
        if (child == 0) {
            LoaderSettings settings(path);
            for (;;) {
                settings.write("HX4xLoader", "k", long_value);
                settings.write("HX4xLoader", "k", "old");
            }
        }
        usleep(static_cast<useconds_t>(delay_ms) * 1000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string after = read_file(path);
        EXPECT_TRUE(after == old_text || after == new_text)
            << "after " << delay_ms << " ms: " << after.size() << " bytes";
    }
}

}  // namespace
}  // namespace hx4x
