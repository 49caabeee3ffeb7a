#pragma once

#include <string>
#include <string_view>

#include "instrument/visa_types.hpp"

namespace hx4x::visa_sim {

using visa::ViStatus;

// Statuses of the standard that the shared declarations leave out because the loader never
// tests for them; the simulation returns them where a VISA library would.
inline constexpr ViStatus VI_ERROR_SYSTEM_ERROR = visa::to_status(0xBFFF0000u);
inline constexpr ViStatus VI_ERROR_NSUP_ATTR = visa::to_status(0xBFFF001Du);
inline constexpr ViStatus VI_ERROR_NSUP_ATTR_STATE = visa::to_status(0xBFFF001Eu);
inline constexpr ViStatus VI_ERROR_INV_EVENT = visa::to_status(0xBFFF0026u);
inline constexpr ViStatus VI_ERROR_INV_MECH = visa::to_status(0xBFFF0027u);
inline constexpr ViStatus VI_ERROR_NENABLED = visa::to_status(0xBFFF002Fu);
inline constexpr ViStatus VI_ERROR_INV_SETUP = visa::to_status(0xBFFF003Au);
inline constexpr ViStatus VI_ERROR_USER_BUF = visa::to_status(0xBFFF0071u);
inline constexpr ViStatus VI_SUCCESS_EVENT_EN = visa::to_status(0x3FFF0002u);
inline constexpr ViStatus VI_WARN_NULL_OBJECT = visa::to_status(0x3FFF0082u);
inline constexpr ViStatus VI_WARN_UNKNOWN_STATUS = visa::to_status(0x3FFF0085u);

// The symbolic name, or "0x" and eight upper-case hex digits.
std::string status_name(ViStatus status);
// A symbolic name, "0x" hex or signed decimal; false for anything else.
bool parse_status(std::string_view text, ViStatus* status);
// One sentence describing the status, for viStatusDesc; empty when unknown.
std::string_view status_description(ViStatus status);

}  // namespace hx4x::visa_sim
