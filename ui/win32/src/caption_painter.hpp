#pragma once

#include <windows.h>

#include <string>

namespace hx4x::win32 {

// How far the outline reaches beyond the letters, in pixels on every side.
inline constexpr int caption_outline = 1;

// A font for captions: the dialog's own, drawn without smoothing.
HFONT make_caption_font(HFONT dialog_font);

// A caption standing on the brand picture: white letters with a dark outline, so that it
// stays readable on a dark brand band as well as on the pale end of a gradient. The picture
// must already be drawn under it.
void draw_outlined_caption(HDC dc, const RECT& area, const std::string& text, HFONT font);

// The size the caption needs, outline included.
SIZE caption_extent(HWND control, const std::string& text, HFONT font);

}  // namespace hx4x::win32
