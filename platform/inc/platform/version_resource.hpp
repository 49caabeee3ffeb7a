#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hx4x::platform {

// Any language of a version resource: the first one the file lists.
inline constexpr std::uint16_t any_language = 0xFFFF;

// Where executables without resources keep the version record: a section of this name
// holding the same bytes a Windows version resource holds.
inline constexpr char version_section_name[] = ".vs_version_info";

// Copies the version record stored in an executable file into bytes. On Windows the file is
// opened for its resources only (no code of it runs); no name takes the first version
// resource listed, any_language its first language. Elsewhere the record is the section
// named version_section_name (or the given name) and the language is not looked at.
// False, with bytes empty, when the file has no readable record.
bool read_version_resource(const std::string& file_path,
                           const std::optional<std::string>& resource_name, std::uint16_t language,
                           std::vector<std::uint8_t>& bytes);

// Replaces the version resource of an executable file (Windows only; elsewhere the build
// rewrites the section with objcopy and this answers false with a reason).
bool write_version_resource(const std::string& file_path, const std::vector<std::uint8_t>& bytes,
                            std::string* error);

}  // namespace hx4x::platform
