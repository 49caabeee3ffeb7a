#include "console/interrupt_watch.hpp"

#include <windows.h>

#include <atomic>

namespace hx4x {

namespace {

std::atomic<unsigned> interrupts{0};
std::atomic<bool> hang_up{false};

// The system ends the process as soon as the handler returns from a close, log-off or
// shut-down event, and at the latest after about five seconds. Holding the handler this
// long gives the run its next safe point and the reset of the counter.
constexpr DWORD close_grace_ms = 4500;
constexpr DWORD close_slice_ms = 50;

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI count_interrupt(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            interrupts.fetch_add(1, std::memory_order_relaxed);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            hang_up.store(true, std::memory_order_relaxed);
            interrupts.fetch_add(1, std::memory_order_relaxed);
            for (DWORD waited = 0; waited < close_grace_ms; waited += close_slice_ms) {
                Sleep(close_slice_ms);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

// Nothing needs saving: the handler is taken off the process's list again.
struct InterruptWatch::Saved {
    bool installed = false;
};

InterruptWatch::InterruptWatch() : saved_(std::make_unique<Saved>()) {
    saved_->installed = SetConsoleCtrlHandler(count_interrupt, TRUE) != 0;
}

InterruptWatch::~InterruptWatch() {
    if (saved_->installed) {
        SetConsoleCtrlHandler(count_interrupt, FALSE);
    }
}

unsigned InterruptWatch::count() {
    return interrupts.load(std::memory_order_relaxed);
}

bool InterruptWatch::hung_up() {
    return hang_up.load(std::memory_order_relaxed);
}

}  // namespace hx4x
