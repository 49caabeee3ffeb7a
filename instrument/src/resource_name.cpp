#include "instrument/resource_name.hpp"

namespace hx4x {

std::string folded_resource_name(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return folded;
}

bool same_resource_name(const std::string& a, const std::string& b) {
    return a.size() == b.size() && folded_resource_name(a) == folded_resource_name(b);
}

}  // namespace hx4x
