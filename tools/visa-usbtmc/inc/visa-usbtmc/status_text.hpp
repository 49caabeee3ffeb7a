#pragma once

// The VISA codes this library answers beyond the loader's own set, and a text for each code
// it can return (viStatusDesc).

#include <string_view>

#include "instrument/visa_types.hpp"

namespace hx4x::visa_usbtmc {

using namespace hx4x::visa;

inline constexpr ViStatus VI_SUCCESS_EVENT_EN = to_status(0x3FFF0002u);
inline constexpr ViStatus VI_SUCCESS_EVENT_DIS = to_status(0x3FFF0003u);
inline constexpr ViStatus VI_WARN_UNKNOWN_STATUS = to_status(0x3FFF0085u);
inline constexpr ViStatus VI_ERROR_SYSTEM_ERROR = to_status(0xBFFF0000u);
inline constexpr ViStatus VI_ERROR_NSUP_ATTR = to_status(0xBFFF001Du);
inline constexpr ViStatus VI_ERROR_NSUP_ATTR_STATE = to_status(0xBFFF001Eu);
inline constexpr ViStatus VI_ERROR_INV_EVENT = to_status(0xBFFF0026u);
inline constexpr ViStatus VI_ERROR_INV_MECH = to_status(0xBFFF0027u);
inline constexpr ViStatus VI_ERROR_NENABLED = to_status(0xBFFF002Fu);
inline constexpr ViStatus VI_ERROR_ALLOC = to_status(0xBFFF003Cu);
inline constexpr ViStatus VI_ERROR_INV_MASK = to_status(0xBFFF003Du);
inline constexpr ViStatus VI_ERROR_USER_BUF = to_status(0xBFFF0071u);
inline constexpr ViStatus VI_ERROR_INV_PARAMETER = to_status(0xBFFF0078u);
inline constexpr ViStatus VI_ERROR_INV_MODE = to_status(0xBFFF0091u);
inline constexpr ViStatus VI_ERROR_NPERMISSION = to_status(0xBFFF00A8u);

// Empty for a code this library never returns.
std::string_view status_text(ViStatus status);

}  // namespace hx4x::visa_usbtmc
