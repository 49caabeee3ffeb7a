// HX4xLoader and its rebranded copies: the firmware loader's window on Windows.
#include <windows.h>

#include "loader_startup.hpp"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return hx4x::win32::run_loader();
}
