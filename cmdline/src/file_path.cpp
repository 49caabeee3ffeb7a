#include "cmdline/file_path.hpp"

namespace hx4x {

bool FilePath::assign(const std::string& text) {
    clear();
    if (text.empty()) {
        return false;
    }
    std::string rest = text;
    const auto slash = text.find_last_of("\\/");
    if (slash != std::string::npos) {
        directory = text.substr(0, slash);
        separator = text[slash];
        separator_found = true;
        rest = text.substr(slash + 1);
    }
    if (!rest.empty()) {
        const auto dot = rest.find_last_of('.');
        if (dot == std::string::npos) {
            name = rest;
        } else {
            name = rest.substr(0, dot);
            extension = rest.substr(dot + 1);
        }
    }
    if (name.empty() && extension.empty()) {
        clear();
        return false;
    }
    return true;
}

void FilePath::clear() {
    directory.clear();
    name.clear();
    extension.clear();
    separator = '\\';
    separator_found = false;
}

std::string FilePath::name_with_extension() const {
    return extension.empty() ? name : name + "." + extension;
}

std::string FilePath::full_path() const {
    if (directory.empty() && !separator_found) {
        return name_with_extension();
    }
    return directory + separator + name_with_extension();
}

}  // namespace hx4x
