#include "platform/process_info.hpp"

#include <windows.h>

#include <array>
#include <cstdio>

namespace hx4x::platform {

std::uint64_t process_id() {
    return GetCurrentProcessId();
}

// The session: named events live in it already, but named pipes are machine-wide, and on a
// terminal server several users run the program at once.
std::uint64_t user_id() {
    DWORD session = 0;
    return ProcessIdToSessionId(GetCurrentProcessId(), &session) != 0 ? session : 0;
}

std::string utc_time_text() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    return text;
}

std::string host_name() {
    std::array<wchar_t, 256> name{};
    auto length = static_cast<DWORD>(name.size());
    if (GetComputerNameExW(ComputerNameDnsHostname, name.data(), &length) == 0 || length == 0) {
        return {};
    }
    const int wide_length = static_cast<int>(length);
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, name.data(), wide_length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, name.data(), wide_length, text.data(), size, nullptr, nullptr);
    return text;
}

}  // namespace hx4x::platform
