#include "platform/message_box.hpp"

#include <windows.h>

#include <string>

namespace hx4x::platform {

int show_message_box(WindowHandle owner, std::string_view text, std::string_view title,
                     unsigned style) {
    const std::string text_z(text);
    const std::string title_z(title);
    return MessageBoxA(static_cast<HWND>(owner), text_z.c_str(), title_z.c_str(), style);
}

}  // namespace hx4x::platform
