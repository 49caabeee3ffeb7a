#pragma once

#include <memory>

namespace hx4x {

// Counts the signals that would otherwise end the process mid-block, for as long as it
// lives: interrupt (Ctrl-C), termination (a time-out wrapper, a supervisor), hang-up (the
// terminal or the remote connection went away), quit, and every other signal whose default
// is to end the process but the program's own faults (user signals, timers, a CPU-time
// limit, power failure, the real-time signals); on a Windows console Ctrl-C, Ctrl-Break, and
// the console's closing, log-off and shut-down as a hang-up. The console turns a new one into
// a cancel at the next safe point of the run, so the counter is always reset. The previous
// handling is put back at destruction.
class InterruptWatch {
  public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Signals received since the process started.
    static unsigned count();
    // Whether a hang-up arrived: the terminal is gone and nothing more should be drawn on it.
    static bool hung_up();

  private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

}  // namespace hx4x
