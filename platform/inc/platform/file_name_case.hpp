#pragma once

namespace hx4x::platform {

// Whether two file names that differ only in letter case name the same file, as the
// system's own file names are compared.
bool file_names_ignore_case();

// Whether the system takes 8-bit file names (and the other 8-bit texts it hands over or
// takes) as UTF-8 rather than in a code page of its own.
bool file_names_utf8();

}  // namespace hx4x::platform
