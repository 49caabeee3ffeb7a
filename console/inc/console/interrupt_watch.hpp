#pragma once

#include <memory>

namespace hx4x {

// Counts interrupts (Ctrl-C, SIGINT) for as long as it lives, instead of letting one end the
// process mid-block; the previous handling is put back at destruction. The console turns a
// new interrupt into a cancel at the next safe point of the run.
class InterruptWatch {
  public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Interrupts received since the process started.
    static unsigned count();

  private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

}  // namespace hx4x
