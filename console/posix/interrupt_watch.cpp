#include "console/interrupt_watch.hpp"

#include <signal.h>

#include <array>
#include <atomic>
#include <memory>

namespace hx4x {

namespace {

constexpr std::array<int, 4> watched_signals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

std::atomic<unsigned> interrupts{0};
std::atomic<bool> hang_up{false};
static_assert(std::atomic<unsigned>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the handler may only touch lock-free data");

extern "C" void count_interrupt(int signal_number) {
    if (signal_number == SIGHUP) {
        hang_up.store(true, std::memory_order_relaxed);
    }
    interrupts.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

struct InterruptWatch::Saved {
    std::array<struct sigaction, watched_signals.size()> actions{};
    std::array<bool, watched_signals.size()> valid{};
};

InterruptWatch::InterruptWatch() : saved_(std::make_unique<Saved>()) {
    struct sigaction action {};
    action.sa_handler = count_interrupt;
    sigemptyset(&action.sa_mask);
    // Restarting keeps blocking I/O of the run going; waits that must end on an interrupt
    // poll in slices instead.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < watched_signals.size(); ++i) {
        saved_->valid[i] = sigaction(watched_signals[i], &action, &saved_->actions[i]) == 0;
    }
}

InterruptWatch::~InterruptWatch() {
    for (std::size_t i = 0; i < watched_signals.size(); ++i) {
        if (saved_->valid[i]) {
            sigaction(watched_signals[i], &saved_->actions[i], nullptr);
        }
    }
}

unsigned InterruptWatch::count() {
    return interrupts.load(std::memory_order_relaxed);
}

bool InterruptWatch::hung_up() {
    return hang_up.load(std::memory_order_relaxed);
}

}  // namespace hx4x
