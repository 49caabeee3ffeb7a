#pragma once

#include <array>

#include "loader_dialog_ids.h"
#include "ui/page_layout.hpp"

namespace hx4x::win32 {

// The template id of each control, in the order of the Control enum.
inline constexpr std::array<int, control_count> control_ids = {
    IDC_README,
    IDC_IDENTIFICATION,
    IDC_INSTRUMENTS,
    IDC_REFRESH,
    IDC_BROWSE,
    IDC_CANCEL_UPDATE,
    IDC_INSTRUMENTS_LABEL,
    IDC_IDENTIFICATION_LABEL,
    IDC_EXIT,
    IDC_STATUS,
    IDC_PROGRESS,
    IDC_NEXT,
    IDC_BACK,
    IDC_FILE_LABEL,
    IDC_START,
    IDC_FILE_BOX,
};

inline int control_id(Control control) {
    return control_ids[static_cast<std::size_t>(control)];
}

// The captions on the picture, which draw themselves.
inline bool is_caption_id(int id) {
    return id == IDC_INSTRUMENTS_LABEL || id == IDC_IDENTIFICATION_LABEL || id == IDC_STATUS ||
           id == IDC_FILE_LABEL;
}
inline bool is_caption(Control control) {
    return is_caption_id(control_id(control));
}

}  // namespace hx4x::win32
