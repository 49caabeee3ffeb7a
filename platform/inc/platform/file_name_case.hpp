#pragma once

namespace hx4x::platform {

// Whether two file names that differ only in letter case name the same file, as the
// system's own file names are compared.
bool file_names_ignore_case();

}  // namespace hx4x::platform
