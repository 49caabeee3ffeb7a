// The real hx4x-update binary in the situations a production line meets: stop signals, a
// reader that goes away, closed descriptors, mistaken options and files that must survive.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "console/log_location.hpp"
#include "hex_text.hpp"
#include "output_lines.hpp"
#include "process_runner.hpp"
#include "sim_bus.hpp"
#include "temp_dir.hpp"

namespace hx4x {
namespace {

using testing_support::ProcessSetup;
using testing_support::read_file;
using testing_support::run_process;
using testing_support::TempDir;
using testing_support::write_file;

const std::string binary = HX4X_UPDATE_BINARY;
const std::string sample = HX4X_SAMPLE_FIRMWARE;
const std::map<std::string, std::string> no_visa = {
    {"HX4X_VISA_LIBRARY", "/nonexistent/libvisa.so"}};

using testing_support::contains;

TEST(ConsoleSafety, InvalidEmulatedVersionsAreCommandLineErrors) {
    // Accepted, any of these would mean real instruments: VISA is missing here, so that
    // mistake would show as status 3.
    for (const std::string value : {"1.12", "99", "1001", "abc", ""}) {
        SCOPED_TRACE(value);
        const auto result =
            run_process(binary, {"emulate_counter=" + value, "yes", sample}, no_visa);
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(contains(result.err, "Command line parsing error:\n\tIllegal value '" + value +
                                             "' of the argument 'emulate_counter': a firmware "
                                             "version from 100 to 1000 is expected\n\n"))
            << result.err;
    }
}

TEST(ConsoleSafety, PathsAndPrefixesOnPosix) {
    const std::string root_file = "/hx4x-e2e-" + std::to_string(getpid()) + ".hex";
    write_file(root_file, read_file(sample));
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;
    };
    const Case cases[] = {
        {{"check", root_file}, 0, "OK\nversion: 1.20\n"},
        {{"--check", sample}, 0, "OK\nversion: 1.20\n"},
        {{"/check", sample}, 0, "OK\nversion: 1.20\n"},
        // Still a path, not an unknown option; refused on standard error.
        {{"check", "/hx4x-no-such-file.hex"}, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        const auto result = run_process(binary, c.args, no_visa);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(result.out, c.out);
    }
    std::filesystem::remove(root_file);
}

// A FIFO or a device is refused at once, never waited on.
TEST(ConsoleSafety, OnlyRegularFilesAreRead) {
    TempDir dir;
    const std::string fifo = dir.file("fw.hex");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/null")}) {
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"check", path}, {"emulate_counter=112", "yes", path}}) {
            SCOPED_TRACE(args.front() + " " + path);
            const auto result = run_process(binary, args, no_visa, {}, 20);
            EXPECT_EQ(result.status, 2) << result.err;
            EXPECT_TRUE(contains(result.out + result.err, "Could not open file for reading"));
        }
    }
}

// Dumps are diagnostics: they never replace the firmware nor write through a link.
TEST(ConsoleSafety, DumpsNeverDestroyAFile) {
    struct Case {
        const char* name;
        std::string firmware_name;
        std::string option;
        std::string dump_name;
        bool hard_link;  // the dump's name is a second name of the firmware file
        bool symlink;    // the dump's name is a link to a notes file
        std::string warning;
    };
    const Case cases[] = {
        {"FirmwareNamedLikeItsDump", "fw.firmware", "dump_firmware", "fw.firmware", false, false,
         "warning: The firmware dump could not be opened: "},
        {"HardLinkToTheFirmware", "fw.hex", "dump_firmware", "fw.firmware", true, false,
         "warning: The firmware dump could not be opened: "},
        {"LinkToNotes", "fw.hex", "dump_sending", "fw.sending", false, true,
         "warning: The sending dump could not be opened: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string firmware = dir.file(c.firmware_name);
        const std::string firmware_text = read_file(sample);
        write_file(firmware, firmware_text);
        const std::string notes = dir.file("notes.txt");
        write_file(notes, "my notes\n");
        const std::string dump = dir.file(c.dump_name);
        if (c.hard_link) {
            ASSERT_EQ(link(firmware.c_str(), dump.c_str()), 0);
        }
        if (c.symlink) {
            ASSERT_EQ(symlink(notes.c_str(), dump.c_str()), 0);
        }
        const auto result = run_process(
            binary, {"emulate_counter=112", "yes", "skip_burning", c.option, firmware}, no_visa);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(contains(result.err, c.warning + dump)) << result.err;
        EXPECT_EQ(read_file(firmware), firmware_text);
        EXPECT_EQ(read_file(notes), "my notes\n");
    }
}

// A dump the disk cannot hold is warned about; the update itself is not affected.
TEST(ConsoleSafety, ADumpThatCannotBeWrittenWholeIsWarnedAbout) {
    TempDir dir;
    const std::string firmware = dir.file("fw.hex");
    write_file(firmware, read_file(sample));
    ProcessSetup small_disk;
    small_disk.file_size_limit = 1024;
    const auto result = run_process(
        binary, {"emulate_counter=112", "yes", "skip_burning", "dump_firmware", firmware}, no_visa,
        {}, 60, small_disk);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(contains(
        result.err,
        "warning: The firmware dump could not be written completely: " + dir.file("fw.firmware")))
        << result.err;
}

TEST(ConsoleSafety, OutputThatCannotBeWrittenExits9) {
    TempDir dir;
    struct Case {
        const char* name;
        std::vector<std::string> args;
        ProcessSetup setup;
        std::string err;  // also on standard error
    };
    ProcessSetup full;
    full.out_file = "/dev/full";
    ProcessSetup gone_reader;
    gone_reader.close_out_after_line = true;
    const Case cases[] = {
        {"HelpToAFullDisk", {"help"}, full, ""},
        {"CheckToAFullDisk", {"check", sample}, full, ""},
        {"ListToAFullDisk", {"emulate_counter=112", "list"}, full, ""},
        {"UpdateToAFullDisk",
         {"emulate_counter=112", "yes", "skip_burning", sample},
         full,
         "Firmware sending... 100%"},
        // `| head -1`: the update still runs to its end, burn included.
        {"JsonReaderGoesAway",
         {"emulate_counter=112", "yes", "json", sample},
         gone_reader,
         "info: Firmware update completed successfully"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = run_process(binary, c.args, no_visa, {}, 60, c.setup);
        EXPECT_EQ(result.status, 9) << result.err;
        EXPECT_TRUE(
            contains(result.err, "error: Some of the program's output could not be written"))
            << result.err;
    }
}

// With standard output and error closed at start, a dump opened later must not receive the
// program's JSON lines or messages.
TEST(ConsoleSafety, ClosedStandardDescriptorsAreNotReused) {
    TempDir dir;
    const std::string firmware = dir.file("fw.hex");
    write_file(firmware, read_file(sample));
    ProcessSetup closed;
    closed.close_out = true;
    closed.close_err = true;
    const auto result = run_process(
        binary, {"emulate_counter=112", "yes", "skip_burning", "json", "dump_sending", firmware},
        no_visa, {}, 60, closed);
    EXPECT_EQ(result.status, 0);
    const std::string dump = read_file(dir.file("fw.sending"));
    ASSERT_FALSE(dump.empty());
    for (std::size_t at = 0; at < dump.size(); at = dump.find('\n', at) + 1) {
        ASSERT_EQ(dump.compare(at, 6, "TOTAL="), 0) << dump.substr(at, 80);
    }
}

TEST(ConsoleSafety, TheLogLivesInTheStateFolderNotTheCurrentOne) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("work"));
    ProcessSetup in_work;
    in_work.directory = dir.file("work");
    auto environment = no_visa;
    environment["XDG_STATE_HOME"] = dir.file("state");
    const auto result = run_process(binary, {"emulate_counter=112", "yes", "skip_burning", sample},
                                    environment, {}, 60, in_work);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("work")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("state/hx4x-update")));

    const std::string state = dir.file("state");
    const std::string home = dir.file("home");
    EXPECT_EQ(console_log_path(state.c_str(), home.c_str()),
              state + "/hx4x-update/hx4x-update.log");
    // A relative state folder is not one: the home folder's default is used.
    EXPECT_EQ(console_log_path("relative", home.c_str()),
              home + "/.local/state/hx4x-update/hx4x-update.log");
    EXPECT_EQ(console_log_path(nullptr, nullptr), "");
    EXPECT_EQ(console_log_path((dir.file("work/a-file")).c_str(), nullptr),
              dir.file("work/a-file") + "/hx4x-update/hx4x-update.log");
}

#ifdef HX4X_VISA_SIM_PATH

using testing_support::counter;
using testing_support::SimulatedBus;
using testing_support::usb_a;
using testing_support::usb_b;

using testing_support::last_index_of;

// Every stop signal cancels at the next safe point with the counter reset, and none can
// interrupt the burn.
TEST(ConsoleSafety, StopSignalsResetTheCounterAndSpareTheBurn) {
    const std::pair<const char*, int> signals[] = {
        {"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}, {"SIGQUIT", SIGQUIT}};
    for (const auto& [name, signal_number] : signals) {
        SCOPED_TRACE(name);
        const SimulatedBus sending_bus(counter(usb_a));
        const std::string firmware = sending_bus.file("big.hex");
        write_file(firmware, testing_support::firmware_hex_text("1.20", 48 * 1024));
        const int number = signal_number;
        const auto cancelled = run_process(
            binary, {"yes", firmware}, sending_bus.environment(), [number](const std::string& err) {
                return contains(err, "Firmware sending...") ? number : 0;
            });
        EXPECT_EQ(cancelled.status, 8) << cancelled.err;
        const auto writes = sending_bus.writes();
        const std::size_t last_data = last_index_of(writes, "SYST:FIRM:DATA");
        EXPECT_GT(last_data, 0u);
        EXPECT_GT(last_index_of(writes, ":ABOR; *rst; *PSC 0; *CLS"), last_data);
        EXPECT_EQ(last_index_of(writes, "FIRM:UPD"), 0u);

        const SimulatedBus burn_bus("timeouts real\n" + counter(usb_a, "    burn_ms 1500\n"));
        const auto burnt = run_process(binary, {"yes", sample}, burn_bus.environment(),
                                       [number](const std::string& err) {
                                           return contains(err, "Flash updating") ? number : 0;
                                       });
        EXPECT_EQ(burnt.status, 0) << burnt.err;
        EXPECT_TRUE(contains(burnt.err, "warning: Flash updating must not be interrupted"));
        EXPECT_TRUE(contains(burnt.out, "New firmware version is:\n\tV1.20"));
    }
}

// Mistakes that must never reach a counter: a refused file, a refused mask, an update
// nobody can confirm.
TEST(ConsoleSafety, NothingIsSentForAMistake) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string file_text;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"EmptyFile", {"yes"}, "", 2, "error: Error parsing file '"},
        {"BadChecksum", {"yes"}, ":0100000000FE\n:00000001FF\n", 2, "Checksum is wrong"},
        {"RefusedMask",
         {"yes", "mask=[USB"},
         read_file(sample),
         1,
         "error: The VISA library refused the instrument search expression:\n\t[USB\n"},
        // No terminal to ask on and no yes: the answer could only be No.
        {"NoWayToConfirm",
         {},
         read_file(sample),
         8,
         "error: The update needs confirmation and there is no terminal to ask"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SimulatedBus bus(counter(usb_a));
        const std::string firmware = bus.file("fw.hex");
        write_file(firmware, c.file_text);
        std::vector<std::string> args = c.args;
        args.push_back(firmware);
        const auto result = run_process(binary, args, bus.environment());
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_TRUE(contains(result.err, c.err)) << result.err;
        EXPECT_FALSE(contains(result.err, "No connected instruments found"));
        EXPECT_TRUE(bus.writes().empty());
    }
}

TEST(ConsoleSafety, CounterAddressesIgnoreCaseAndDeviceTextsAreShownSafely) {
    std::string lower = usb_b;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const SimulatedBus bus(counter(usb_a) + "resource " + usb_b +
                           "\n    idn VALDMORE,HX-40XL,100002,V1.10\x1b]0;owned\x07\n"
                           "    new_version V1.20\n");
    const auto result = run_process(binary, {"yes", "counter=" + lower, sample}, bus.environment());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_GT(last_index_of(bus.writes(), usb_b + " SYST:FIRM:UPD"), 0u);
    EXPECT_EQ(last_index_of(bus.writes(), usb_a + " SYST:FIRM"), 0u);
    EXPECT_TRUE(contains(result.err, "V1.10\\x1B]0;owned\\x07")) << result.err;
    EXPECT_FALSE(contains(result.err + result.out, "\x1b"));
}

#endif

}  // namespace
}  // namespace hx4x
