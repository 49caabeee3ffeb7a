#pragma once

// Lists every USBTMC interface libusb can see, with the name VISA gives it.

#include <libusb.h>

#include <string>
#include <vector>

#include "usbtmc_device.hpp"
#include "visa-usbtmc/resource_naming.hpp"

namespace hx4x::visa_usbtmc {

struct FoundInterface {
    libusb_device* device = nullptr;  // referenced; released by release_found()
    UsbAddress address;
    std::string name;
    InterfaceEndpoints endpoints;
};

std::vector<FoundInterface> find_usbtmc_interfaces(libusb_context* context);
void release_found(std::vector<FoundInterface>& found);

}  // namespace hx4x::visa_usbtmc
