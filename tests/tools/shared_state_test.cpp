// One counter seen by two processes through its state file (counter key `state`): what the
// second finds after the first was killed, and what two of them sending at once do.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "case_name.hpp"
#include "sim_library.hpp"

namespace hx4x::visa_sim {
namespace {

using namespace hx4x::visa_sim::sim_test;
using testing_support::data_command;
using testing_support::firmware_block;

struct SharedCase {
    const char* name;
    std::vector<std::string> first;  // what the first process sends before it is killed or waits
    bool first_waits;  // keeps its session open while the second one sends, then sends `later`
    std::vector<std::string> later;
    std::vector<std::string> second;  // what the second process sends
    int silent_reads;                 // reads of "*IDN?" that time out before one is answered
    const char* idn;
    const char* map;  // the image the second process then burns, or null when there is none
};

class SharedState : public SimLibrary, public ::testing::WithParamInterface<SharedCase> {
  protected:
    std::string config(const std::string& name) {
        return "transcript " + dir_.file(name + ".txt") + "\nresource " + usb +
               "\nburn_ms 1000\nburn_answer no\nnew_version V2.00\nstate " +
               dir_.file("counter.state") + "\nimage_map " + dir_.file(name + ".map") + "\n";
    }

    // The first process uses the library it inherits (closed and fresh since the last test).
    // It reports a failed call by its exit status, and ends by SIGKILL unless it waits.
    [[noreturn]] void run_first(int ready, int go) {
        write_file(dir_.file("first.cfg"), config("first"));
        testing_support::set_environment("HX4X_VISA_SIM_CONFIG", dir_.file("first.cfg"));
        ViSession rm = 0;
        ViSession vi = 0;
        bool ok =
            api_.open_rm(&rm) == VI_SUCCESS && api_.open(rm, usb, VI_NO_LOCK, 0, &vi) == VI_SUCCESS;
        const auto send = [&](const std::vector<std::string>& messages) {
            for (const std::string& message : messages) {
                ok = ok && write(vi, message) == VI_SUCCESS;
            }
        };
        send(GetParam().first);
        if (!GetParam().first_waits) {
            if (ok) {
                kill(getpid(), SIGKILL);
            }
            _exit(1);
        }
        char byte = 1;
        ok = ok && ::write(ready, &byte, 1) == 1 && ::read(go, &byte, 1) == 1;
        send(GetParam().later);
        _exit(ok ? 0 : 1);
    }
};

TEST_P(SharedState, TheSecondProcessFindsWhatTheFirstLeft) {
    const SharedCase& c = GetParam();
    int ready[2];
    int go[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    const pid_t first = fork();
    ASSERT_GE(first, 0);
    if (first == 0) {
        run_first(ready[1], go[0]);
    }
    close(ready[1]);
    close(go[0]);
    int exit_status = 0;
    char byte = 0;
    if (c.first_waits) {
        ASSERT_EQ(::read(ready[0], &byte, 1), 1) << "the first process failed";
    } else {
        ASSERT_EQ(waitpid(first, &exit_status, 0), first);
        ASSERT_TRUE(WIFSIGNALED(exit_status)) << "the first process failed";
    }

    write_file(dir_.file("second.cfg"), config("second"));
    testing_support::set_environment("HX4X_VISA_SIM_CONFIG", dir_.file("second.cfg"));
    const ViSession rm = open_rm();
    const ViSession vi = open(rm, usb);
    for (const std::string& message : c.second) {
        EXPECT_EQ(write(vi, message), VI_SUCCESS);
    }
    if (c.first_waits) {
        ASSERT_EQ(::write(go[1], &byte, 1), 1);
        ASSERT_EQ(waitpid(first, &exit_status, 0), first);
        EXPECT_TRUE(WIFEXITED(exit_status) && WEXITSTATUS(exit_status) == 0);
    }
    close(ready[0]);
    close(go[1]);

    ASSERT_EQ(api_.set_attribute(vi, VI_ATTR_TMO_VALUE, 100), VI_SUCCESS);
    int silent = 0;
    std::string reply;
    ViStatus status = VI_ERROR_TMO;
    while (status == VI_ERROR_TMO && silent < 30) {
        EXPECT_EQ(write(vi, "*IDN?"), VI_SUCCESS);
        reply = read(vi, &status);
        silent += status == VI_ERROR_TMO ? 1 : 0;
    }
    // The later process's transcript shows that the counter was still flashing.
    const std::vector<std::string> written = commands(usb, dir_.file("second.txt"));
    ASSERT_GT(written.size(), c.second.size());
    EXPECT_EQ(written[c.second.size()], c.silent_reads > 0 ? "*IDN? [while flashing]" : "*IDN?");
    // Never more than the flash lasts; fewer by the real time the first process and the
    // start of this one took, which counts for the flash too.
    EXPECT_LE(silent, c.silent_reads);
    EXPECT_GE(silent, c.silent_reads / 2);
    EXPECT_EQ(reply, std::string(c.idn) + "\n");
    EXPECT_EQ(write(vi, "SYST:FIRM:UPD"), VI_SUCCESS);
    EXPECT_EQ(read_file(dir_.file("second.map")), c.map == nullptr ? "" : c.map);

    const std::vector<std::string> opens = transcript("viOpen rm", dir_.file("second.txt"));
    ASSERT_EQ(opens.size(), 1u);
    const std::string& opened = opens.front();
    const std::string also = " [also open in process " + std::to_string(first) + "]";
    EXPECT_EQ(opened.size() > also.size() &&
                  opened.compare(opened.size() - also.size(), also.size(), also) == 0,
              c.first_waits)
        << opened;
    // A later open sees that the first process has gone.
    EXPECT_EQ(api_.close(vi), VI_SUCCESS);
    open(rm, usb);
    EXPECT_EQ(transcript("viOpen rm", dir_.file("second.txt")).back().find("[also open"),
              std::string::npos);
}

const std::string prepare = ":SYSTEM:FIRMWARE:PREPARE";
const std::string block_0 = data_command(firmware_block(0, {1, 2, 3, 4}, 2));
const std::string block_4 = data_command(firmware_block(4, {5, 6, 7, 8}, 2));
const std::string block_8 = data_command(firmware_block(8, {9, 10, 11, 12}, 2));
const std::string block_100 = data_command(firmware_block(0x100, {0xAA}, 2));

INSTANTIATE_TEST_SUITE_P(
    Table, SharedState,
    ::testing::Values(SharedCase{"KilledMidTransferLeavesFirmwareModeAndThePartialImage",
                                 {prepare, block_0, block_4},
                                 false,
                                 {},
                                 {},
                                 0,
                                 "VALDMORE,HX-40XL,100000,V1.15",
                                 "0x00000000 8 0102030405060708\n"},
                      SharedCase{"KilledWhileFlashingTheFlashRunsOnToItsEnd",
                                 {prepare, block_0, "SYST:FIRM:UPD"},
                                 false,
                                 {},
                                 {},
                                 10,
                                 "VALDMORE,HX-40XL,100000,V2.00",
                                 nullptr},
                      SharedCase{"SendingAtOnceTheyMixTheirBlocks",
                                 {prepare, block_0, block_4},
                                 true,
                                 {block_8},
                                 {prepare, block_100},
                                 0,
                                 "VALDMORE,HX-40XL,100000,V1.15",
                                 "0x00000008 4 090A0B0C\n0x00000100 1 AA\n"}),
    testing_support::CaseName());

}  // namespace
}  // namespace hx4x::visa_sim

#endif
