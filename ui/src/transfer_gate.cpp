#include "ui/transfer_gate.hpp"

#include <chrono>

namespace hx4x {

bool TransferGate::enter(const std::atomic<bool>& stop) {
    // Short slices, so a cancel is seen while another counter holds the bus for minutes.
    constexpr auto slice = std::chrono::milliseconds(50);
    while (!stop) {
        if (lock_.try_lock_for(slice)) {
            return true;
        }
    }
    return false;
}

}  // namespace hx4x
