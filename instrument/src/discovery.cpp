#include "instrument/discovery.hpp"

#include <array>
#include <cstring>

#include "app/emulated_version.hpp"
#include "instrument/emulation.hpp"
#include "instrument/visa_library.hpp"

namespace hx4x {

namespace {

std::vector<std::string> resources;
std::vector<CounterIdentity> counters;
bool expression_refused = false;

// The longest mask the search takes, as for the names it returns.
constexpr std::size_t max_mask_length = visa::VI_FIND_BUFLEN - 1;

// The name in a find buffer, never reading past it even without a terminator.
std::string name_in(const std::array<char, visa::VI_FIND_BUFLEN + 1>& buffer) {
    return std::string(buffer.data(), strnlen(buffer.data(), visa::VI_FIND_BUFLEN));
}

}  // namespace

const std::vector<std::string>& resource_list() {
    return resources;
}

const std::vector<CounterIdentity>& counter_list() {
    return counters;
}

bool last_search_refused_expression() {
    return expression_refused;
}

bool find_resources(std::string_view mask) {
    resources.clear();
    expression_refused = false;
    if (emulation_on()) {
        resources.emplace_back(emulated_resource_name);
        return true;
    }
    VisaLibrary& library = VisaLibrary::instance();
    const VisaEntryPoints& entry = library.entry_points();
    if (!library.is_available() || entry.viFindRsrc == nullptr) {
        return false;
    }
    if (mask.empty()) {
        mask = default_resource_mask;
    }
    if (mask.size() > max_mask_length || mask.find('\0') != std::string_view::npos) {
        return false;
    }
    const std::string expression(mask);
    // One byte more than the library may fill, so the name always ends.
    std::array<char, visa::VI_FIND_BUFLEN + 1> name{};
    visa::ViFindList list = 0;
    visa::ViUInt32 count = 0;
    const visa::ViStatus status =
        entry.viFindRsrc(library.default_rm(), expression.c_str(), &list, &count, name.data());
    if (status != visa::VI_SUCCESS) {
        expression_refused = status == visa::VI_ERROR_INV_EXPR;
        return false;
    }
    for (visa::ViUInt32 i = 0; i < count; ++i) {
        resources.push_back(name_in(name));
        if (i + 1 == count) {
            // The library may be asked once past the last match; it must tolerate that.
            if (entry.viFindNext != nullptr) {
                entry.viFindNext(list, name.data());
            }
            break;
        }
        // A failed step means the count was wrong: stop rather than repeat the last name.
        if (entry.viFindNext == nullptr ||
            entry.viFindNext(list, name.data()) != visa::VI_SUCCESS) {
            break;
        }
        name.back() = '\0';
    }
    if (list != 0 && entry.viClose != nullptr) {
        entry.viClose(list);
    }
    return true;
}

bool find_counters(std::string_view mask) {
    counters.clear();
    if (!find_resources(mask)) {
        return false;
    }
    for (const std::string& name : resources) {
        CounterIdentity identity;
        identity.resource_name = name;
        counters.push_back(std::move(identity));
    }
    return !counters.empty();
}

}  // namespace hx4x
