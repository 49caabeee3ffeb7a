// The fifteen VISA entry points with C linkage, plus the reset hook for tests. Every call
// takes one lock and goes to the process-wide simulator; a real sleep inside a call gives the
// lock up meanwhile, so calls for other counters from other threads go on, as on a real bus.
#include <mutex>
#include <thread>
#include <type_traits>

#include "visa-sim/visa_simulator.hpp"
#include "visa_sim_export.h"

namespace {

using hx4x::visa_sim::VisaSimulator;

std::mutex& simulator_lock() {
    static std::mutex lock;
    return lock;
}

// The lock of the call this thread is in, so that a sleep inside it can give the lock up.
thread_local std::unique_lock<std::mutex>* call_lock = nullptr;

void sleep_outside_the_lock(std::chrono::milliseconds time) {
    std::unique_lock<std::mutex>* held = call_lock;
    if (held != nullptr && held->owns_lock()) {
        held->unlock();
        std::this_thread::sleep_for(time);
        held->lock();
        return;
    }
    std::this_thread::sleep_for(time);
}

VisaSimulator& simulator() {
    static VisaSimulator instance;
    static const bool sleeper_set = [] {
        hx4x::visa_sim::SimClock::set_sleeper(sleep_outside_the_lock);
        return true;
    }();
    (void)sleeper_set;
    return instance;
}

class CallLock {
  public:
    CallLock() : lock_(simulator_lock()) { call_lock = &lock_; }
    ~CallLock() { call_lock = nullptr; }
    CallLock(const CallLock&) = delete;
    CallLock& operator=(const CallLock&) = delete;

  private:
    std::unique_lock<std::mutex> lock_;
};

}  // namespace

using namespace hx4x::visa;

#define HX4X_SIM_CALL(expression)      \
    do {                               \
        const CallLock guard;          \
        return simulator().expression; \
    } while (false)

extern "C" {

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viOpenDefaultRM(ViSession* rm) {
    HX4X_SIM_CALL(open_default_rm(rm));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viOpen(ViSession rm, const char* name, ViAccessMode mode,
                                               ViUInt32 open_timeout_ms, ViSession* vi) {
    HX4X_SIM_CALL(open(rm, name, mode, open_timeout_ms, vi));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viClose(ViObject vi) {
    HX4X_SIM_CALL(close(vi));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viFindRsrc(ViSession rm, const char* expr, ViFindList* list,
                                                   ViUInt32* count, char* desc) {
    HX4X_SIM_CALL(find_rsrc(rm, expr, list, count, desc));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viFindNext(ViFindList list, char* desc) {
    HX4X_SIM_CALL(find_next(list, desc));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viGpibControlREN(ViSession vi, ViUInt16 mode) {
    HX4X_SIM_CALL(gpib_control_ren(vi, mode));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viGetAttribute(ViObject vi, ViAttr attr, void* value) {
    HX4X_SIM_CALL(get_attribute(vi, attr, value));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viSetAttribute(ViObject vi, ViAttr attr,
                                                       ViAttrState value) {
    HX4X_SIM_CALL(set_attribute(vi, attr, value));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viWrite(ViSession vi, const unsigned char* buf,
                                                ViUInt32 count, ViUInt32* written) {
    HX4X_SIM_CALL(write(vi, buf, count, written));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viRead(ViSession vi, unsigned char* buf, ViUInt32 count,
                                               ViUInt32* read) {
    HX4X_SIM_CALL(read(vi, buf, count, read));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viEnableEvent(ViSession vi, ViEventType type,
                                                      ViUInt16 mechanism, ViEventFilter context) {
    HX4X_SIM_CALL(enable_event(vi, type, mechanism, context));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viWaitOnEvent(ViSession vi, ViEventType type,
                                                      ViUInt32 timeout_ms, ViEventType* out_type,
                                                      ViEvent* out_event) {
    HX4X_SIM_CALL(wait_on_event(vi, type, timeout_ms, out_type, out_event));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viReadSTB(ViSession vi, ViUInt16* status) {
    HX4X_SIM_CALL(read_stb(vi, status));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viStatusDesc(ViObject vi, ViStatus status, char* desc) {
    HX4X_SIM_CALL(status_desc(vi, status, desc));
}

VISA_SIM_EXPORT ViStatus HX4X_VISA_CALL viFlush(ViSession vi, ViUInt16 mask) {
    HX4X_SIM_CALL(flush(vi, mask));
}

VISA_SIM_EXPORT void hx4x_visa_sim_reset(void) {
    const std::lock_guard<std::mutex> guard(simulator_lock());
    simulator().reset();
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
