#pragma once

#include <memory>
#include <string>

namespace hx4x {

namespace platform {
class InstanceToken;
}

// Claims one counter for this process, so that no other copy of either program on this
// machine opens it while this one works with it: two updates of one counter would wipe each
// other's image. Resource names match without regard to case, as VISA names do. The claim
// dies with the process, so a killed run leaves nothing behind.
class CounterLock {
  public:
    enum class Claim {
        taken,           // this process holds the counter
        held_elsewhere,  // another process holds it
        unavailable,     // no claim can be made here (no folder for it); nothing is held
    };

    CounterLock();
    ~CounterLock();
    CounterLock(const CounterLock&) = delete;
    CounterLock& operator=(const CounterLock&) = delete;

    // Claims the counter, giving up one held for another name first; a counter already held
    // by this object stays held.
    Claim take(const std::string& resource_name);
    void release();
    bool holds(const std::string& resource_name) const;

    // The token name for a resource: case folded, anything but letters and digits replaced,
    // and a hash of the whole name so that long or odd names stay apart.
    static std::string token_name(const std::string& resource_name);

  private:
    std::unique_ptr<platform::InstanceToken> token_;
    std::string held_;  // the folded name held, empty when none
};

}  // namespace hx4x
