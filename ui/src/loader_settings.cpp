#include "ui/loader_settings.hpp"

#include <algorithm>

#include "platform/profile_file.hpp"

namespace hx4x {

namespace {

std::string indexed_key(std::size_t index, const std::string& key) {
    return key + "_" + std::to_string(index);
}

}  // namespace

std::string LoaderSettings::read(const std::string& section, const std::string& key,
                                 const std::string& default_value) const {
    if (path_.empty()) {
        return {};
    }
    std::string value = platform::read_profile_string(path_, section, key, default_value);
    // The system's profile read hands back a C string in a fixed buffer; every system cuts
    // the same way so a file reads alike everywhere.
    value.resize(std::min({value.find('\0'), value.size(), longest_value}));
    return value;
}

bool LoaderSettings::write(const std::string& section, const std::string& key,
                           const std::string& value) {
    return !path_.empty() && platform::write_profile_string(path_, section, key, value);
}

std::string LoaderSettings::read_indexed(std::size_t index, const std::string& key,
                                         const std::string& section,
                                         const std::string& default_value) const {
    return read(section, indexed_key(index, key), default_value);
}

bool LoaderSettings::write_indexed(std::size_t index, const std::string& key,
                                   const std::string& section, const std::string& value) {
    return write(section, indexed_key(index, key), value);
}

}  // namespace hx4x
