#include "console/interrupt_watch.hpp"

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

namespace hx4x {

namespace {

// Every signal a handler may take whose default action ends the process: arriving
// mid-block, any of them would leave the counter prepared with half an image. Left alone are
// the synchronous faults (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT): they
// report a fault of the program itself, and returning from a handler would run the faulting
// instruction again, forever. SIGPIPE and SIGXFSZ are ignored with the standard streams, so
// that a failed write is reported instead. Signals whose default is to ignore, to stop or to
// continue end nothing and keep their default.
std::vector<int> stop_signals() {
    std::vector<int> signals;
    const auto add = [&signals](int number) {
        // Some systems give two names one number (SIGPWR and SIGLOST); saved twice, the
        // watch's own handler would be put back as the "previous" one.
        if (std::find(signals.begin(), signals.end(), number) == signals.end()) {
            signals.push_back(number);
        }
    };
    for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                             SIGPROF, SIGXCPU}) {
        add(number);
    }
#ifdef SIGPWR
    add(SIGPWR);
#endif
#ifdef SIGSTKFLT
    add(SIGSTKFLT);
#endif
    // SIGIO is the System V SIGPOLL where that exists, and ends the process; the BSD SIGIO
    // without it is ignored by default and stays so.
#ifdef SIGPOLL
    add(SIGPOLL);
#endif
#ifdef SIGLOST
    add(SIGLOST);
#endif
#if defined(SIGRTMIN) && defined(SIGRTMAX)
    // Run-time values: the C library keeps the lowest few for itself, below SIGRTMIN.
    for (int number = SIGRTMIN; number <= SIGRTMAX; ++number) {
        add(number);
    }
#endif
    return signals;
}

std::atomic<unsigned> interrupts{0};
std::atomic<bool> hang_up{false};
static_assert(std::atomic<unsigned>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the handler may only touch lock-free data");

extern "C" void count_interrupt(int signal_number) {
    // Only a hang-up means that the terminal is gone; every other signal is only a stop.
    if (signal_number == SIGHUP) {
        hang_up.store(true, std::memory_order_relaxed);
    }
    interrupts.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

struct InterruptWatch::Saved {
    struct Action {
        int signal_number;
        struct sigaction previous;
    };
    std::vector<Action> actions;
};

InterruptWatch::InterruptWatch() : saved_(std::make_unique<Saved>()) {
    struct sigaction action {};
    action.sa_handler = count_interrupt;
    sigemptyset(&action.sa_mask);
    // Restarting keeps blocking I/O of the run going; waits that must end on an interrupt
    // poll in slices instead.
    action.sa_flags = SA_RESTART;
    const std::vector<int> signals = stop_signals();
    saved_->actions.reserve(signals.size());
    for (const int number : signals) {
        Saved::Action saved{number, {}};
        // A signal ignored at start (nohup, a trap of the caller's) is the caller's choice
        // that it must not stop the run: it stays ignored.
        if (sigaction(number, nullptr, &saved.previous) != 0 ||
            ((saved.previous.sa_flags & SA_SIGINFO) == 0 && saved.previous.sa_handler == SIG_IGN)) {
            continue;
        }
        if (sigaction(number, &action, nullptr) == 0) {
            saved_->actions.push_back(saved);
        }
    }
}

InterruptWatch::~InterruptWatch() {
    for (const Saved::Action& saved : saved_->actions) {
        // A library that took a signal over after the watch started keeps it.
        struct sigaction current {};
        if (sigaction(saved.signal_number, nullptr, &current) == 0 &&
            (current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == count_interrupt) {
            sigaction(saved.signal_number, &saved.previous, nullptr);
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
