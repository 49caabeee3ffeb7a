#include "console/console_result.hpp"

#include <string_view>

namespace hx4x {

namespace {

constexpr std::string_view file_part = "Selected firmware file:\n\n";
constexpr std::string_view version_row = "\tFirmware version:\t";

// The value of the identification row with this label, when there is such a row.
std::optional<std::string> row_value(const std::vector<IdentificationRow>& rows,
                                     const std::string& label) {
    for (const IdentificationRow& row : rows) {
        if (row.label == label) {
            return row.value;
        }
    }
    return std::nullopt;
}

void add_optional(JsonObject& object, std::string_view key,
                  const std::optional<std::string>& value) {
    if (value && !value->empty()) {
        object.add(key, *value);
    } else {
        object.add_null(key);
    }
}

}  // namespace

std::optional<std::string> file_version_from_question(const std::string& question) {
    // The counter's rows come first and have a firmware version row of their own.
    const std::size_t part = question.find(file_part);
    if (part == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t row = question.find(version_row, part);
    if (row == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t begin = row + version_row.size();
    const std::size_t end = question.find('\n', begin);
    return question.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

JsonObject result_object(const UpdateController& controller, const ConsoleView& view,
                         const std::string& firmware_file, ExitStatus status) {
    const auto& identifications = view.identifications();
    const std::vector<IdentificationRow> before =
        identifications.empty() ? std::vector<IdentificationRow>{} : identifications.front();
    // The view is rebuilt after the reconnection only when the update went through.
    const bool after_known = status == ExitStatus::success && identifications.size() >= 2;

    JsonObject object;
    object.add("event", "result");
    std::optional<std::string> resource = row_value(before, "VISA address:");
    if (!resource || resource->empty()) {
        resource = controller.selected_address();
    }
    add_optional(object, "resource", resource);
    add_optional(object, "manufacturer", row_value(before, "Manufacturer:"));
    add_optional(object, "model", row_value(before, "Model:"));
    add_optional(object, "serial_number", row_value(before, "Serial number:"));
    add_optional(object, "firmware_before", row_value(before, "Firmware version:"));
    add_optional(
        object, "firmware_after",
        after_known ? row_value(identifications.back(), "Firmware version:") : std::nullopt);
    add_optional(object, "file", firmware_file);
    add_optional(object, "file_version",
                 view.questions().empty() ? std::nullopt
                                          : file_version_from_question(view.questions().back()));
    object.add_number("sending_seconds", static_cast<std::int64_t>(controller.send_seconds()));
    object.add_number("burning_seconds", static_cast<std::int64_t>(controller.burn_seconds()));
    const auto& messages = view.record().messages;
    object.add("result", messages.empty() ? std::string() : messages.back().text);
    object.add_number("exit_status", exit_code(status));
    return object;
}

}  // namespace hx4x
