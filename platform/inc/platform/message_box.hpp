#pragma once

#include <string_view>

namespace hx4x::platform {

// Message-box styles and answers. Their values are the Windows API's (the Win32 box
// checks that), but not its names: <windows.h> makes those macros, which would break
// every file that sees both.
inline constexpr unsigned box_ok = 0x0;
inline constexpr unsigned box_yes_no = 0x4;
inline constexpr unsigned box_icon_error = 0x10;
inline constexpr unsigned box_icon_question = 0x20;
inline constexpr unsigned box_icon_warning = 0x30;
inline constexpr unsigned box_icon_information = 0x40;
inline constexpr unsigned box_icon_mask = 0xF0;
inline constexpr unsigned box_default_button_2 = 0x100;

inline constexpr int answer_ok = 1;
inline constexpr int answer_yes = 6;
inline constexpr int answer_no = 7;

using WindowHandle = void*;

// The platform's own modal box: MessageBoxA on Windows. Where there is no windowing
// system (or Windows cannot show the box) it writes title, kind and text to standard
// error and answers a Yes/No question with No, so that an unattended run never agrees to
// anything.
int show_message_box(WindowHandle owner, std::string_view text, std::string_view title,
                     unsigned style);

}  // namespace hx4x::platform
