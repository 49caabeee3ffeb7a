#include "console/interrupt_watch.hpp"

#include <atomic>
#include <csignal>
#include <memory>

namespace hx4x {

namespace {

std::atomic<unsigned> interrupts{0};
static_assert(std::atomic<unsigned>::is_always_lock_free,
              "the handler may only touch lock-free data");

extern "C" void count_interrupt(int) {
    interrupts.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

struct InterruptWatch::Saved {
    struct sigaction action {};
    bool valid = false;
};

InterruptWatch::InterruptWatch() : saved_(std::make_unique<Saved>()) {
    struct sigaction action {};
    action.sa_handler = count_interrupt;
    sigemptyset(&action.sa_mask);
    // Restarting keeps blocking I/O of the run going; waits that must end on an interrupt
    // poll in slices instead.
    action.sa_flags = SA_RESTART;
    saved_->valid = sigaction(SIGINT, &action, &saved_->action) == 0;
}

InterruptWatch::~InterruptWatch() {
    if (saved_->valid) {
        sigaction(SIGINT, &saved_->action, nullptr);
    }
}

unsigned InterruptWatch::count() {
    return interrupts.load(std::memory_order_relaxed);
}

}  // namespace hx4x
