#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string_view>

namespace hx4x::win32 {

// Fills the rich-text box with the readme's RTF as the program carries it, then puts the
// product text in place of every product placeholder and the release file name in place of
// every file name placeholder. An empty document leaves the box empty.
void fill_readme_box(HWND box, std::span<const std::uint8_t> rtf, std::string_view product,
                     std::string_view file_name);

}  // namespace hx4x::win32
