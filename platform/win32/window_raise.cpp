#include "platform/window_raise.hpp"

#include <windows.h>

namespace hx4x::platform {

bool raise_window_titled(const std::string& title) {
    const HWND window = FindWindowA(nullptr, title.c_str());
    if (window == nullptr) {
        return false;
    }
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(window, &placement) != 0 && placement.showCmd == SW_SHOWMINIMIZED) {
        ShowWindow(window, SW_RESTORE);
    } else {
        ShowWindow(window, SW_SHOW);
    }
    // Only the foreground thread may hand the foreground on: join its input for the call.
    const DWORD own_thread = GetCurrentThreadId();
    const HWND foreground = GetForegroundWindow();
    const DWORD foreground_thread =
        foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const bool attached = foreground_thread != 0 && foreground_thread != own_thread &&
                          AttachThreadInput(own_thread, foreground_thread, TRUE) != 0;
    SetForegroundWindow(window);
    if (attached) {
        AttachThreadInput(own_thread, foreground_thread, FALSE);
    }
    return true;
}

}  // namespace hx4x::platform
