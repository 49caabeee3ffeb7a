#include "ui/update_history.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "case_name.hpp"
#include "environment.hpp"
#include "temp_dir.hpp"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace hx4x {
namespace {

using nlohmann::json;
using testing_support::CaseName;
using testing_support::read_file;
using testing_support::ScopedEnvironment;
using testing_support::TempDir;
using testing_support::write_file;

const HistoryStamp fixed_stamp{"2026-12-09T21:40:05Z", "station-7", "hx4x-update", "3.0.7"};

UpdateOutcome sent_outcome() {
    UpdateOutcome outcome;
    outcome.step = UpdateStep::verify;
    outcome.end = StepEnd::done;
    outcome.before = {
        "USB0::0x0AAD::0x00F1::123456::INSTR", "Valdmore", "HX-42", "123456", "1.11", 111};
    outcome.after = outcome.before;
    outcome.after.firmware_version = "1.15";
    outcome.file = "/srv/fw/hx4x 1.15.hex";
    outcome.file_size = 123456789;
    outcome.file_sha256 = std::string(64, 'a');
    outcome.file_version = {true, "1.15"};
    outcome.burned = true;
    outcome.send_seconds = 42;
    outcome.burn_seconds = 18;
    return outcome;
}

// Every member of the outcome reaches the line under its own key, texts a counter may send
// (control characters, bytes that are no UTF-8) included, and the line reads back as the
// same record.
TEST(UpdateHistoryTest, RecordLineHoldsEveryFieldAndReadsBack) {
    UpdateOutcome outcome = sent_outcome();
    outcome.before.model = "HX\x1b[2J-42\n\"x\"\xc2\x85";
    outcome.before.serial_number = "12\xff\xfe";
    outcome.after.firmware_version.clear();
    const HistoryRecord record = history_record(outcome, ExitStatus::success, fixed_stamp);
    const std::string line = history_line(record);

    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    const json parsed = json::parse(line, nullptr, false);
    ASSERT_TRUE(parsed.is_object()) << line;
    const json expected = {
        {"event", "update"},
        {"time", "2026-12-09T21:40:05Z"},
        {"host", "station-7"},
        {"program", "hx4x-update"},
        {"program_version", "3.0.7"},
        {"resource", "USB0::0x0AAD::0x00F1::123456::INSTR"},
        {"manufacturer", "Valdmore"},
        {"model", "HX\x1b[2J-42\n\"x\"\xc2\x85"},
        {"serial_number", "12\xc3\xbf\xc3\xbe"},  // each stray byte as its Latin-1 character
        {"firmware_before", "1.11"},
        {"firmware_after", nullptr},
        // As an absolute path, which on Windows carries the drive.
        {"file", std::filesystem::absolute("/srv/fw/hx4x 1.15.hex").lexically_normal().string()},
        {"file_size", 123456789},
        {"file_sha256", std::string(64, 'a')},
        {"file_version", "1.15"},
        {"step", "verify"},
        {"end", "done"},
        {"burned", true},
        {"exit_status", 0},
        {"sending_seconds", 42},
        {"burning_seconds", 18},
    };
    EXPECT_EQ(parsed, expected) << parsed.dump();

    // Written and read back: the same record, the serial number in its stored form.
    TempDir dir;
    const std::string path = dir.file("history.jsonl");
    std::string reason;
    ASSERT_TRUE(append_history_to(path, record, &reason)) << reason;
    std::vector<HistoryEntry> entries;
    ASSERT_TRUE(read_history(path, entries, &reason)) << reason;
    ASSERT_EQ(entries.size(), 1U);
    EXPECT_TRUE(entries[0].readable);
    EXPECT_EQ(entries[0].line + "\n", line);
    HistoryRecord stored = record;
    stored.serial_number = "12\xc3\xbf\xc3\xbe";
    EXPECT_EQ(entries[0].record, stored);
}

struct PreparationCase {
    const char* name;
    UpdateStep step;
    bool recorded;
};

class ReachedPreparation : public ::testing::TestWithParam<PreparationCase> {};

TEST_P(ReachedPreparation, OnlyRunsThatPreparedTheCounterAreRecorded) {
    UpdateOutcome outcome;
    outcome.step = GetParam().step;
    for (const StepEnd end : {StepEnd::done, StepEnd::failed, StepEnd::cancelled}) {
        outcome.end = end;
        EXPECT_EQ(reached_preparation(outcome), GetParam().recorded) << end_word(end);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, ReachedPreparation,
    ::testing::Values(PreparationCase{"None", UpdateStep::none, false},
                      PreparationCase{"Open", UpdateStep::open, false},
                      PreparationCase{"StartCheck", UpdateStep::start_check, false},
                      PreparationCase{"Prepare", UpdateStep::prepare, true},
                      PreparationCase{"Parse", UpdateStep::parse, true},
                      PreparationCase{"Send", UpdateStep::send, true},
                      PreparationCase{"Burn", UpdateStep::burn, true},
                      PreparationCase{"Reconnect", UpdateStep::reconnect, true},
                      PreparationCase{"Verify", UpdateStep::verify, true},
                      PreparationCase{"ResetAlone", UpdateStep::reset, false}),
    CaseName());

// Writers that share the file never cut into each other's lines: every line is whole and
// every record is there once. Long lines make a torn write likely if appends were not whole.
TEST(UpdateHistoryTest, AppendsFromSeveralWritersStayWholeLines) {
    TempDir dir;
    const std::string path = dir.file("history.jsonl");
    constexpr int writers = 4;
    constexpr int records_each = 150;
    std::vector<std::thread> threads;
    std::vector<int> failures(writers, 0);
    for (int writer = 0; writer < writers; ++writer) {
        threads.emplace_back([&, writer] {
            UpdateOutcome outcome = sent_outcome();
            outcome.file = std::string(4000, static_cast<char>('a' + writer));
            for (int i = 0; i < records_each; ++i) {
                HistoryStamp stamp = fixed_stamp;
                stamp.host = "writer-" + std::to_string(writer) + "-" + std::to_string(i);
                if (!append_history_to(path, history_record(outcome, ExitStatus::success, stamp))) {
                    ++failures[static_cast<std::size_t>(writer)];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<int>(writers, 0));

    std::vector<HistoryEntry> entries;
    std::string reason;
    ASSERT_TRUE(read_history(path, entries, &reason)) << reason;
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(writers * records_each));
    std::map<std::string, int> seen;
    for (const HistoryEntry& entry : entries) {
        ASSERT_TRUE(entry.readable) << "line " << entry.line_number;
        const char writer_letter = static_cast<char>('a' + (entry.record.host[7] - '0'));
        // Recorded as an absolute path, the name whole.
        EXPECT_TRUE(entry.record.file.ends_with(std::string(4000, writer_letter)));
        ++seen[entry.record.host];
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(writers * records_each));
}

const std::string good_line =
    history_line(history_record(sent_outcome(), ExitStatus::success, fixed_stamp));

enum class Setup { file, no_file, folder };

struct ReadCase {
    const char* name;
    Setup setup;
    std::string content;
    std::uint64_t file_limit;
    bool read;
    std::vector<std::size_t> readable_lines;
    std::vector<std::size_t> unreadable_lines;
};

class ReadHistory : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadHistory, KeepsDamagedLinesAndRefusesWhatCannotBeRead) {
    const ReadCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("history.jsonl");
    if (c.setup == Setup::file) {
        write_file(path, c.content);
    } else if (c.setup == Setup::folder) {
        std::filesystem::create_directory(path);
    }
    HistoryLimits limits;
    limits.file_bytes = c.file_limit;
    std::vector<HistoryEntry> entries(3);
    std::string reason;
    EXPECT_EQ(read_history(path, entries, &reason, limits), c.read);
    EXPECT_EQ(reason.empty(), c.read) << reason;
    std::vector<std::size_t> readable;
    std::vector<std::size_t> unreadable;
    for (const HistoryEntry& entry : entries) {
        (entry.readable ? readable : unreadable).push_back(entry.line_number);
        if (entry.readable) {
            EXPECT_EQ(entry.line + "\n", good_line);
            EXPECT_EQ(entry.record.serial_number, "123456");
        }
    }
    EXPECT_EQ(readable, c.readable_lines);
    EXPECT_EQ(unreadable, c.unreadable_lines);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadHistory,
    ::testing::Values(
        ReadCase{"DamagedLinesAreKeptAsUnreadable",
                 Setup::file,
                 good_line + "{\"event\":\"upd\n" + good_line + "{\"file\":\"" +
                     std::string(70000, 'x') + "\"}\n" + "[1,2]\n" + " \t\n" +
                     "{\"a\":\"\xff\"}\n" + good_line.substr(0, 60) + "\n" +
                     good_line.substr(0, good_line.size() - 1),
                 1U << 20,
                 true,
                 {1, 3, 9},
                 {2, 4, 5, 7, 8}},
        ReadCase{"CrLfAndByteOrderMark",
                 Setup::file,
                 "\xEF\xBB\xBF" + good_line.substr(0, good_line.size() - 1) + "\r\n" + good_line,
                 1U << 20,
                 true,
                 {1, 2},
                 {}},
        ReadCase{"DeepNestingIsUnreadableNotACrash",
                 Setup::file,
                 std::string(60000, '[') + "\n" + std::string(30000, '{') + "\n" + good_line,
                 1U << 20,
                 true,
                 {3},
                 {1, 2}},
        ReadCase{"OverlongLastLineWithoutLineEnd",
                 Setup::file,
                 good_line + std::string(200000, '{'),
                 1U << 20,
                 true,
                 {1},
                 {2}},
        ReadCase{"MissingFileIsAnEmptyHistory", Setup::no_file, "", 1U << 20, true, {}, {}},
        ReadCase{"EmptyFile", Setup::file, "", 1U << 20, true, {}, {}},
        ReadCase{"FileBeyondTheLimitIsRefused",
                 Setup::file,
                 good_line + good_line + good_line,
                 1000,
                 false,
                 {},
                 {}},
        ReadCase{"FolderIsRefused", Setup::folder, "", 1U << 20, false, {}, {}}),
    CaseName());

struct FilterCase {
    const char* name;
    const char* filter;
    bool matches;
};

class HistoryFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(HistoryFilter, ByAddressInAnyCaseOrExactSerialNumber) {
    HistoryRecord record;
    record.resource = "USB0::0x0AAD::0x00F1::AB1234::INSTR";
    record.serial_number = "AB1234";
    EXPECT_EQ(history_matches(record, GetParam().filter), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, HistoryFilter,
    ::testing::Values(FilterCase{"NoFilter", "", true},
                      FilterCase{"Address", "USB0::0x0AAD::0x00F1::AB1234::INSTR", true},
                      FilterCase{"AddressOtherCase", "usb0::0x0aad::0x00f1::ab1234::instr", true},
                      FilterCase{"AddressPrefix", "USB0::0x0AAD::0x00F1::AB1234", false},
                      FilterCase{"Serial", "AB1234", true},
                      FilterCase{"SerialOtherCase", "ab1234", false},
                      FilterCase{"SerialPrefix", "AB123", false}),
    CaseName());

// The folder is made by the first record, never by finding or reading the file; it and the
// file are the user's alone.
TEST(UpdateHistoryTest, StateFolderIsMadeOnlyByWriting) {
    TempDir dir;
    const std::string base = (dir.path() / "state").string();
#ifdef _WIN32
    std::filesystem::create_directory(base);
    ScopedEnvironment state("LOCALAPPDATA", base);
#else
    ScopedEnvironment state("XDG_STATE_HOME", base);
#endif
    const std::string path = history_file();
    ASSERT_FALSE(path.empty());
    const std::string folder = (std::filesystem::path(base) / "hx4x-update").string();
    EXPECT_EQ(std::filesystem::path(path), std::filesystem::path(folder) / "history.jsonl");
    std::vector<HistoryEntry> entries;
    EXPECT_TRUE(read_history(path, entries));
    EXPECT_FALSE(std::filesystem::exists(folder));

    const HistoryStamp stamp = current_history_stamp();
    EXPECT_EQ(stamp.time.size(), 20U) << stamp.time;
    EXPECT_EQ(stamp.time.substr(4, 1) + stamp.time.substr(10, 1) + stamp.time.substr(19), "-TZ");
    EXPECT_FALSE(stamp.host.empty());

    std::string reason;
    ASSERT_TRUE(append_history(history_record(sent_outcome(), ExitStatus::success, stamp), &reason))
        << reason;
    ASSERT_TRUE(append_history(history_record(sent_outcome(), ExitStatus::sending, stamp), &reason))
        << reason;
    ASSERT_TRUE(read_history(path, entries, &reason)) << reason;
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_EQ(entries[1].record.exit_status, 6);
#ifndef _WIN32
    struct stat status {};
    ASSERT_EQ(stat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700U);
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600U);
#endif
}

}  // namespace
}  // namespace hx4x
