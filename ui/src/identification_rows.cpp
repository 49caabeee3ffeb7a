#include "ui/identification_rows.hpp"

namespace hx4x {

std::vector<IdentificationRow> identification_rows(const CounterIdentity& identity) {
    return {
        {"VISA address:", identity.resource_name},
        {"Manufacturer:", identity.manufacturer},
        {"Model:", identity.model},
        {"Serial number:", identity.serial_number},
        {"Firmware version:", identity.firmware_version},
    };
}

}  // namespace hx4x
