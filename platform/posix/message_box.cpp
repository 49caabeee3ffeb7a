#include "platform/message_box.hpp"

#include <cstdio>
#include <string>

namespace hx4x::platform {

namespace {

const char* kind_of(unsigned style) {
    switch (style & MB_ICONMASK) {
        case MB_ICONERROR:
            return "error";
        case MB_ICONWARNING:
            return "warning";
        case MB_ICONQUESTION:
            return "question";
        default:
            return "information";
    }
}

}  // namespace

int show_message_box(WindowHandle, std::string_view text, std::string_view title, unsigned style) {
    std::string line;
    line.append(title).append(": ").append(kind_of(style)).append(": ").append(text).append("\n");
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return (style & MB_YESNO) != 0 ? IDNO : IDOK;
}

}  // namespace hx4x::platform
