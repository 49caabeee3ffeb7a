#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hx4x::usbtmc_emulator {

// Endpoints of the one USB488 interface.
inline constexpr std::uint8_t bulk_out_endpoint = 0x02;
inline constexpr std::uint8_t bulk_in_endpoint = 0x81;
inline constexpr std::uint8_t interrupt_in_endpoint = 0x83;
inline constexpr std::uint16_t bulk_max_packet = 512;
inline constexpr std::uint16_t interrupt_max_packet = 8;

// What a USB counter tells about itself: from its VISA resource name and its *IDN? text.
struct DeviceIdentity {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::string serial;
    std::string manufacturer;
    std::string product_name;
};

// "USB0::0x5D3C::0x0090::100000[::0]::INSTR" -> vendor, product and serial; false for a
// GPIB name or anything malformed (the serial must be 1 to 126 printable characters).
bool parse_usb_resource(std::string_view name, DeviceIdentity* identity);
// Manufacturer and product strings from the first two fields of an *IDN? text.
void names_from_idn(std::string_view idn, DeviceIdentity* identity);

std::vector<std::uint8_t> device_descriptor(const DeviceIdentity& identity);
// The whole configuration: configuration, interface and the three endpoint descriptors.
std::vector<std::uint8_t> configuration_descriptor();
// String descriptor `index` (0: the language list; 1 manufacturer, 2 product, 3 serial);
// empty for an unknown index.
std::vector<std::uint8_t> string_descriptor(std::uint8_t index, const DeviceIdentity& identity);

}  // namespace hx4x::usbtmc_emulator
