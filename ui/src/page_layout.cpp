#include "ui/page_layout.hpp"

#include <algorithm>

#include "ui/update_view.hpp"

namespace hx4x {

namespace {

constexpr int gap = 10;

// Places the controls of one page in pixels of the client area: each keeps its own size
// unless a width is given, the bottom row sits one gap above the bottom edge.
class PagePlacer {
  public:
    PagePlacer(const ControlSizes& sizes, const ClientArea& client)
        : sizes_(sizes), client_(client) {}

    const Extent& size(Control control) const { return sizes_[static_cast<std::size_t>(control)]; }
    int full_width() const { return client_.size.width - 2 * gap; }
    int top() const { return client_.logo_height + gap; }

    Rect at(Control control, int x, int y, std::optional<int> width = std::nullopt) {
        const Rect rect{x, y, width.value_or(size(control).width), size(control).height};
        placement_.show(control, rect);
        return rect;
    }
    static int below(const Rect& above) { return above.bottom() + gap; }
    int bottom_y(const Extent& extent) const { return client_.size.height - extent.height - gap; }
    Rect bottom_left(Control control, Extent extent) {
        const Rect rect{gap, bottom_y(extent), extent.width, extent.height};
        placement_.show(control, rect);
        return rect;
    }
    Rect bottom_right(Control control) {
        const Extent& extent = size(control);
        const Rect rect{client_.size.width - extent.width - gap, bottom_y(extent), extent.width,
                        extent.height};
        placement_.show(control, rect);
        return rect;
    }
    Rect left_of(Control control, const Rect& right) {
        const Extent& extent = size(control);
        const Rect rect{right.x - extent.width - gap, bottom_y(extent), extent.width,
                        extent.height};
        placement_.show(control, rect);
        return rect;
    }

    Placement& placement() { return placement_; }
    const ClientArea& client() const { return client_; }

  private:
    const ControlSizes& sizes_;
    const ClientArea& client_;
    Placement placement_;
};

void place_readme_page(PagePlacer& page) {
    const int height = page.client().size.height - page.client().logo_height -
                       page.size(Control::next).height - 3 * gap;
    page.placement().show(Control::readme, Rect{gap, page.top(), page.full_width(), height});
    page.bottom_right(Control::next);
    // Exit takes Next's size, so the two buttons of the row match.
    page.bottom_left(Control::exit, page.size(Control::next));
}

void place_instruments_page(PagePlacer& page, bool with_back) {
    const Rect label = page.at(Control::instruments_label, gap, page.top(), page.full_width());
    const Rect list =
        page.at(Control::instruments, gap, PagePlacer::below(label), page.full_width());
    page.at(Control::refresh, gap, PagePlacer::below(list));
    const Rect next = page.bottom_right(Control::next);
    if (with_back) {
        page.left_of(Control::back, next);
    }
    page.bottom_left(Control::exit, page.size(Control::exit));
}

void place_update_page(PagePlacer& page) {
    const int width = page.client().size.width;
    const Rect label = page.at(Control::identification_label, gap, page.top());
    const Rect view =
        page.at(Control::identification, gap, PagePlacer::below(label), page.full_width());
    const Rect file_label = page.at(Control::file_label, gap, PagePlacer::below(view));
    const Extent& browse_size = page.size(Control::browse);
    const Rect browse =
        page.at(Control::browse, width - browse_size.width - gap, PagePlacer::below(file_label));
    // The file box stands centred on Browse, filling the row up to it.
    const int box_height = page.size(Control::file_box).height;
    page.at(Control::file_box, gap, browse.y + (browse.height - box_height) / 2,
            width - browse_size.width - 3 * gap);
    const Rect start = page.bottom_right(Control::start);
    page.left_of(Control::back, start);
    page.bottom_left(Control::exit, page.size(Control::exit));
}

}  // namespace

bool takes_focus(Control control) {
    switch (control) {
        case Control::instruments_label:
        case Control::identification_label:
        case Control::file_label:
        case Control::status:
        case Control::progress:
            return false;
        default:
            return true;
    }
}

Placement page_placement(int page, const ControlSizes& sizes, const ClientArea& client,
                         bool with_back) {
    PagePlacer placer(sizes, client);
    switch (page) {
        case page_instruments:
            place_instruments_page(placer, with_back);
            break;
        case page_update:
            place_update_page(placer);
            break;
        default:
            place_readme_page(placer);
            break;
    }
    return placer.placement();
}

Placement busy_placement(const ControlSizes& sizes, const ClientArea& client) {
    PagePlacer placer(sizes, client);
    place_update_page(placer);
    placer.placement().hide(Control::exit);
    const Rect cancel = placer.bottom_left(Control::cancel, placer.size(Control::cancel));
    const int file_bottom = (*placer.placement()[Control::file_box]).bottom();
    const int status_height = placer.size(Control::status).height;
    const int bar_height = placer.size(Control::progress).height;
    const int status_y =
        file_bottom + (cancel.y - file_bottom - status_height - gap - bar_height) / 2;
    const Rect status = placer.at(Control::status, gap, status_y, placer.full_width());
    placer.at(Control::progress, gap, PagePlacer::below(status), placer.full_width());
    return placer.placement();
}

std::vector<Control> reading_order(const Placement& placement) {
    struct Item {
        Control control;
        Rect rect;
    };
    std::vector<Item> items;
    for (std::size_t i = 0; i < control_count; ++i) {
        const auto control = static_cast<Control>(i);
        if (placement.shown(control) && takes_focus(control)) {
            items.push_back({control, *placement[control]});
        }
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.rect.y < b.rect.y; });
    std::vector<Control> order;
    for (std::size_t row_start = 0; row_start < items.size();) {
        // A row: every control that begins above the bottom of the row's lowest one so far.
        int row_bottom = items[row_start].rect.bottom();
        std::size_t row_end = row_start + 1;
        while (row_end < items.size() && items[row_end].rect.y < row_bottom) {
            row_bottom = std::max(row_bottom, items[row_end].rect.bottom());
            ++row_end;
        }
        std::stable_sort(items.begin() + static_cast<std::ptrdiff_t>(row_start),
                         items.begin() + static_cast<std::ptrdiff_t>(row_end),
                         [](const Item& a, const Item& b) { return a.rect.x < b.rect.x; });
        for (std::size_t i = row_start; i < row_end; ++i) {
            order.push_back(items[i].control);
        }
        row_start = row_end;
    }
    return order;
}

}  // namespace hx4x
