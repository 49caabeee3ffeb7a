// The real window program started as an operator starts it, twice and more.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "temp_dir.hpp"

namespace hx4x {
namespace {

using namespace std::chrono_literals;

const std::string program = HX4X_WINDOW_PROGRAM;

// A started copy of the program, killed when the test is done with it.
class Copy {
  public:
    Copy(const testing_support::TempDir& runtime, const char* option = "emulate_counter=112") {
        pid_ = fork();
        if (pid_ == 0) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
            execl(program.c_str(), program.c_str(), option, static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Copy() { kill(SIGKILL); }
    Copy(const Copy&) = delete;
    Copy& operator=(const Copy&) = delete;

    // Whether it is still running after waiting up to this long for it to end.
    bool running_after(std::chrono::milliseconds wait) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        do {
            int status = 0;
            if (pid_ <= 0 || waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return false;
            }
            std::this_thread::sleep_for(20ms);
        } while (std::chrono::steady_clock::now() < deadline);
        return true;
    }
    void kill(int signal_number) {
        if (pid_ > 0) {
            ::kill(pid_, signal_number);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

  private:
    pid_t pid_ = -1;
};

TEST(SingleInstance, ASecondStartEndsAndAKilledCopyBlocksNothing) {
    const testing_support::TempDir runtime;
    Copy first(runtime);
    ASSERT_TRUE(first.running_after(1500ms));
    // Whatever its command line says, the second copy ends at once without a window.
    for (const char* option : {"emulate_counter=112", "help", "bad=option"}) {
        SCOPED_TRACE(option);
        Copy second(runtime, option);
        EXPECT_FALSE(second.running_after(5000ms));
    }
    // A copy that dies without cleaning up leaves its lock file and socket behind.
    first.kill(SIGKILL);
    Copy next(runtime);
    EXPECT_TRUE(next.running_after(1500ms));
}

TEST(SingleInstance, OfTwoStartedTogetherOneRuns) {
    const testing_support::TempDir runtime;
    Copy a(runtime);
    Copy b(runtime);
    const bool a_runs = a.running_after(2000ms);
    const bool b_runs = b.running_after(100ms);
    EXPECT_NE(a_runs, b_runs);
}

}  // namespace
}  // namespace hx4x
