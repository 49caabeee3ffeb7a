#pragma once

#include <string>

namespace hx4x {

// Who a connected counter is, as read from its identification reply.
struct CounterIdentity {
    std::string resource_name;
    std::string manufacturer;
    std::string model;
    std::string serial_number;  // six characters
    std::string firmware_version;
    int version_number = 0;  // firmware version x 100: 111 for 1.11

    bool operator==(const CounterIdentity&) const = default;
};

}  // namespace hx4x
