#pragma once

#include <string>

#include "AuxLib/json_object.hpp"
#include "console/exit_status.hpp"
#include "ui/update_outcome.hpp"

namespace hx4x {

// The closing JSON object of an update: who the counter was, its version before and after,
// the file and its version, the times, whether it was burnt, the last text shown and the
// exit status. resource is the address asked for when no counter was identified.
JsonObject result_object(const UpdateOutcome& outcome, const std::string& resource,
                         const std::string& result_text, ExitStatus status);

// The closing JSON object of every other run (help, version, check, list, a command-line
// error): the event "result", the members added between the two calls, then the result text
// and the exit status, as the update's object ends.
JsonObject outcome_start();
JsonObject& outcome_end(JsonObject& object, const std::string& result_text, ExitStatus status);

}  // namespace hx4x
