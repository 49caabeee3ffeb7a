// The window program's start-up with a front end that records what it is asked to do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/emulated_version.hpp"
#include "app/loader_startup.hpp"
#include "environment.hpp"
#include "recording_presenter.hpp"
#include "temp_dir.hpp"

namespace hx4x {
namespace {

class RecordingReceiver : public OptionsReceiver {
  public:
    void set_settings_file(const std::string&) override {}
    void set_firmware_file(const std::string& path) override { firmware = path; }
    void set_mask(const std::string&) override {}
    void set_selected_address(const std::string&) override {}
    void set_start(bool start) override { started = start; }
    void set_skip_readme(bool) override {}
    void set_skip_burning(bool) override {}
    void set_dump_sending(bool) override {}
    void set_dump_firmware(bool) override {}
    std::string firmware;
    bool started = false;
};

class RecordingFrontEnd : public LoaderFrontEnd {
  public:
    void raise_running_copy(const std::string&) override { calls.push_back("raise"); }
    OptionsReceiver& create_window(LoaderIdentity) override {
        calls.push_back("create");
        return receiver;
    }
    void run_window() override { calls.push_back("run"); }
    void destroy_window() override { calls.push_back("destroy"); }
    std::vector<std::string> calls;
    RecordingReceiver receiver;
};

struct StartupCase {
    const char* name;
    const char* command_line;
    bool lock_folder_usable;
    std::vector<std::string> calls;
    // The head of the one box shown, or empty for none.
    const char* box_head;
};

class Startup : public ::testing::TestWithParam<StartupCase> {};

TEST_P(Startup, FollowsTheStartupOrder) {
    const StartupCase& c = GetParam();
    testing_support::TempDir dir;
    const std::string runtime = c.lock_folder_usable ? dir.path().string() : dir.file("missing");
    testing_support::ScopedEnvironment runtime_folder("XDG_RUNTIME_DIR", runtime);
    testing_support::RecordingPresenter presenter;
    RecordingFrontEnd front_end;
    const int status = run_loader_startup(front_end, presenter, c.command_line);
    set_emulated_version(0);
    EXPECT_EQ(front_end.calls, c.calls);
    if (c.box_head[0] == '\0') {
        EXPECT_TRUE(presenter.boxes.empty()) << presenter.boxes.front().text;
        EXPECT_EQ(status, 0);
        return;
    }
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes.front().text.rfind(c.box_head, 0), 0u)
        << presenter.boxes.front().text;
}

std::vector<StartupCase> startup_cases() {
    std::vector<StartupCase> cases = {
        {"Window", "loader emulate_counter=112", true, {"create", "run", "destroy"}, ""},
        {"Help", "loader help", true, {"create", "destroy"}, "Program usage format:"}};
#ifndef _WIN32
    // Without its lock the program says why instead of ending without a word (the lock
    // lives in the runtime folder, which the test can take away).
    cases.push_back({"LockUnusable",
                     "loader",
                     false,
                     {},
                     "The program cannot start: the lock that lets only one copy of it run"});
#endif
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Courses, Startup, ::testing::ValuesIn(startup_cases()),
                         [](const ::testing::TestParamInfo<StartupCase>& param) {
                             return param.param.name;
                         });

}  // namespace
}  // namespace hx4x
