// The fifteen VISA entry points with C linkage, and the few more that PyVISA needs to open a
// resource and query it. Every call takes one lock and goes to the process-wide library.
#include <mutex>
#include <type_traits>

#include "usbtmc_visa.hpp"
#include "visa_usbtmc_export.h"

namespace {

using hx4x::visa_usbtmc::UsbtmcVisa;

std::mutex& library_lock() {
    static std::mutex lock;
    return lock;
}

UsbtmcVisa& library() {
    static UsbtmcVisa instance;
    return instance;
}

}  // namespace

using namespace hx4x::visa;

#define HX4X_USBTMC_CALL(expression)                             \
    do {                                                         \
        const std::lock_guard<std::mutex> guard(library_lock()); \
        return library().expression;                             \
    } while (false)

extern "C" {

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viOpenDefaultRM(ViSession* rm) {
    HX4X_USBTMC_CALL(open_default_rm(rm));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viOpen(ViSession rm, const char* name, ViAccessMode mode,
                                                  ViUInt32 open_timeout_ms, ViSession* vi) {
    HX4X_USBTMC_CALL(open(rm, name, mode, open_timeout_ms, vi));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viClose(ViObject vi) {
    HX4X_USBTMC_CALL(close(vi));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viFindRsrc(ViSession rm, const char* expr,
                                                      ViFindList* list, ViUInt32* count,
                                                      char* desc) {
    HX4X_USBTMC_CALL(find_rsrc(rm, expr, list, count, desc));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viFindNext(ViFindList list, char* desc) {
    HX4X_USBTMC_CALL(find_next(list, desc));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viGpibControlREN(ViSession vi, ViUInt16 mode) {
    HX4X_USBTMC_CALL(gpib_control_ren(vi, mode));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viGetAttribute(ViObject vi, ViAttr attr, void* value) {
    HX4X_USBTMC_CALL(get_attribute(vi, attr, value));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viSetAttribute(ViObject vi, ViAttr attr,
                                                          ViAttrState value) {
    HX4X_USBTMC_CALL(set_attribute(vi, attr, value));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viWrite(ViSession vi, const unsigned char* buf,
                                                   ViUInt32 count, ViUInt32* written) {
    HX4X_USBTMC_CALL(write(vi, buf, count, written));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viRead(ViSession vi, unsigned char* buf, ViUInt32 count,
                                                  ViUInt32* read) {
    HX4X_USBTMC_CALL(read(vi, buf, count, read));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viEnableEvent(ViSession vi, ViEventType type,
                                                         ViUInt16 mechanism,
                                                         ViEventFilter context) {
    HX4X_USBTMC_CALL(enable_event(vi, type, mechanism, context));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viWaitOnEvent(ViSession vi, ViEventType type,
                                                         ViUInt32 timeout_ms, ViEventType* out_type,
                                                         ViEvent* out_event) {
    HX4X_USBTMC_CALL(wait_on_event(vi, type, timeout_ms, out_type, out_event));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viReadSTB(ViSession vi, ViUInt16* status) {
    HX4X_USBTMC_CALL(read_stb(vi, status));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viStatusDesc(ViObject vi, ViStatus status, char* desc) {
    HX4X_USBTMC_CALL(status_desc(vi, status, desc));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viFlush(ViSession vi, ViUInt16 mask) {
    HX4X_USBTMC_CALL(flush(vi, mask));
}

// PyVISA's Resource.close() turns every event off and drops the queued ones before viClose.
VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viDisableEvent(ViSession vi, ViEventType type,
                                                          ViUInt16 mechanism) {
    HX4X_USBTMC_CALL(disable_event(vi, type, mechanism));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viDiscardEvents(ViSession vi, ViEventType type,
                                                           ViUInt16 mechanism) {
    HX4X_USBTMC_CALL(discard_events(vi, type, mechanism));
}

// PyVISA asks these to pick a resource class and to clear a device that was not ready.
VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viParseRsrc(ViSession rm, const char* name,
                                                       ViUInt16* type, ViUInt16* board) {
    HX4X_USBTMC_CALL(parse_rsrc(rm, name, type, board, nullptr, nullptr, nullptr));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viParseRsrcEx(ViSession rm, const char* name,
                                                         ViUInt16* type, ViUInt16* board,
                                                         char* resource_class, char* expanded,
                                                         char* alias) {
    HX4X_USBTMC_CALL(parse_rsrc(rm, name, type, board, resource_class, expanded, alias));
}

VISA_USBTMC_EXPORT ViStatus HX4X_VISA_CALL viClear(ViSession vi) {
    HX4X_USBTMC_CALL(clear(vi));
}

}  // extern "C"

// The exports must keep exactly the signatures the loader binds.
static_assert(std::is_same_v<decltype(&viOpenDefaultRM), viOpenDefaultRM_t>);
static_assert(std::is_same_v<decltype(&viOpen), viOpen_t>);
static_assert(std::is_same_v<decltype(&viClose), viClose_t>);
static_assert(std::is_same_v<decltype(&viFindRsrc), viFindRsrc_t>);
static_assert(std::is_same_v<decltype(&viFindNext), viFindNext_t>);
static_assert(std::is_same_v<decltype(&viGpibControlREN), viGpibControlREN_t>);
static_assert(std::is_same_v<decltype(&viGetAttribute), viGetAttribute_t>);
static_assert(std::is_same_v<decltype(&viSetAttribute), viSetAttribute_t>);
static_assert(std::is_same_v<decltype(&viWrite), viWrite_t>);
static_assert(std::is_same_v<decltype(&viRead), viRead_t>);
static_assert(std::is_same_v<decltype(&viEnableEvent), viEnableEvent_t>);
static_assert(std::is_same_v<decltype(&viWaitOnEvent), viWaitOnEvent_t>);
static_assert(std::is_same_v<decltype(&viReadSTB), viReadSTB_t>);
static_assert(std::is_same_v<decltype(&viStatusDesc), viStatusDesc_t>);
static_assert(std::is_same_v<decltype(&viFlush), viFlush_t>);
