#include "usb_discovery.hpp"

#include <array>
#include <span>

namespace hx4x::visa_usbtmc {

namespace {

constexpr unsigned descriptor_timeout_ms = 500;
constexpr std::uint8_t class_application = 0xFE;
constexpr std::uint8_t subclass_usbtmc = 0x03;

// The serial's text, or empty when the device will not give one.
std::string read_serial(libusb_device* device, std::uint8_t index) {
    if (index == 0) {
        return {};
    }
    libusb_device_handle* handle = nullptr;
    if (libusb_open(device, &handle) != 0) {
        return {};
    }
    std::array<unsigned char, 255> buffer{};
    std::string serial;
    int r = libusb_get_string_descriptor(handle, 0, 0, buffer.data(), buffer.size());
    if (r >= 4) {
        const auto language = static_cast<std::uint16_t>(buffer[2] | (buffer[3] << 8));
        r = libusb_get_string_descriptor(handle, index, language, buffer.data(), buffer.size());
        if (r > 0) {
            serial = serial_from_descriptor(
                std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(r)));
        }
    }
    libusb_close(handle);
    return serial;
}

bool read_endpoints(const libusb_interface_descriptor& alt, InterfaceEndpoints* out) {
    InterfaceEndpoints ep;
    ep.interface_number = alt.bInterfaceNumber;
    ep.protocol = alt.bInterfaceProtocol;
    for (int i = 0; i < alt.bNumEndpoints; ++i) {
        const libusb_endpoint_descriptor& e = alt.endpoint[i];
        const int type = e.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK;
        const bool in = (e.bEndpointAddress & LIBUSB_ENDPOINT_IN) != 0;
        const auto packet = static_cast<std::uint16_t>(e.wMaxPacketSize & 0x7FF);
        if (type == LIBUSB_TRANSFER_TYPE_BULK && in && ep.bulk_in == 0) {
            ep.bulk_in = e.bEndpointAddress;
            ep.bulk_in_packet = packet == 0 ? 64 : packet;
        } else if (type == LIBUSB_TRANSFER_TYPE_BULK && !in && ep.bulk_out == 0) {
            ep.bulk_out = e.bEndpointAddress;
        } else if (type == LIBUSB_TRANSFER_TYPE_INTERRUPT && in && ep.interrupt_in == 0) {
            ep.interrupt_in = e.bEndpointAddress;
            ep.interrupt_packet = packet;
        }
    }
    *out = ep;
    // Without both bulk endpoints no message can pass: such an interface is not listed.
    return ep.bulk_in != 0 && ep.bulk_out != 0;
}

}  // namespace

std::vector<FoundInterface> find_usbtmc_interfaces(libusb_context* context) {
    std::vector<FoundInterface> found;
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context, &list);
    if (count < 0) {
        return found;
    }
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device* device = list[i];
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(device, &descriptor) != 0) {
            continue;
        }
        libusb_config_descriptor* config = nullptr;
        if (libusb_get_active_config_descriptor(device, &config) != 0 || config == nullptr) {
            continue;
        }
        std::string serial;
        bool serial_read = false;
        for (int n = 0; n < config->bNumInterfaces; ++n) {
            const libusb_interface& interface = config->interface[n];
            if (interface.num_altsetting < 1) {
                continue;
            }
            const libusb_interface_descriptor& alt = interface.altsetting[0];
            InterfaceEndpoints endpoints;
            if (alt.bInterfaceClass != class_application ||
                alt.bInterfaceSubClass != subclass_usbtmc || !read_endpoints(alt, &endpoints)) {
                continue;
            }
            if (!serial_read) {
                serial_read = true;
                serial = read_serial(device, descriptor.iSerialNumber);
                if (serial.empty()) {
                    std::array<std::uint8_t, 8> ports{};
                    const int depth = libusb_get_port_numbers(device, ports.data(), ports.size());
                    serial = serial_from_port(
                        libusb_get_bus_number(device),
                        std::span<const std::uint8_t>(
                            ports.data(), depth > 0 ? static_cast<std::size_t>(depth) : 0));
                }
            }
            FoundInterface entry;
            entry.device = libusb_ref_device(device);
            entry.address.vendor = descriptor.idVendor;
            entry.address.product = descriptor.idProduct;
            entry.address.serial = serial;
            entry.address.interface_number = alt.bInterfaceNumber;
            entry.name = format_resource_name(entry.address);
            entry.endpoints = endpoints;
            found.push_back(std::move(entry));
        }
        libusb_free_config_descriptor(config);
    }
    libusb_free_device_list(list, 1);
    return found;
}

void release_found(std::vector<FoundInterface>& found) {
    for (FoundInterface& entry : found) {
        libusb_unref_device(entry.device);
        entry.device = nullptr;
    }
    found.clear();
}

}  // namespace hx4x::visa_usbtmc
