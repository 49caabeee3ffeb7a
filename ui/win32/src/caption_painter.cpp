#include "caption_painter.hpp"

namespace hx4x::win32 {

namespace {

// The artwork's darkest ink: white on it reads at about 18:1, and it sits with the navy of
// the main brand as well as with a partner's colour.
constexpr COLORREF outline_colour = RGB(0x0b, 0x18, 0x26);
constexpr UINT caption_format = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX;

}  // namespace

HFONT make_caption_font(HFONT dialog_font) {
    LOGFONTA font{};
    if (dialog_font == nullptr || GetObjectA(dialog_font, sizeof font, &font) == 0) {
        return nullptr;
    }
    // Crisp letters: a smoothed edge would blend the white into the rim and leave grey,
    // barely darker than a pale picture, right where the letter meets it.
    font.lfQuality = NONANTIALIASED_QUALITY;
    return CreateFontIndirectA(&font);
}

void draw_outlined_caption(HDC dc, const RECT& area, const std::string& text, HFONT font) {
    const HGDIOBJ previous_font = font != nullptr ? SelectObject(dc, font) : nullptr;
    const int previous_mode = SetBkMode(dc, TRANSPARENT);
    RECT inner = area;
    InflateRect(&inner, -caption_outline, -caption_outline);
    const auto draw_at = [&](int dx, int dy) {
        RECT moved = inner;
        OffsetRect(&moved, dx, dy);
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &moved, caption_format);
    };
    // The rim: the letters in the dark ink moved by one pixel in each of the eight
    // directions, so every pixel that touches a letter is dark whatever lies beneath.
    const COLORREF previous_colour = SetTextColor(dc, outline_colour);
    for (int dy = -caption_outline; dy <= caption_outline; ++dy) {
        for (int dx = -caption_outline; dx <= caption_outline; ++dx) {
            if (dx != 0 || dy != 0) {
                draw_at(dx, dy);
            }
        }
    }
    SetTextColor(dc, RGB(255, 255, 255));
    draw_at(0, 0);
    SetTextColor(dc, previous_colour);
    SetBkMode(dc, previous_mode);
    if (previous_font != nullptr) {
        SelectObject(dc, previous_font);
    }
}

SIZE caption_extent(HWND control, const std::string& text, HFONT font) {
    SIZE size{};
    const HDC dc = GetDC(control);
    if (dc == nullptr) {
        return size;
    }
    const HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (previous != nullptr) {
        SelectObject(dc, previous);
    }
    ReleaseDC(control, dc);
    size.cx += 2 * caption_outline;
    size.cy += 2 * caption_outline;
    return size;
}

}  // namespace hx4x::win32
