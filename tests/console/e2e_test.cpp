// The real hx4x-update binary, run as a script or an operator would run it.
#include <gtest/gtest.h>
#include <pty.h>

#include <csignal>

#include "console/console_texts.hpp"
#include "flat_json.hpp"
#include "hex_text.hpp"
#include "process_runner.hpp"
#include "sim_bus.hpp"
#include "temp_dir.hpp"

namespace hx4x {
namespace {

using testing_support::read_file;
using testing_support::run_process;
using testing_support::TempDir;
using testing_support::write_file;
#ifdef HX4X_VISA_SIM_PATH
using testing_support::counter;
using testing_support::SimulatedBus;
using testing_support::usb_a;
using testing_support::usb_b;
#endif

const std::string binary = HX4X_UPDATE_BINARY;
const std::string sample = HX4X_SAMPLE_FIRMWARE;

// Without the simulated library no VISA library is found.
const std::map<std::string, std::string> no_visa = {
    {"HX4X_VISA_LIBRARY", "/nonexistent/libvisa.so"}};

TEST(ConsoleEndToEnd, EmulatedUpdateAsJsonLines) {
    const auto result =
        run_process(binary, {"emulate_counter=112", "yes", "json", sample}, no_visa);
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string last = result.out.substr(result.out.rfind('\n', result.out.size() - 2) + 1);
    const auto object = testing_support::FlatJson::parse(last.substr(0, last.size() - 1));
    ASSERT_TRUE(object.has_value()) << last;
    EXPECT_EQ(object->at("event").text, "result");
    EXPECT_EQ(object->at("file_version").text, "1.20");
    EXPECT_EQ(object->at("exit_status").text, "0");
    EXPECT_EQ(object->at("burning_seconds").text, "2");
}

TEST(ConsoleEndToEnd, QuickStatusesWithoutAnUpdate) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"yes=1"}, 1, "Command line parsing error:\n"},
        {{"list"}, 3, "error: VISA Runtime is not installed\n"},
        {{"yes", sample}, 3, "error: VISA Runtime is not installed\n"},
        {{"emulate_counter=112", "yes", "missing.hex"},
         2,
         "error: Firmware file doesn't exist:\nmissing.hex\n"},
        {{"check", sample}, 0, ""},
    };
    for (const Case& c : cases) {
        const auto result = run_process(binary, c.args, no_visa);
        EXPECT_EQ(result.status, c.status) << c.args.front() << "\n" << result.err;
        EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    }
}

#ifdef HX4X_VISA_SIM_PATH

TEST(ConsoleEndToEnd, SeveralCountersAreRefusedAndListed) {
    const SimulatedBus bus(counter(usb_a) + counter(usb_b));
    const auto refused = run_process(binary, {"yes", sample}, bus.environment());
    EXPECT_EQ(refused.status, 4);
    EXPECT_EQ(refused.err, std::string("error: ") + console_text::several_counters_head + "\t" +
                               usb_a + "\n\t" + usb_b + "\n");
    for (const std::string& line : bus.writes()) {
        EXPECT_EQ(line.find("FIRM"), std::string::npos) << "nothing prepared: " << line;
    }

    const auto listed = run_process(binary, {"list"}, bus.environment());
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, usb_a + "\n" + usb_b + "\n");
    const auto as_json = run_process(binary, {"list", "json"}, bus.environment());
    EXPECT_EQ(as_json.out, "{\"event\":\"instrument\",\"resource\":\"" + usb_a +
                               "\"}\n{\"event\":\"instrument\",\"resource\":\"" + usb_b +
                               "\"}\n{\"event\":\"result\",\"instruments\":2,\"result\":\"\","
                               "\"exit_status\":0}\n");
}

TEST(ConsoleEndToEnd, FaultsOfTheSimulatedCounterGiveTheirStatuses) {
    struct Case {
        std::string extra;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"fail viOpen 1 VI_ERROR_RSRC_BUSY\n", 4, "error: Can't open the counter"},
        {"fail viWrite 2 VI_ERROR_IO\n", 5,
         "error: Communication error occurred during preparation"},
    };
    for (const Case& c : cases) {
        const SimulatedBus bus(c.extra + counter(usb_a));
        const auto result =
            run_process(binary, {"yes", "counter=" + usb_a, sample}, bus.environment());
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    }
}

TEST(ConsoleEndToEnd, InterruptDuringSendingResetsTheCounterAndExits8) {
    const SimulatedBus bus(counter(usb_a));
    const std::string firmware = bus.file("big.hex");
    write_file(firmware, testing_support::firmware_hex_text("1.20", 48 * 1024));
    const auto result =
        run_process(binary, {"yes", firmware}, bus.environment(), [](const std::string& err) {
            return err.find("Firmware sending...") != std::string::npos ? SIGINT : 0;
        });
    EXPECT_EQ(result.status, 8) << result.err;
    EXPECT_NE(result.err.find("warning: Operation canceled by user\n"), std::string::npos);
    const auto writes = bus.writes();
    ASSERT_FALSE(writes.empty());
    std::size_t last_data = 0;
    std::size_t last_reset = 0;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (writes[i].find("SYST:FIRM:DATA") != std::string::npos) {
            last_data = i;
        }
        if (writes[i].find(":ABOR; *rst; *PSC 0; *CLS") != std::string::npos) {
            last_reset = i;
        }
        EXPECT_EQ(writes[i].find("FIRM:UPD"), std::string::npos) << "never burnt";
    }
    EXPECT_GT(last_data, 0u);
    EXPECT_GT(last_reset, last_data);
}

TEST(ConsoleEndToEnd, InterruptDuringTheBurnIsRefused) {
    const SimulatedBus bus("timeouts real\n" + counter(usb_a, "    burn_ms 1500\n"));
    const auto result =
        run_process(binary, {"yes", sample}, bus.environment(), [](const std::string& err) {
            return err.find("Flash updating") != std::string::npos ? SIGINT : 0;
        });
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find(std::string("warning: ") + console_text::burn_interrupt_refused),
              std::string::npos);
    EXPECT_NE(result.out.find("New firmware version is:\n\tV1.20"), std::string::npos);
}

// Runs the program on a pseudo-terminal, answering the confirmation with answer; with an
// err_file, standard error goes there instead (`2>err.log`).
std::string run_on_terminal(const SimulatedBus& bus, const std::string& answer, int& status,
                            const std::string& err_file = {}) {
    int master = -1;
    winsize size{};
    size.ws_col = 120;
    size.ws_row = 40;
    const pid_t child = forkpty(&master, nullptr, nullptr, &size);
    if (child == 0) {
        for (const auto& [name, value] : bus.environment()) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        if (!err_file.empty()) {
            const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(err, 2);
            close(err);
        }
        execl(binary.c_str(), binary.c_str(), sample.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string seen;
    bool answered = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd fd{master, POLLIN, 0};
        if (poll(&fd, 1, 100) <= 0) {
            continue;
        }
        char buffer[1024];
        const ssize_t got = read(master, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        seen.append(buffer, static_cast<std::size_t>(got));
        if (!answered && seen.find(console_text::confirm_prompt) != std::string::npos) {
            answered = true;
            const std::string line = answer + "\n";
            EXPECT_EQ(write(master, line.data(), line.size()), static_cast<ssize_t>(line.size()));
        }
    }
    int wait_status = 0;
    waitpid(child, &wait_status, 0);
    close(master);
    status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    return seen;
}

TEST(ConsoleEndToEnd, OnATerminalTheOperatorAnswersAndTheLineIsRedrawn) {
    const SimulatedBus bus(counter(usb_a));
    int status = -1;
    const std::string declined = run_on_terminal(bus, "", status);
    EXPECT_EQ(status, 8) << declined;
    EXPECT_NE(declined.find("Continue with firmware update?\r\nContinue? [y/N] "),
              std::string::npos)
        << declined;

    // With standard error in a file the operator still sees what is asked.
    const std::string err_file = bus.file("err.log");
    const std::string redirected = run_on_terminal(bus, "", status, err_file);
    EXPECT_EQ(status, 8) << redirected;
    EXPECT_NE(redirected.find("Continue with firmware update?\r\nContinue? [y/N] "),
              std::string::npos)
        << redirected;
    EXPECT_EQ(read_file(err_file).find("Continue? [y/N]"), std::string::npos);

    const std::string accepted = run_on_terminal(bus, "y", status);
    EXPECT_EQ(status, 0) << accepted;
    // Progress is drawn over itself: back to the line start, new text, erase the rest.
    EXPECT_NE(accepted.find("\rPreparing counter... [...................."), std::string::npos);
    EXPECT_NE(accepted.find("\rFirmware sending... [####################] 100%  302/302 records"),
              std::string::npos)
        << accepted;
    EXPECT_NE(accepted.find("\x1b[K"), std::string::npos);
    EXPECT_EQ(accepted.find("0/0 records"), std::string::npos)
        << "no line before the range is known";
    EXPECT_NE(accepted.find("\rFlash updating (DO NOT INTERRUPT!)... ["), std::string::npos);
    EXPECT_NE(accepted.find("Firmware update completed successfully"), std::string::npos);
}

#endif

}  // namespace
}  // namespace hx4x
