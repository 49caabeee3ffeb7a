#include "console/console_result.hpp"

namespace hx4x {

JsonObject result_object(const UpdateOutcome& outcome, const std::string& resource,
                         const std::string& result_text, ExitStatus status) {
    const CounterIdentity& before = outcome.before;
    JsonObject object;
    object.add("event", "result");
    object.add_or_null("resource", before.resource_name.empty() ? resource : before.resource_name);
    object.add_or_null("manufacturer", before.manufacturer);
    object.add_or_null("model", before.model);
    object.add_or_null("serial_number", before.serial_number);
    object.add_or_null("firmware_before", before.firmware_version);
    object.add_or_null("firmware_after", outcome.after.firmware_version);
    object.add_or_null("file", outcome.file);
    object.add_or_null("file_version",
                       outcome.file_version.known ? outcome.file_version.text : std::string());
    object.add_or_null("file_sha256", outcome.file_sha256);
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
