// A stand-in for the front ends: an executable that carries the version record and reads
// its own, as start-up does, printing the values a program takes from it.
#include <cstdio>

#include "app/version_info.hpp"
#include "platform/module_path.hpp"

int main() {
    hx4x::VersionInfo info;
    info.read(hx4x::platform::module_path());
    std::printf("%s\n%s\n%s\n", info.string_value("InternalName").c_str(),
                info.string_value("OriginalFilename").c_str(), info.file_version_text().c_str());
    return 0;
}
