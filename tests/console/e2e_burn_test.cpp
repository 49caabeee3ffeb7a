// The real hx4x-update binary against counters that misbehave around the flash, that a
// killed run left in loading mode, or that another run is updating: success only when the
// new firmware runs, no reset into a running flash, no counter left stranded.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "hex_text.hpp"
#include "output_lines.hpp"
#include "process_runner.hpp"
#include "sim_bus.hpp"
#include "temp_dir.hpp"

namespace hx4x {
namespace {

#ifdef HX4X_VISA_SIM_PATH

using testing_support::contains;
using testing_support::counter;
using testing_support::last_index_of;
using testing_support::lines_of;
using testing_support::member;
using testing_support::read_file;
using testing_support::run_process;
using testing_support::SimulatedBus;
using testing_support::TempDir;
using testing_support::usb_a;
using testing_support::whole_json_lines;
using testing_support::write_file;

const std::string binary = HX4X_UPDATE_BINARY;
const std::string sample = HX4X_SAMPLE_FIRMWARE;  // version 1.20
const std::string reset = ":ABOR; *rst; *PSC 0; *CLS";
const std::string power_cycle =
    "Error updating firmware.\nPlease, perform power cycle of the counter and try again";

// Resets sent after the burn order; none may reach a counter while it flashes.
std::size_t resets_after_the_order(const std::vector<std::string>& writes) {
    std::size_t resets = 0;
    bool ordered = false;
    for (const std::string& line : writes) {
        ordered = ordered || contains(line, " SYST:FIRM:UPD");
        resets += ordered && contains(line, reset) ? 1u : 0u;
        EXPECT_FALSE(contains(line, "bricked")) << line;
    }
    return resets;
}

std::string result_line(const std::string& out) {
    const auto lines = lines_of(out);
    return lines.empty() ? std::string() : lines.back();
}

// A GPIB counter at 1.10: no I/O delay and the short preparation keep each run quick.
const std::string gpib = "GPIB0::7::INSTR";
std::string gpib_counter(const std::string& extra = {}) {
    return "resource " + gpib +
           "\n    idn VALDMORE,HX-40XL,100007,V1.10\n"
           "    new_version V1.20\n" +
           extra;
}

TEST(ConsoleBurn, SuccessOnlyWhenTheNewFirmwareRunsAndNoResetIntoAFlash) {
    struct Case {
        const char* name;
        std::string counters;
        bool long_records;  // records of 255 bytes instead of the sample
        int status;
        std::string err;  // on standard error
        std::size_t resets_after_the_order;
    };
    const Case cases[] = {
        {"Normal", gpib_counter(), false, 0, "", 1},
        // A stale request makes the loader look at once; the counter is still flashing and
        // silent. It is reset only when it answers again, after the flash.
        {"EarlyRequest", gpib_counter("    burn_answer no\n    early_srq 100\n    burn_ms 3000\n"),
         false, 7, power_cycle, 1},
        // The counter drops its session while it flashes and restarts: every wait fails at
        // once, the burn goes on and succeeds when the counter is back.
        {"SessionDroppedWhileFlashing", gpib_counter("    burn_answer drop\n    burn_ms 1500\n"),
         false, 0, "", 1},
        // On USB the order is followed by "*OPC", which a dropped session cannot take: a
        // failure, and the counter is reset only once it is back after the flash.
        {"UsbSessionDroppedAtTheOrder",
         "resource " + usb_a +
             "\n    idn VALDMORE,HX-40XL,100001,V1.15\n    burn_answer drop\n    burn_ms 1500\n",
         false, 7, power_cycle, 1},
        {"SameVersionAfterTheBurn", gpib_counter("    new_version V1.10\n"), false, 7,
         "Error updating firmware.\nThe counter still reports its previous firmware version:\n"
         "\tV1.10\nPlease, perform power cycle of the counter and update it again",
         1},
        // The counter drops off the bus mid-transfer: the reset cannot reach it either.
        {"ResetThatCannotBeSent", gpib_counter("    drop_after 2 SYST:FIRM:DATA\n"), false, 6,
         "error: The counter did not take the reset command and may still be in firmware "
         "loading mode.\nPlease, perform power cycle of the counter",
         0},
        // Records of 255 bytes for a counter that takes at most 249 in a block: refused once
        // the counter is identified, before anything changes it.
        {"RecordsTooLongForTheCounter",
         "resource GPIB0::5::INSTR\n    idn DWERN,RV2260,123456,V1.05\n", true, 2,
         "cannot be sent to this counter:\nThe data record for address 0x00000000 holds 255 "
         "data bytes, and a block to this counter carries at most 249",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SimulatedBus bus(c.counters);
        std::vector<std::string> args = {"yes", "json", sample};
        if (c.long_records) {
            args.back() = bus.file("fw.hex");
            write_file(args.back(), testing_support::firmware_hex_text("1.20", 1020, 255));
        }
        const auto result = run_process(binary, args, bus.environment());
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_TRUE(contains(result.err, c.err)) << result.err;
        EXPECT_TRUE(whole_json_lines(result.out));
        EXPECT_EQ(member(result_line(result.out), "burned"), c.status == 0 ? "true" : "false");
        const auto writes = bus.writes();
        EXPECT_EQ(resets_after_the_order(writes), c.resets_after_the_order);
        if (c.status == 2) {
            ASSERT_EQ(writes.size(), 1u);
            EXPECT_TRUE(contains(writes[0], ":ABOR; *IDN?"));
        }
    }
}

// The whole two minutes the burn may take: a counter that never answers again gets no reset.
TEST(ConsoleBurn, ACounterThatNeverComesBackIsNotReset) {
    const SimulatedBus bus(gpib_counter("    burn_answer drop\n    burn_ms 100000000\n"));
    const auto started = std::chrono::steady_clock::now();
    const auto result = run_process(binary, {"yes", "json", sample}, bus.environment(), {}, 240);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(120));
    EXPECT_EQ(result.status, 7) << result.err;
    EXPECT_TRUE(contains(result.err, power_cycle)) << result.err;
    EXPECT_EQ(member(result_line(result.out), "burned"), "false");
    EXPECT_EQ(resets_after_the_order(bus.writes()), 0u);
}

// One counter's state shared by the runs of several processes, each with its own bus.
struct SharedCounter {
    TempDir dir;
    std::string state = dir.file("counter.state");
    std::string section(const std::string& extra = {}) const {
        return gpib_counter("    state " + state + "\n" + extra);
    }
    // A bus of its own (transcript) on the shared counter, claims kept where the first's are.
    std::map<std::string, std::string> environment(const SimulatedBus& bus) const {
        auto environment = bus.environment();
        environment["XDG_RUNTIME_DIR"] = dir.path().string();
        return environment;
    }
};

// A run killed mid-transfer leaves the counter in loading mode; the next update, or the
// reset alone, brings it back.
TEST(ConsoleBurn, ACounterAKilledRunLeftInLoadingModeIsBroughtBack) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {"NextUpdate", {"yes", sample}, "New firmware version is:\n\tV1.20"},
        {"Reset",
         {"reset", "counter=" + gpib},
         "The counter was reset and identifies itself as:\n\n\tVISA address:\t" + gpib +
             "\n\tManufacturer:\tValdmore Instruments\n\tModel:\t\tHX-40XL\n"
             "\tSerial number:\t100007\n\tFirmware version:\tV1.10\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SharedCounter shared;
        const SimulatedBus killed_bus(shared.section());
        const std::string firmware = killed_bus.file("big.hex");
        write_file(firmware, testing_support::firmware_hex_text("1.20", 48 * 1024));
        const auto killed = run_process(
            binary, {"yes", firmware}, shared.environment(killed_bus), [](const std::string& err) {
                return contains(err, "Firmware sending...") ? SIGKILL : 0;
            });
        ASSERT_EQ(killed.status, -1);
        ASSERT_TRUE(contains(read_file(shared.state), "firmware_mode 1"));

        const SimulatedBus next_bus(shared.section());
        const auto next = run_process(binary, c.args, shared.environment(next_bus));
        EXPECT_EQ(next.status, 0) << next.err;
        EXPECT_TRUE(contains(next.out, c.out)) << next.out;
        EXPECT_TRUE(contains(read_file(shared.state), "firmware_mode 0"));
        EXPECT_GT(last_index_of(next_bus.writes(), reset), 0u);
    }
}

// While one run works with a counter, a second run on it (any letter case) is refused before
// any command reaches the counter.
TEST(ConsoleBurn, ASecondRunOnACounterInUseIsRefused) {
    const SharedCounter shared;
    const SimulatedBus first_bus("timeouts real\n" + shared.section("    burn_ms 4000\n"));
    std::atomic<bool> flashing{false};
    testing_support::ProcessResult first;
    std::thread first_run([&] {
        first = run_process(binary, {"yes", sample}, shared.environment(first_bus),
                            [&flashing](const std::string& err) {
                                flashing = contains(err, "Flash updating");
                                return 0;
                            });
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!flashing && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(flashing.load());

    const SimulatedBus second_bus(shared.section());
    std::string lower = gpib;
    for (char& ch : lower) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    const auto second =
        run_process(binary, {"yes", "counter=" + lower, sample}, shared.environment(second_bus));
    first_run.join();

    EXPECT_EQ(second.status, 4) << second.err;
    EXPECT_TRUE(contains(second.err,
                         "error: The counter with the following VISA symbolic address is in use by "
                         "another firmware loader on this computer:\n\n\t" +
                             gpib))
        << second.err;
    const std::string transcript = read_file(second_bus.file("transcript.txt"));
    EXPECT_FALSE(contains(transcript, "viOpen ")) << transcript;
    EXPECT_FALSE(contains(transcript, "viWrite ")) << transcript;
    EXPECT_EQ(first.status, 0) << first.err;
}

#endif

}  // namespace
}  // namespace hx4x
