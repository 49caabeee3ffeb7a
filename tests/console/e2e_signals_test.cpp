// The real hx4x-update binary against the signals that used to end it mid-transfer: any
// signal that would end the process cancels with the counter reset, and a file-size limit
// is met as a full disk, leaving only whole lines behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <map>
#include <string>
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
using testing_support::ProcessSetup;
using testing_support::read_file;
using testing_support::run_process;
using testing_support::SimulatedBus;
using testing_support::TempDir;
using testing_support::usb_a;
using testing_support::whole_json_lines;
using testing_support::write_file;

const std::string binary = HX4X_UPDATE_BINARY;

// Signals whose default action would end the program mid-block, sent while it sends.
TEST(ConsoleSignals, StopSignalsCancelWithTheCounterReset) {
    struct Case {
        const char* name;
        int signal_number;
        bool json;
    };
    const Case cases[] = {
        {"SIGUSR1", SIGUSR1, false},
        {"SIGALRM", SIGALRM, true},
        {"SIGRTMIN", SIGRTMIN, true},
        {"SIGRTMAX", SIGRTMAX, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SimulatedBus bus(counter(usb_a));
        const std::string firmware = bus.file("big.hex");
        write_file(firmware, testing_support::firmware_hex_text("1.20", 48 * 1024));
        const int number = c.signal_number;
        const auto when_sending = [number](const std::string& shown) {
            return contains(shown, "Firmware sending...") ? number : 0;
        };
        ProcessSetup setup;
        std::function<int(const std::string&)> on_err = when_sending;
        std::vector<std::string> args = {"yes", firmware};
        if (c.json) {
            setup.on_out = when_sending;
            on_err = {};
            args.insert(args.begin(), "json");
        }
        const auto result = run_process(binary, args, bus.environment(), on_err, 60, setup);

        EXPECT_EQ(result.status, 8) << result.err;
        const auto writes = bus.writes();
        const std::size_t last_data = last_index_of(writes, "SYST:FIRM:DATA");
        EXPECT_GT(last_data, 0u);
        EXPECT_GT(last_index_of(writes, ":ABOR; *rst; *PSC 0; *CLS"), last_data);
        EXPECT_EQ(last_index_of(writes, "FIRM:UPD"), 0u);
        if (c.json) {
            EXPECT_TRUE(whole_json_lines(result.out));
            const auto lines = lines_of(result.out);
            const std::string last = lines.empty() ? "" : lines.back();
            EXPECT_EQ(member(last, "event"), "result") << last;
            EXPECT_EQ(member(last, "exit_status"), "8") << last;
        } else {
            EXPECT_TRUE(contains(result.err, "warning: Operation canceled by user\n"))
                << result.err;
        }
    }
}

// A file-size limit (`ulimit -f`, a service manager) reached by a dump or by output sent to
// a file: the program is not killed, the write fails as on a full disk, the update goes on.
TEST(ConsoleSignals, AFileSizeLimitIsMetLikeAFullDisk) {
    struct Case {
        const char* name;
        std::vector<std::string> options;
        bool out_to_file;
        long limit;  // bytes; within the sending for the JSON lines of this firmware file
        int status;
        std::string err;  // followed on standard error by the path of err_file, if any
        std::string err_file;
    };
    const Case cases[] = {
        {"SendingDumpPastTheLimit",
         {"yes", "dump_sending"},
         false,
         1024,
         0,
         "warning: The sending dump could not be written completely: ",
         "fw.sending"},
        {"JsonLinesPastTheLimit",
         {"yes", "json"},
         true,
         1900,
         9,
         "error: Some of the program's output could not be written",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        // A counter of the quick protocol; the transcript on standard error, which no size
        // limit applies to.
        write_file(dir.file("sim.cfg"), "transcript /dev/stderr\nresource " + usb_a +
                                            "\n    idn VALDMORE,HX-40XL,100001,V1.15\n"
                                            "    new_version V1.20\n");
        const std::map<std::string, std::string> environment = {
            {"HX4X_VISA_LIBRARY", HX4X_VISA_SIM_PATH},
            {"HX4X_VISA_SIM_CONFIG", dir.file("sim.cfg")}};
        const std::string firmware = dir.file("fw.hex");
        write_file(firmware, testing_support::firmware_hex_text("1.20", 48 * 1024));
        ProcessSetup setup;
        setup.file_size_limit = c.limit;
        if (c.out_to_file) {
            setup.out_file = dir.file("out.jsonl");
        }
        std::vector<std::string> args = c.options;
        args.push_back(firmware);
        const auto result = run_process(binary, args, environment, {}, 60, setup);

        EXPECT_EQ(result.status, c.status) << result.err;
        const std::string named = c.err_file.empty() ? "" : dir.file(c.err_file);
        EXPECT_TRUE(contains(result.err, c.err + named)) << result.err;
        const auto transcript = lines_of(result.err);
        const std::size_t burn = last_index_of(transcript, "viWrite " + usb_a + " SYST:FIRM:UPD");
        EXPECT_GT(burn, 0u);
        EXPECT_GT(last_index_of(transcript, ":ABOR; *rst; *PSC 0; *CLS"), burn);
        if (c.out_to_file) {
            const std::string out = read_file(setup.out_file);
            EXPECT_TRUE(whole_json_lines(out));
            // The limit met within the sending, as meant.
            EXPECT_TRUE(contains(out, "\"step\":\"Firmware sending...\"")) << out;
            EXPECT_FALSE(contains(out, "\"step\":\"Firmware sending...\",\"percent\":100")) << out;
        } else {
            EXPECT_TRUE(contains(result.out, "New firmware version is:\n\tV1.20")) << result.out;
        }
    }
}

#endif

}  // namespace
}  // namespace hx4x
