#include "readme_box.hpp"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "ui/readme_page.hpp"

namespace hx4x::win32 {

namespace {

struct StreamSource {
    std::span<const std::uint8_t> bytes;
    std::size_t read = 0;
};

DWORD CALLBACK read_rtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto& source = *reinterpret_cast<StreamSource*>(cookie);
    const std::size_t count =
        std::min(source.bytes.size() - source.read, static_cast<std::size_t>(wanted));
    std::memcpy(buffer, source.bytes.data() + source.read, count);
    source.read += count;
    *given = static_cast<LONG>(count);
    return 0;
}

// Replaces each whole-word occurrence, searching on after the text just put in: a
// replacement that holds the placeholder itself would otherwise be found for ever.
void replace_everywhere(HWND box, const char* placeholder, std::string_view replacement) {
    // A line feed would not start a line of its own in the box; a carriage return does.
    std::string text(replacement);
    std::replace(text.begin(), text.end(), '\n', '\r');
    FINDTEXTEXA find{};
    find.lpstrText = placeholder;
    find.chrg.cpMin = 0;
    find.chrg.cpMax = -1;
    for (;;) {
        const LRESULT at = SendMessageA(box, EM_FINDTEXTEX, FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD,
                                        reinterpret_cast<LPARAM>(&find));
        if (at < 0) {
            return;
        }
        SendMessageA(box, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&find.chrgText));
        SendMessageA(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
        CHARRANGE after{};
        SendMessageA(box, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&after));
        find.chrg.cpMin = after.cpMax;
    }
}

}  // namespace

void fill_readme_box(HWND box, std::span<const std::uint8_t> rtf, std::string_view product,
                     std::string_view file_name) {
    if (rtf.empty()) {
        return;
    }
    // The box's own limit (32K characters) would cut a longer document short.
    SendMessageA(box, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    StreamSource source{rtf};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = read_rtf;
    SendMessageA(box, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    replace_everywhere(box, product_placeholder, product);
    replace_everywhere(box, file_name_placeholder, file_name);
}

}  // namespace hx4x::win32
