#include "instrument/emulation.hpp"

#include <climits>

#include "app/emulated_version.hpp"

namespace hx4x {

std::string emulated_firmware_version(std::uint32_t version) {
    const std::uint32_t hundredths = version % 100;
    std::string text = "X" + std::to_string(version / 100) + ".";
    text += static_cast<char>('0' + hundredths / 10);
    text += static_cast<char>('0' + hundredths % 10);
    text += " 30 Jun 1908 07:14";
    return text;
}

CounterIdentity emulated_identity(std::string_view resource_name) {
    const std::uint32_t version = emulated_version();
    CounterIdentity identity;
    identity.resource_name = resource_name;
    identity.manufacturer = "Valdmore Instruments";
    identity.model = "HX-40XL-Emulated";
    identity.serial_number = "777777";
    identity.firmware_version = emulated_firmware_version(version);
    identity.version_number = version <= INT_MAX ? static_cast<int>(version) : INT_MAX;
    return identity;
}

}  // namespace hx4x
