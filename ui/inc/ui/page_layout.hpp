#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace hx4x {

// The controls of the wizard window, whatever toolkit draws them.
enum class Control : std::uint8_t {
    readme,
    identification,
    instruments,
    refresh,
    browse,
    cancel,
    instruments_label,
    identification_label,
    exit,
    status,
    progress,
    next,
    back,
    file_label,
    start,
    file_box,
};
inline constexpr std::size_t control_count = 16;

// Whether the control takes the keyboard focus (labels and the bar never do).
bool takes_focus(Control control);

struct Extent {
    int width = 0;
    int height = 0;
    bool operator==(const Extent&) const = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool operator==(const Rect&) const = default;
};

// Each control's own size, as the front end made it from the template.
using ControlSizes = std::array<Extent, control_count>;

// The client area: the logo band stacked on the background picture.
struct ClientArea {
    Extent size;
    int logo_height = 0;
};

// Where each shown control stands; a control without a rectangle is hidden.
class Placement {
  public:
    const std::optional<Rect>& operator[](Control control) const {
        return rects_[static_cast<std::size_t>(control)];
    }
    void show(Control control, const Rect& rect) {
        rects_[static_cast<std::size_t>(control)] = rect;
    }
    void hide(Control control) { rects_[static_cast<std::size_t>(control)].reset(); }
    bool shown(Control control) const { return (*this)[control].has_value(); }
    bool operator==(const Placement&) const = default;

  private:
    std::array<std::optional<Rect>, control_count> rects_{};
};

// The controls of a page where they stand; any page other than 1 and 2 is the readme page.
// with_back: whether page 1 has a Back button (not when the readme is skipped).
Placement page_placement(int page, const ControlSizes& sizes, const ClientArea& client,
                         bool with_back);

// Page 2 during an update: Exit gives way to Cancel, and the caption with its bar stand
// centred between the file box and the bottom row.
Placement busy_placement(const ControlSizes& sizes, const ClientArea& client);

// The shown controls that take the focus, in reading order: rows from top to bottom (a row
// being the controls whose heights overlap), each row from left to right.
std::vector<Control> reading_order(const Placement& placement);

}  // namespace hx4x
