#pragma once

#include <string_view>

namespace hx4x::platform {

// Message-box styles and answers with the values the Windows API gives them, so that
// every front end and the Win32 box agree on one vocabulary.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_ICONMASK = 0xF0;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;

inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

using WindowHandle = void*;

// The platform's own modal box: MessageBoxA on Windows. Where there is no windowing
// system it writes title, kind and text to standard error and answers a Yes/No
// question with No, so that an unattended run never agrees to anything.
int show_message_box(WindowHandle owner, std::string_view text, std::string_view title,
                     unsigned style);

}  // namespace hx4x::platform
