#include "platform/message_box.hpp"

#include <windows.h>

#include <string>

#include "message_box_text.hpp"

namespace hx4x::platform {

// The styles and answers are handed to and from MessageBoxA unchanged.
static_assert(box_ok == MB_OK && box_yes_no == MB_YESNO && box_icon_error == MB_ICONERROR &&
              box_icon_question == MB_ICONQUESTION && box_icon_warning == MB_ICONWARNING &&
              box_icon_information == MB_ICONINFORMATION && box_icon_mask == MB_ICONMASK &&
              box_default_button_2 == MB_DEFBUTTON2);
static_assert(answer_ok == IDOK && answer_yes == IDYES && answer_no == IDNO);

namespace {

using MessageBoxFunction = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);

// Looked up when a box is first shown, not imported: a console program that loads the
// window library no longer receives the log-off and shut-down events, and the console
// front end must, to cancel at a safe point.
MessageBoxFunction message_box_function() {
    static const MessageBoxFunction function = [] {
        const HMODULE library = LoadLibraryA("user32.dll");
        return library != nullptr ? reinterpret_cast<MessageBoxFunction>(reinterpret_cast<void*>(
                                        GetProcAddress(library, "MessageBoxA")))
                                  : nullptr;
    }();
    return function;
}

}  // namespace

int show_message_box(WindowHandle owner, std::string_view text, std::string_view title,
                     unsigned style) {
    const std::string text_z(text);
    const std::string title_z(title);
    const MessageBoxFunction box = message_box_function();
    const int answer =
        box != nullptr ? box(static_cast<HWND>(owner), text_z.c_str(), title_z.c_str(), style) : 0;
    // No desktop to show it on (a service, a session without one): the text is not lost.
    return answer > 0 ? answer : message_box_on_standard_error(text, title, style);
}

}  // namespace hx4x::platform
