#pragma once

#include <string>

namespace hx4x {

// VISA resource names do not depend on letter case: "usb0::..." names "USB0::...". The name
// in upper case, as the form two names are compared in.
std::string folded_resource_name(const std::string& name);

// Whether two resource names name the same resource.
bool same_resource_name(const std::string& a, const std::string& b);

}  // namespace hx4x
