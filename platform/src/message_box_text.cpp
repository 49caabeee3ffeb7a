#include "message_box_text.hpp"

#include <cstdio>
#include <string>

#include "platform/message_box.hpp"

namespace hx4x::platform {

namespace {

const char* kind_of(unsigned style) {
    switch (style & box_icon_mask) {
        case box_icon_error:
            return "error";
        case box_icon_warning:
            return "warning";
        case box_icon_question:
            return "question";
        default:
            return "information";
    }
}

}  // namespace

int message_box_on_standard_error(std::string_view text, std::string_view title, unsigned style) {
    std::string line;
    line.append(title).append(": ").append(kind_of(style)).append(": ").append(text).append("\n");
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return (style & box_yes_no) != 0 ? answer_no : answer_ok;
}

}  // namespace hx4x::platform
