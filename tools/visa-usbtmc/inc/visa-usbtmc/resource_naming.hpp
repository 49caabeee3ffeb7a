#pragma once

// USB INSTR resource names as VISA writes them, USB0::0x5D3C::0x0090::<serial>[::<n>]::INSTR,
// and the serial number's text in them. Pure text work: no USB library here.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace hx4x::visa_usbtmc {

struct UsbAddress {
    unsigned board = 0;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::string serial;
    std::uint8_t interface_number = 0;
};

// Longest serial text a name carries; a longer one is treated like a missing serial.
inline constexpr std::size_t max_serial_text = 128;

// The serial's text from a raw string descriptor (bLength, bDescriptorType 3, UTF-16LE).
// Printable ASCII stays, except ':' (it would split the name) and '%' (the escape itself);
// every other code unit is written %XX, or %uXXXX above 0xFF, so that no two serials give
// one name and no control character reaches a name. Empty when the descriptor is malformed,
// empty, or its text would pass max_serial_text.
std::string serial_from_descriptor(std::span<const std::uint8_t> descriptor);

// The stand-in serial of a device without a readable one: its bus and port path, which stay
// the same when the device restarts on the same port (the loader opens it again by name).
std::string serial_from_port(std::uint8_t bus, std::span<const std::uint8_t> ports);

std::string format_resource_name(const UsbAddress& address);

enum class NameKind {
    usb_instr,  // parsed into the address
    other,      // a well-formed start that is not a USB INSTR resource (GPIB0::.., USB0::..::RAW)
    malformed
};
NameKind parse_resource_name(std::string_view name, UsbAddress* address);

bool equal_ignoring_case(std::string_view a, std::string_view b);

}  // namespace hx4x::visa_usbtmc
