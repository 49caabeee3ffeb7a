#pragma once

#include <atomic>
#include <mutex>

namespace hx4x {

// Lets one counter at a time send its image over a shared bus (one GPIB board), while the
// others may prepare, wait or burn. Waiting for it can be given up.
class TransferGate {
  public:
    // Waits for the gate; false when stop became true first.
    bool enter(const std::atomic<bool>& stop);
    void leave() { lock_.unlock(); }

  private:
    std::timed_mutex lock_;
};

}  // namespace hx4x
