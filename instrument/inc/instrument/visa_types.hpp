#pragma once

// The VISA types, constants and entry-point signatures this program binds to, declared
// here from the published standard so that no vendor header is needed. The simulated
// VISA library of the tests exports exactly these signatures.

#include <climits>
#include <cstdint>

namespace hx4x::visa {

using ViInt32 = std::int32_t;
// Never unsigned long: that is 64 bits on 64-bit Linux and would break the ABI.
using ViUInt32 = std::uint32_t;
using ViUInt16 = std::uint16_t;
using ViUInt64 = std::uint64_t;
using ViChar = char;
using ViByte = unsigned char;
using ViBoolean = ViUInt16;
using ViStatus = ViInt32;
using ViObject = ViUInt32;
using ViSession = ViObject;
using ViFindList = ViObject;
using ViEvent = ViObject;
using ViAttr = ViUInt32;
using ViEventType = ViUInt32;
using ViEventFilter = ViUInt32;
using ViAccessMode = ViUInt32;
#if defined(_WIN64) || LONG_MAX > 0x7FFFFFFF
using ViAttrState = ViUInt64;
#else
using ViAttrState = ViUInt32;
#endif

inline constexpr ViStatus to_status(std::uint32_t bits) { return static_cast<ViStatus>(bits); }

inline constexpr ViStatus VI_SUCCESS = 0;
inline constexpr ViStatus VI_SUCCESS_QUEUE_EMPTY = to_status(0x3FFF0004u);
inline constexpr ViStatus VI_SUCCESS_TERM_CHAR = to_status(0x3FFF0005u);
inline constexpr ViStatus VI_SUCCESS_MAX_CNT = to_status(0x3FFF0006u);
inline constexpr ViStatus VI_SUCCESS_QUEUE_NEMPTY = to_status(0x3FFF0080u);
inline constexpr ViStatus VI_ERROR_INV_OBJECT = to_status(0xBFFF000Eu);
inline constexpr ViStatus VI_ERROR_INV_EXPR = to_status(0xBFFF0010u);
inline constexpr ViStatus VI_ERROR_RSRC_NFOUND = to_status(0xBFFF0011u);
inline constexpr ViStatus VI_ERROR_INV_RSRC_NAME = to_status(0xBFFF0012u);
inline constexpr ViStatus VI_ERROR_TMO = to_status(0xBFFF0015u);
inline constexpr ViStatus VI_ERROR_IO = to_status(0xBFFF003Eu);
inline constexpr ViStatus VI_ERROR_NSUP_OPER = to_status(0xBFFF0067u);
inline constexpr ViStatus VI_ERROR_RSRC_BUSY = to_status(0xBFFF0072u);
inline constexpr ViStatus VI_ERROR_CONN_LOST = to_status(0xBFFF00A6u);

inline constexpr ViAttr VI_ATTR_TMO_VALUE = 0x3FFF001Au;
inline constexpr ViEventType VI_EVENT_SERVICE_REQ = 0x3FFF200Bu;
inline constexpr ViUInt16 VI_QUEUE = 1;
inline constexpr ViUInt32 VI_NULL = 0;
inline constexpr ViAccessMode VI_NO_LOCK = 0;
inline constexpr ViUInt32 VI_TMO_IMMEDIATE = 0;
inline constexpr ViUInt32 VI_TMO_INFINITE = 0xFFFFFFFFu;
inline constexpr unsigned VI_FIND_BUFLEN = 256;

}  // namespace hx4x::visa

#if defined(_WIN32) && !defined(_WIN64)
#define HX4X_VISA_CALL __stdcall
#else
#define HX4X_VISA_CALL
#endif

// The fifteen entry points, as function-pointer types for binding by name.
namespace hx4x::visa {
extern "C" {
using viOpenDefaultRM_t = ViStatus(HX4X_VISA_CALL*)(ViSession* rm);
using viOpen_t = ViStatus(HX4X_VISA_CALL*)(ViSession rm, const char* name, ViAccessMode mode,
                                           ViUInt32 open_timeout_ms, ViSession* vi);
using viClose_t = ViStatus(HX4X_VISA_CALL*)(ViObject vi);
using viFindRsrc_t = ViStatus(HX4X_VISA_CALL*)(ViSession rm, const char* expr, ViFindList* list,
                                               ViUInt32* count, char* desc);
using viFindNext_t = ViStatus(HX4X_VISA_CALL*)(ViFindList list, char* desc);
using viGpibControlREN_t = ViStatus(HX4X_VISA_CALL*)(ViSession vi, ViUInt16 mode);
using viGetAttribute_t = ViStatus(HX4X_VISA_CALL*)(ViObject vi, ViAttr attr, void* value);
using viSetAttribute_t = ViStatus(HX4X_VISA_CALL*)(ViObject vi, ViAttr attr, ViAttrState value);
using viWrite_t = ViStatus(HX4X_VISA_CALL*)(ViSession vi, const unsigned char* buf, ViUInt32 count,
                                            ViUInt32* written);
using viRead_t = ViStatus(HX4X_VISA_CALL*)(ViSession vi, unsigned char* buf, ViUInt32 count,
                                           ViUInt32* read);
using viEnableEvent_t = ViStatus(HX4X_VISA_CALL*)(ViSession vi, ViEventType type,
                                                  ViUInt16 mechanism, ViEventFilter context);
using viWaitOnEvent_t = ViStatus(HX4X_VISA_CALL*)(ViSession vi, ViEventType type,
                                                  ViUInt32 timeout_ms, ViEventType* out_type,
                                                  ViEvent* out_event);
using viReadSTB_t = ViStatus(HX4X_VISA_CALL*)(ViSession vi, ViUInt16* status);
using viStatusDesc_t = ViStatus(HX4X_VISA_CALL*)(ViObject vi, ViStatus status, char* desc);
using viFlush_t = ViStatus(HX4X_VISA_CALL*)(ViSession vi, ViUInt16 mask);
}
}  // namespace hx4x::visa
