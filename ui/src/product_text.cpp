#include "ui/product_text.hpp"

namespace hx4x {

std::string product_text(const VersionInfo& info) {
    std::string text = info.string_value("InternalName") + "\n";
    text += "Version: " + info.file_version_text();
    const std::string build_date = info.string_value("Comments");
    if (!build_date.empty()) {
        text += " Build date: " + build_date;
    }
    text += "\n";
    text += info.string_value("Company");
    return text;
}

std::string release_file_name(const VersionInfo& info) {
    return info.string_value("OriginalFilename");
}

}  // namespace hx4x
