#pragma once

#include <cstdio>
#include <string>

namespace hx4x {

// Loads the file exactly as an update would and writes the verdict on out: "OK" and, when
// the file carries one, "version: " and its version; else the reader's error text. One
// check for every program that offers it, so they all say the same. True when accepted.
bool check_firmware_file(const std::string& path, std::FILE* out);

// The same check, its verdict lines (each ended by a line feed) in text. error gets the
// reader's own text when the file is refused (with a note when its records did not fit in
// memory, which the reader's text alone does not tell).
bool check_firmware_file(const std::string& path, std::string& text, std::string* error = nullptr);

}  // namespace hx4x
