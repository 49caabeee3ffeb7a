#pragma once

#include <optional>
#include <string>

#include "console/console_view.hpp"
#include "console/exit_status.hpp"
#include "console/json_object.hpp"
#include "ui/update_controller.hpp"

namespace hx4x {

// The file's version as the confirmation showed it, when it showed one.
std::optional<std::string> file_version_from_question(const std::string& question);

// The closing JSON object of an update: who the counter was, its version before and after,
// the file and its version, the times, the last text shown and the exit status.
JsonObject result_object(const UpdateController& controller, const ConsoleView& view,
                         const std::string& firmware_file, ExitStatus status);

}  // namespace hx4x
