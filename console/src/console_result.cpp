#include "console/console_result.hpp"

namespace hx4x {

namespace {

void add_text_or_null(JsonObject& object, std::string_view key, const std::string& value) {
    if (value.empty()) {
        object.add_null(key);
    } else {
        object.add(key, value);
    }
}

}  // namespace

JsonObject result_object(const UpdateOutcome& outcome, const std::string& resource,
                         const std::string& result_text, ExitStatus status) {
    const CounterIdentity& before = outcome.before;
    JsonObject object;
    object.add("event", "result");
    add_text_or_null(object, "resource",
                     before.resource_name.empty() ? resource : before.resource_name);
    add_text_or_null(object, "manufacturer", before.manufacturer);
    add_text_or_null(object, "model", before.model);
    add_text_or_null(object, "serial_number", before.serial_number);
    add_text_or_null(object, "firmware_before", before.firmware_version);
    add_text_or_null(object, "firmware_after", outcome.after.firmware_version);
    add_text_or_null(object, "file", outcome.file);
    add_text_or_null(object, "file_version",
                     outcome.file_version.known ? outcome.file_version.text : std::string());
    add_text_or_null(object, "file_sha256", outcome.file_sha256);
    object.add_number("sending_seconds", static_cast<std::int64_t>(outcome.send_seconds));
    object.add_number("burning_seconds", static_cast<std::int64_t>(outcome.burn_seconds));
    object.add_bool("burned", outcome.burned);
    object.add("result", result_text);
    object.add_number("exit_status", exit_code(status));
    return object;
}

JsonObject outcome_start() {
    JsonObject object;
    object.add("event", "result");
    return object;
}

JsonObject& outcome_end(JsonObject& object, const std::string& result_text, ExitStatus status) {
    return object.add("result", result_text).add_number("exit_status", exit_code(status));
}

}  // namespace hx4x
