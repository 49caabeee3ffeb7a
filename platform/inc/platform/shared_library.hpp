#pragma once

#include <string>
#include <vector>

namespace hx4x::platform {

// A loaded shared library (a module handle on Windows, a dlopen handle elsewhere).
using LibraryHandle = void*;

// Loads a library by path or by bare file name (the platform's own search order).
// Null on failure; then error, when given, receives the loader's reason.
LibraryHandle load_library(const std::string& name, std::string* error = nullptr);

// The address of an exported symbol, or null when the library does not export it.
void* library_symbol(LibraryHandle library, const char* name);

void free_library(LibraryHandle library);

// The project's own VISA library for USB counters, tried after every vendor's on Linux.
inline constexpr const char* own_visa_library = "libvisa-usbtmc.so";

// The file names and paths under which the VISA library is looked for on this platform,
// in the order they are tried.
std::vector<std::string> visa_library_names();

}  // namespace hx4x::platform
