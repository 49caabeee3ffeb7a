#include "ui/update_history.hpp"

#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <string_view>

#include "AuxLib/Handle"
#include "AuxLib/json_object.hpp"
#include "AuxLib/system_error_text.hpp"
#include "app/version_info.hpp"
#include "instrument/resource_name.hpp"
#include "platform/file_access.hpp"
#include "platform/line_append.hpp"
#include "platform/module_path.hpp"
#include "platform/process_info.hpp"
#include "platform/system_error.hpp"
#include "platform/user_folders.hpp"
#include "ui/update_history_texts.hpp"

namespace hx4x {

namespace {

// The file as an absolute path: a record read months later must name the file whatever
// folder the program was started from. The path as given when it cannot be made absolute.
std::string absolute_path(const std::string& file) {
    if (file.empty()) {
        return file;
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    return error ? file : absolute.lexically_normal().string();
}

// The console's folder for its log as well: one place for what the programs keep.
constexpr const char* folder_name = "hx4x-update";
constexpr const char* file_name = "history.jsonl";

constexpr std::size_t read_chunk_size = std::size_t{64} << 10;

void set_reason(std::string* reason, std::string text) {
    if (reason != nullptr) {
        *reason = std::move(text);
    }
}

// The system's text for the last error, read before anything can overwrite it.
std::string with_system_text(const std::string& text) {
    return text + ": " + last_error_text();
}

struct ProgramIdentity {
    std::string name;
    std::string version;
};

const ProgramIdentity& program_identity() {
    static const ProgramIdentity identity = [] {
        VersionInfo record;
        if (!record.read(platform::module_path())) {
            return ProgramIdentity{};
        }
        return ProgramIdentity{record.string_value("InternalName"), record.file_version_text()};
    }();
    return identity;
}

std::int64_t stored_count(std::uint64_t value) {
    constexpr auto most = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    return static_cast<std::int64_t>(value < most ? value : most);
}

using Json = nlohmann::json;

std::string text_member(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return {};
    }
    return found->get_ref<const std::string&>();
}

std::uint64_t count_member(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number_unsigned()) {
        return 0;
    }
    return found->get<std::uint64_t>();
}

int status_member(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number_integer()) {
        return -1;
    }
    const auto value = found->get<std::int64_t>();
    return value >= 0 && value <= std::numeric_limits<int>::max() ? static_cast<int>(value) : -1;
}

bool flag_member(const Json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_boolean() && found->get<bool>();
}

HistoryRecord record_of(const Json& object) {
    HistoryRecord record;
    record.time = text_member(object, "time");
    record.host = text_member(object, "host");
    record.program = text_member(object, "program");
    record.program_version = text_member(object, "program_version");
    record.resource = text_member(object, "resource");
    record.manufacturer = text_member(object, "manufacturer");
    record.model = text_member(object, "model");
    record.serial_number = text_member(object, "serial_number");
    record.firmware_before = text_member(object, "firmware_before");
    record.firmware_after = text_member(object, "firmware_after");
    record.file = text_member(object, "file");
    record.file_size = count_member(object, "file_size");
    record.file_sha256 = text_member(object, "file_sha256");
    record.file_version = text_member(object, "file_version");
    record.step = text_member(object, "step");
    record.end = text_member(object, "end");
    record.burned = flag_member(object, "burned");
    record.exit_status = status_member(object, "exit_status");
    record.sending_seconds = count_member(object, "sending_seconds");
    record.burning_seconds = count_member(object, "burning_seconds");
    return record;
}

bool is_blank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// One finished line: its line end and, on the first line, a byte-order mark an editor may
// have put there are not part of it.
void add_entry(std::vector<HistoryEntry>& entries, std::string& line, bool too_long,
               std::size_t line_number) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (line_number == 1 && line.starts_with("\xEF\xBB\xBF")) {
        line.erase(0, 3);
    }
    if (!too_long && is_blank(line)) {
        return;
    }
    HistoryEntry entry;
    entry.line_number = line_number;
    if (!too_long) {
        // No exceptions: a damaged line is a result, and the reading goes on.
        const Json value = Json::parse(line, nullptr, false);
        if (!value.is_discarded() && value.is_object()) {
            entry.readable = true;
            entry.record = record_of(value);
        }
        entry.line = std::move(line);
    }
    entries.push_back(std::move(entry));
}

}  // namespace

HistoryStamp current_history_stamp() {
    const ProgramIdentity& program = program_identity();
    return HistoryStamp{platform::utc_time_text(), platform::host_name(), program.name,
                        program.version};
}

const char* step_word(UpdateStep step) {
    switch (step) {
        case UpdateStep::none:
            return "none";
        case UpdateStep::open:
            return "open";
        case UpdateStep::start_check:
            return "start_check";
        case UpdateStep::prepare:
            return "prepare";
        case UpdateStep::parse:
            return "parse";
        case UpdateStep::send:
            return "send";
        case UpdateStep::burn:
            return "burn";
        case UpdateStep::reconnect:
            return "reconnect";
        case UpdateStep::verify:
            return "verify";
        case UpdateStep::reset:
            return "reset";
    }
    return "none";
}

const char* end_word(StepEnd end) {
    switch (end) {
        case StepEnd::done:
            return "done";
        case StepEnd::declined:
            return "declined";
        case StepEnd::cancelled:
            return "cancelled";
        case StepEnd::failed:
            return "failed";
    }
    return "failed";
}

bool reached_preparation(const UpdateOutcome& outcome) {
    switch (outcome.step) {
        case UpdateStep::prepare:
        case UpdateStep::parse:
        case UpdateStep::send:
        case UpdateStep::burn:
        case UpdateStep::reconnect:
        case UpdateStep::verify:
            return true;
        case UpdateStep::none:
        case UpdateStep::open:
        case UpdateStep::start_check:
        case UpdateStep::reset:
            break;
    }
    return false;
}

HistoryRecord history_record(const UpdateOutcome& outcome, ExitStatus status,
                             const HistoryStamp& stamp) {
    HistoryRecord record;
    record.time = stamp.time;
    record.host = stamp.host;
    record.program = stamp.program;
    record.program_version = stamp.program_version;
    record.resource = outcome.before.resource_name;
    record.manufacturer = outcome.before.manufacturer;
    record.model = outcome.before.model;
    record.serial_number = outcome.before.serial_number;
    record.firmware_before = outcome.before.firmware_version;
    record.firmware_after = outcome.after.firmware_version;
    record.file = absolute_path(outcome.file);
    record.file_size = outcome.file_size;
    record.file_sha256 = outcome.file_sha256;
    record.file_version = outcome.file_version.known ? outcome.file_version.text : std::string();
    record.step = step_word(outcome.step);
    record.end = end_word(outcome.end);
    record.burned = outcome.burned;
    record.exit_status = exit_code(status);
    record.sending_seconds = outcome.send_seconds;
    record.burning_seconds = outcome.burn_seconds;
    return record;
}

HistoryRecord history_record(const UpdateOutcome& outcome, ExitStatus status) {
    return history_record(outcome, status, current_history_stamp());
}

std::string history_line(const HistoryRecord& record) {
    JsonObject object;
    object.add("event", "update");
    object.add_or_null("time", record.time);
    object.add_or_null("host", record.host);
    object.add_or_null("program", record.program);
    object.add_or_null("program_version", record.program_version);
    object.add_or_null("resource", record.resource);
    object.add_or_null("manufacturer", record.manufacturer);
    object.add_or_null("model", record.model);
    object.add_or_null("serial_number", record.serial_number);
    object.add_or_null("firmware_before", record.firmware_before);
    object.add_or_null("firmware_after", record.firmware_after);
    object.add_or_null("file", record.file);
    object.add_number("file_size", stored_count(record.file_size));
    object.add_or_null("file_sha256", record.file_sha256);
    object.add_or_null("file_version", record.file_version);
    object.add_or_null("step", record.step);
    object.add_or_null("end", record.end);
    object.add_bool("burned", record.burned);
    object.add_number("exit_status", record.exit_status);
    object.add_number("sending_seconds", stored_count(record.sending_seconds));
    object.add_number("burning_seconds", stored_count(record.burning_seconds));
    return object.text() + "\n";
}

std::string history_file() {
    const std::string folder = platform::user_state_folder(folder_name);
    return folder.empty() ? std::string() : platform::file_in_folder(folder, file_name);
}

bool append_history(const HistoryRecord& record, std::string* reason) {
    const std::string folder = platform::user_state_folder(folder_name);
    if (folder.empty()) {
        set_reason(reason, history_text::no_state_folder);
        return false;
    }
    if (!platform::make_folders(folder)) {
        set_reason(reason, with_system_text(history_text::folder_not_made + folder));
        return false;
    }
    return append_history_to(platform::file_in_folder(folder, file_name), record, reason);
}

bool append_history_to(const std::string& path, const HistoryRecord& record, std::string* reason) {
    switch (platform::append_in_one_write(path, history_line(record))) {
        case platform::AppendResult::appended:
            return true;
        case platform::AppendResult::not_opened:
            set_reason(reason, with_system_text(history_text::not_opened + path));
            break;
        case platform::AppendResult::not_a_file:
            set_reason(reason, history_text::not_a_file + path);
            break;
        case platform::AppendResult::not_written:
            set_reason(reason, with_system_text(history_text::not_written + path));
            break;
        case platform::AppendResult::cut_short:
            set_reason(reason, history_text::cut_short + path);
            break;
    }
    return false;
}

bool read_history(const std::string& path, std::vector<HistoryEntry>& entries, std::string* reason,
                  const HistoryLimits& limits) {
    entries.clear();
    const platform::PathAttributes attributes = platform::path_attributes(path);
    if (!attributes.exists) {
        return true;
    }
    if (attributes.directory) {
        set_reason(reason, history_text::not_a_file + path);
        return false;
    }
    platform::set_last_error(0);
    const FileHandle stream(platform::open_regular_file_for_reading(path));
    if (!stream) {
        // Something that is no regular file (a FIFO, a device) is refused without an error
        // of the system's.
        set_reason(reason, platform::last_error() == 0
                               ? history_text::not_a_file + path
                               : with_system_text(history_text::not_opened + path));
        return false;
    }
    std::vector<char> chunk(read_chunk_size);
    std::string line;
    bool too_long = false;
    std::size_t line_number = 1;
    std::uint64_t total = 0;
    std::size_t got = 0;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), stream.get())) != 0) {
        total += got;
        if (total > limits.file_bytes) {
            entries.clear();
            set_reason(reason, history_text::too_large + path + ", " +
                                   std::to_string(limits.file_bytes >> 20) +
                                   history_text::too_large_tail);
            return false;
        }
        for (std::string_view rest(chunk.data(), got); !rest.empty();) {
            const std::size_t end = rest.find('\n');
            const std::string_view piece = rest.substr(0, end);
            // A line beyond the limit is only counted to its end, never held: a damaged file
            // may be one line of many megabytes.
            if (!too_long && line.size() + piece.size() > limits.line_bytes) {
                too_long = true;
                line.clear();
                line.shrink_to_fit();
            }
            if (!too_long) {
                line.append(piece);
            }
            if (end == std::string_view::npos) {
                break;
            }
            add_entry(entries, line, too_long, line_number++);
            line.clear();
            too_long = false;
            rest.remove_prefix(end + 1);
        }
    }
    if (std::ferror(stream.get()) != 0) {
        entries.clear();
        set_reason(reason, with_system_text(history_text::not_read + path));
        return false;
    }
    // The last line may lack its line end (a write cut short, an editor).
    if (too_long || !line.empty()) {
        add_entry(entries, line, too_long, line_number);
    }
    return true;
}

bool history_matches(const HistoryRecord& record, const std::string& filter) {
    if (filter.empty()) {
        return true;
    }
    return same_resource_name(record.resource, filter) ||
           (!record.serial_number.empty() && record.serial_number == filter);
}

}  // namespace hx4x
