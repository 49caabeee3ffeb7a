#include "platform/message_box.hpp"

#include "message_box_text.hpp"

namespace hx4x::platform {

// No windowing system is assumed here.
int show_message_box(WindowHandle, std::string_view text, std::string_view title, unsigned style) {
    return message_box_on_standard_error(text, title, style);
}

}  // namespace hx4x::platform
