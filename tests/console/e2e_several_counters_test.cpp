// The real hx4x-update binary updating several counters in one run against the simulated bus:
// four USB counters and two behind one GPIB board, the results and the update history, an
// interrupt in the middle, and every JSON line read back by a JSON parser.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
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
using testing_support::lines_of;
using testing_support::read_file;
using testing_support::run_process;
using testing_support::SimulatedBus;
using testing_support::write_file;
using Json = nlohmann::json;

const std::string binary = HX4X_UPDATE_BINARY;
const std::string reset = ":ABOR; *rst; *PSC 0; *CLS";
// The sample firmware's SHA-256, as sha256sum gives it.
const std::string sample_sha256 =
    "a408a276d93a2ee57e6010f6aa21cf8f335acb95184d04ca583cf55e77abedbb";

std::string usb(int n) {
    return "USB0::0x5D3C::0x0090::10000" + std::to_string(n) + "::INSTR";
}

// A counter behind GPIB board 0 at this address; serial number 2000 + address.
std::string gpib_counter(int address, const std::string& extra = {}) {
    return "resource GPIB0::" + std::to_string(address) + "::INSTR\n    idn VALDMORE,HX-40XL,2000" +
           std::to_string(address) + ",V1.10\n    new_version V1.20\n" + extra;
}

std::string six_counters() {
    std::string counters;
    for (int n = 1; n <= 4; ++n) {
        counters += counter(usb(n));
    }
    // The second block is refused on every try: this counter fails in the middle of sending.
    return counters + gpib_counter(12) + gpib_counter(13, "    reject_block 2 3\n");
}

// The bus's writes to one counter, without the counter's name.
std::vector<std::string> writes_to(const SimulatedBus& bus, const std::string& resource) {
    std::vector<std::string> writes;
    const std::string head = "viWrite " + resource + " ";
    for (const std::string& line : bus.writes()) {
        if (line.rfind(head, 0) == 0) {
            writes.push_back(line.substr(head.size()));
        }
    }
    return writes;
}

bool any_starts_with(const std::vector<std::string>& lines, const std::string& head) {
    return std::any_of(lines.begin(), lines.end(),
                       [&head](const std::string& line) { return line.rfind(head, 0) == 0; });
}

// Whether no reset reached the counter from its burn order until it answered again.
bool no_reset_while_flashing(const std::vector<std::string>& writes) {
    const auto order = std::find_if(writes.begin(), writes.end(), [](const std::string& w) {
        return w.rfind("SYST:FIRM:UPD", 0) == 0;
    });
    const auto answered = std::find_if(
        order, writes.end(), [](const std::string& w) { return w.rfind(":ABOR; *IDN?", 0) == 0; });
    return std::find_if(order, answered,
                        [](const std::string& w) { return w.rfind(reset, 0) == 0; }) == answered;
}

std::vector<Json> json_lines(const std::string& text) {
    std::vector<Json> objects;
    for (const std::string& line : lines_of(text)) {
        objects.push_back(Json::parse(line, nullptr, false));
    }
    return objects;
}

struct ProgramRun {
    testing_support::ProcessResult result;
    std::vector<Json> out;      // the JSON lines, parsed
    std::vector<Json> history;  // the update history's lines, parsed
};

ProgramRun run_on(const SimulatedBus& bus, std::vector<std::string> args,
           const std::function<int(const std::string&)>& on_err = {}) {
    std::map<std::string, std::string> environment = bus.environment();
    environment["XDG_STATE_HOME"] = bus.file("state");
    ProgramRun run;
    run.result = run_process(binary, args, environment, on_err, 150);
    run.out = json_lines(run.result.out);
    const std::string history = bus.file("state/hx4x-update/history.jsonl");
    if (std::filesystem::exists(history)) {
        run.history = json_lines(read_file(history));
    }
    return run;
}

TEST(SeveralCounters, EachCounterIsUpdatedOnItsOwn) {
    struct Case {
        const char* name;
        std::string counters;  // the value of counter=
        int status;
        std::vector<std::string> updated;  // succeed, in the order of the results
        std::vector<std::string> failed;   // fail while sending, with their reset
    };
    const std::string g12 = "GPIB0::12::INSTR";
    const std::string g13 = "GPIB0::13::INSTR";
    const Case cases[] = {
        {"AllSixOneFailingMidTransfer", "all", 6, {usb(1), usb(2), usb(3), usb(4), g12}, {g13}},
        {"TwoNamedInOtherCase",
         "usb0::0x5d3c::0x0090::100002::instr, " + g12,
         0,
         {usb(2), g12},
         {}},
        {"OneNameNotFound", usb(1) + ",GPIB0::99::INSTR", 4, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SimulatedBus bus(six_counters());
        const std::string firmware = bus.file("fw.hex");
        write_file(firmware, read_file(HX4X_SAMPLE_FIRMWARE));
        const ProgramRun run =
            run_on(bus, {"counter=" + c.counters, "yes", "json", "dump_sending", firmware});
        EXPECT_EQ(run.result.status, c.status) << run.result.err;

        // Every line is JSON; every event of a counter (all from the confirmation on) names
        // it; the summary comes last.
        std::vector<Json> results;
        bool confirmed = false;
        for (const Json& object : run.out) {
            ASSERT_TRUE(object.is_object()) << run.result.out;
            const std::string event = object.value("event", "");
            confirmed = confirmed || event == "question";
            if (event == "step" || event == "progress" || (confirmed && event == "message")) {
                EXPECT_TRUE(object.contains("resource")) << object.dump();
            }
            if (event == "result") {
                results.push_back(object);
            }
        }
        ASSERT_FALSE(run.out.empty());
        const std::size_t counted = c.updated.size() + c.failed.size();
        if (counted == 0) {
            // Refused before any counter heard anything: one result, nothing prepared.
            EXPECT_EQ(run.out.back().value("exit_status", -1), c.status);
            EXPECT_FALSE(any_starts_with(bus.writes(), "viWrite " + usb(1) + " :SYST"));
            EXPECT_TRUE(run.history.empty());
            continue;
        }
        const Json& summary = run.out.back();
        EXPECT_EQ(summary.value("event", ""), "summary");
        EXPECT_EQ(summary.value("counters", 0), static_cast<int>(counted));
        EXPECT_EQ(summary.value("succeeded", 0), static_cast<int>(c.updated.size()));
        EXPECT_EQ(summary.value("exit_status", -1), c.status);
        ASSERT_EQ(results.size(), counted);

        std::map<std::string, Json> by_counter;
        for (const Json& result : results) {
            by_counter[result.value("resource", "")] = result;
            EXPECT_EQ(result.value("file_sha256", ""), sample_sha256);
        }
        for (const std::string& resource : c.updated) {
            SCOPED_TRACE(resource);
            EXPECT_EQ(by_counter[resource].value("exit_status", -1), 0);
            EXPECT_EQ(by_counter[resource].value("firmware_after", ""), "V1.20");
            const auto writes = writes_to(bus, resource);
            EXPECT_TRUE(any_starts_with(writes, "SYST:FIRM:UPD"));
            EXPECT_TRUE(no_reset_while_flashing(writes));
        }
        for (const std::string& resource : c.failed) {
            SCOPED_TRACE(resource);
            EXPECT_EQ(by_counter[resource].value("exit_status", -1), 6);
            const auto writes = writes_to(bus, resource);
            EXPECT_FALSE(any_starts_with(writes, "SYST:FIRM:UPD"));
            ASSERT_FALSE(writes.empty());
            EXPECT_EQ(writes.back().rfind(reset, 0), 0u) << writes.back();
        }
        // Counters not named hear nothing but the search.
        for (int n = 1; n <= 4; ++n) {
            if (by_counter.count(usb(n)) == 0) {
                EXPECT_TRUE(writes_to(bus, usb(n)).empty()) << usb(n);
            }
        }
        // Counters behind one board never send at the same time.
        std::string gpib_order;
        for (const std::string& line : bus.writes()) {
            if (contains(line, "SYST:FIRM:DATA") && line.rfind("viWrite GPIB0::1", 0) == 0) {
                gpib_order += line[17];
            }
        }
        gpib_order.erase(std::unique(gpib_order.begin(), gpib_order.end()), gpib_order.end());
        EXPECT_LE(gpib_order.size(), 2u) << gpib_order;

        // One dump per counter, named by its serial number; one history line per counter.
        for (const std::string& resource : c.updated) {
            const std::string serial = by_counter[resource].value("serial_number", "");
            EXPECT_TRUE(std::filesystem::exists(bus.file("fw-" + serial + ".sending"))) << serial;
        }
        ASSERT_EQ(run.history.size(), counted);
        for (const Json& line : run.history) {
            const std::string resource = line.value("resource", "");
            SCOPED_TRACE(resource);
            EXPECT_EQ(line.value("file_sha256", ""), sample_sha256);
            EXPECT_EQ(line.value("file", ""), std::filesystem::path(firmware).string());
            EXPECT_EQ(line.value("exit_status", -1), by_counter[resource].value("exit_status", -2));
            EXPECT_EQ(line.value("serial_number", ""),
                      by_counter[resource].value("serial_number", "?"));
            EXPECT_EQ(line.value("program", ""), "hx4x-update");
        }
    }
}

// Ctrl-C while the counters send: each stops at its next safe point and is reset, a burn
// already ordered runs to its end, and the run's status is the cancel's.
TEST(SeveralCounters, AnInterruptCancelsEachWithItsReset) {
    std::string counters;
    for (int n = 1; n <= 4; ++n) {
        counters += counter(usb(n));
    }
    const SimulatedBus bus(counters + gpib_counter(12) + gpib_counter(13));
    const std::string firmware = bus.file("big.hex");
    write_file(firmware, testing_support::firmware_hex_text("1.20", 48 * 1024));
    const ProgramRun run = run_on(bus, {"counter=all", "yes", firmware}, [](const std::string& shown) {
        return contains(shown, "Firmware sending...") ? SIGINT : 0;
    });
    EXPECT_EQ(run.result.status, 8) << run.result.err;
    EXPECT_TRUE(contains(run.result.err, "warning: Interrupted: each counter stops"))
        << run.result.err;
    int cancelled = 0;
    for (const std::string& resource :
         {usb(1), usb(2), usb(3), usb(4), std::string("GPIB0::12::INSTR"),
          std::string("GPIB0::13::INSTR")}) {
        SCOPED_TRACE(resource);
        const auto writes = writes_to(bus, resource);
        ASSERT_FALSE(writes.empty());
        EXPECT_TRUE(no_reset_while_flashing(writes));
        if (!any_starts_with(writes, "SYST:FIRM:UPD")) {
            ++cancelled;
            EXPECT_EQ(writes.back().rfind(reset, 0), 0u) << writes.back();
        }
    }
    EXPECT_GT(cancelled, 0);
    // The table names every counter, the cancelled ones as such.
    EXPECT_TRUE(contains(run.result.out, "cancelled at ")) << run.result.out;
    EXPECT_EQ(lines_of(run.result.out).size(), 7u) << run.result.out;
}

#endif

}  // namespace
}  // namespace hx4x
