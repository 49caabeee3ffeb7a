#include "console/history_command.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "AuxLib/json_object.hpp"
#include "case_name.hpp"
#include "console_run_fixture.hpp"
#include "output_lines.hpp"
#include "ui/update_history.hpp"

namespace hx4x {
namespace {

using testing_support::CapturedStream;
using testing_support::CaseName;
using testing_support::lines_of;
using testing_support::TempDir;

HistoryRecord stored_record(const char* time, const char* resource, const char* serial,
                            const char* before, const char* after, const std::string& sha256,
                            const char* step, const char* end, int exit_status, std::uint64_t send,
                            std::uint64_t burn) {
    HistoryRecord record;
    record.time = time;
    record.host = "station-7";
    record.resource = resource;
    record.serial_number = serial;
    record.firmware_before = before;
    record.firmware_after = after;
    record.file = "/srv/fw/hx4x.hex";
    record.file_sha256 = sha256;
    record.step = step;
    record.end = end;
    record.burned = std::string(end) == "done";
    record.exit_status = exit_status;
    record.sending_seconds = send;
    record.burning_seconds = burn;
    return record;
}

const std::string usb_counter = "USB0::0x0AAD::0x00F1::123456::INSTR";

// Line 1: a done update; 2: damaged; 3: a failed one of another counter; 4: the first counter
// again, declined, its version holding what a terminal would act on.
const std::vector<std::string> stored_lines = {
    history_line(stored_record("2026-12-09T21:40:05Z", usb_counter.c_str(), "123456", "1.11",
                               "1.15", "3f2a9c0d1e4b" + std::string(52, '0'), "verify", "done", 0,
                               42, 18)),
    "{\"event\":\"upd\n",
    history_line(stored_record("2026-12-10T08:01:00Z", "GPIB0::5::INSTR", "654321", "1.07", "", "",
                               "send", "failed", 6, 3, 0)),
    history_line(stored_record("2026-12-11T10:00:00Z", usb_counter.c_str(), "123456",
                               "1.1\x1b[2J\xc2\x85", "", std::string(64, 'b'), "parse", "declined",
                               8, 0, 0)),
};

enum class Setup { prepared, missing, folder };

struct HistoryCase {
    const char* name;
    Setup setup;
    bool json;
    const char* filter;
    // "@N" stands for stored line N (from 1) as written out, "@P" for the history's path, "@J"
    // for it inside a JSON string.
    const char* out;
    const char* err;
    ExitStatus status;
};

constexpr const char* heading =
    "Time (UTC)            Serial  Before              After  Outcome            Exit  Send s  "
    "Burn s\n"
    "  Counter address, firmware file SHA-256\n";
constexpr const char* skipped_warning =
    "warning: Skipped 1 line(s) of the update history that hold no update record (the first is "
    "line 2): @P\n";

class HistoryCommand : public ::testing::TestWithParam<HistoryCase> {};

std::string expand(std::string text, const std::string& path) {
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at)) {
        std::string value = path;
        if (text[at + 1] == 'J') {
            value = json_string(path);
            value = value.substr(1, value.size() - 2);
        } else if (text[at + 1] != 'P') {
            // The stored line without its line end, a C1 control in it written as an escape.
            value = stored_lines[static_cast<std::size_t>(text[at + 1] - '1')];
            value.pop_back();
            for (std::size_t c1 = value.find("\xc2\x85"); c1 != std::string::npos;
                 c1 = value.find("\xc2\x85")) {
                value.replace(c1, 2, "\\u0085");
            }
        }
        text.replace(at, 2, value);
        at += value.size();
    }
    return text;
}

TEST_P(HistoryCommand, ShowsRecordedUpdates) {
    const HistoryCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("history.jsonl");
    if (c.setup == Setup::prepared) {
        std::string content;
        for (const std::string& line : stored_lines) {
            content += line;
        }
        testing_support::write_file(path, content);
    } else if (c.setup == Setup::folder) {
        std::filesystem::create_directory(path);
    }
    CapturedStream out;
    CapturedStream err;
    ConsoleOutput::Streams streams;
    streams.out = out.file();
    streams.err = err.file();
    ConsoleOutput output(streams, c.json);

    EXPECT_EQ(show_history_file(output, path, c.filter), c.status);
    EXPECT_EQ(out.text(), expand(c.out, path));
    EXPECT_EQ(err.text(), expand(c.err, path));
    if (c.json) {
        // What a script reads: one JSON object per line, the same objects as stored.
        for (const std::string& line : lines_of(out.text())) {
            EXPECT_FALSE(nlohmann::json::parse(line, nullptr, false).is_discarded()) << line;
        }
        if (c.setup == Setup::prepared && std::string(c.filter).empty()) {
            EXPECT_EQ(nlohmann::json::parse(lines_of(out.text())[2]),
                      nlohmann::json::parse(stored_lines[3]));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Histories, HistoryCommand,
    ::testing::Values(
        HistoryCase{
            "TableOfEveryUpdate", Setup::prepared, false, "",
            "Time (UTC)            Serial  Before              After  Outcome            "
            "Exit  Send s  Burn s\n"
            "  Counter address, firmware file SHA-256\n"
            "2026-12-09T21:40:05Z  123456  1.11                1.15   done                  "
            "0      42      18\n"
            "  USB0::0x0AAD::0x00F1::123456::INSTR  sha256 3f2a9c0d1e4b\n"
            "2026-12-10T08:01:00Z  654321  1.07                -      failed at send        "
            "6       3       0\n"
            "  GPIB0::5::INSTR  sha256 -\n"
            "2026-12-11T10:00:00Z  123456  1.1\\x1B[2J\\xC2\\x85  -      declined at parse     "
            "8       0       0\n"
            "  USB0::0x0AAD::0x00F1::123456::INSTR  sha256 bbbbbbbbbbbb\n",
            skipped_warning, ExitStatus::success},
        HistoryCase{
            "JsonLinesAsStored", Setup::prepared, true, "",
            "@1\n@3\n@4\n{\"event\":\"result\",\"entries\":3,\"result\":\"\",\"exit_status\":0}\n",
            skipped_warning, ExitStatus::success},
        HistoryCase{
            "JsonOfOneAddressInOtherCase", Setup::prepared, true,
            "usb0::0x0aad::0x00f1::123456::instr",
            "@1\n@4\n{\"event\":\"result\",\"entries\":2,\"result\":\"\",\"exit_status\":0}\n",
            skipped_warning, ExitStatus::success},
        HistoryCase{
            "TableOfOneSerialNumber", Setup::prepared, false, "654321",
            "Time (UTC)            Serial  Before  After  Outcome         Exit  Send s  "
            "Burn s\n"
            "  Counter address, firmware file SHA-256\n"
            "2026-12-10T08:01:00Z  654321  1.07    -      failed at send     6       3       0\n"
            "  GPIB0::5::INSTR  sha256 -\n",
            skipped_warning, ExitStatus::success},
        HistoryCase{"NoUpdateOfTheCounter", Setup::prepared, false, "999999",
                    "No updates recorded for the counter 999999\n", skipped_warning,
                    ExitStatus::success},
        HistoryCase{"MissingHistory", Setup::missing, false, "", "No updates recorded yet.\n", "",
                    ExitStatus::success},
        HistoryCase{"MissingHistoryAsJson", Setup::missing, true, "",
                    "{\"event\":\"result\",\"entries\":0,\"result\":\"No updates recorded "
                    "yet.\",\"exit_status\":0}\n",
                    "", ExitStatus::success},
        HistoryCase{"UnreadableHistory", Setup::folder, true, "",
                    "{\"event\":\"result\",\"entries\":0,\"result\":\"The update history is not a "
                    "regular file: @J\",\"exit_status\":10}\n",
                    "error: The update history is not a regular file: @P\n", history_unreadable}),
    CaseName());

}  // namespace
}  // namespace hx4x
