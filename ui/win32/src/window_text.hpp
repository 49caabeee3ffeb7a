#pragma once

#include <windows.h>

#include <algorithm>
#include <string>

namespace hx4x::win32 {

// A window's or control's text, whatever its length.
inline std::string window_text(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace hx4x::win32
