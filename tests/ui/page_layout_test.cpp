// Where each page puts its controls on the 580 x 388 client area of the stock pictures, with
// the controls at their template sizes in pixels of Tahoma 8.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "ui/page_layout.hpp"
#include "ui/update_view.hpp"

namespace hx4x {
namespace {

ControlSizes template_sizes() {
    ControlSizes sizes{};
    const auto set = [&](Control control, int width, int height) {
        sizes[static_cast<std::size_t>(control)] = {width, height};
    };
    set(Control::readme, 577, 52);
    set(Control::identification, 132, 73);
    set(Control::instruments, 349, 157);
    set(Control::refresh, 148, 22);
    for (const Control button :
         {Control::browse, Control::cancel, Control::exit, Control::next, Control::back}) {
        set(button, 75, 22);
    }
    set(Control::instruments_label, 117, 13);
    set(Control::identification_label, 133, 13);
    set(Control::status, 96, 13);
    set(Control::progress, 187, 22);
    set(Control::file_label, 102, 13);
    set(Control::start, 126, 22);
    set(Control::file_box, 217, 24);
    return sizes;
}

constexpr ClientArea stock_client{{580, 388}, 48};
constexpr int busy = -1;

struct PlacementCase {
    const char* name;
    int page;  // busy: page 2 during an update
    bool with_back;
    // Every control the page shows, where; the others must be hidden.
    std::vector<std::pair<Control, Rect>> shown;
    std::vector<Control> tab_order;
};

class PagePlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PagePlacement, PutsEachControlWhereThePageSays) {
    const PlacementCase& c = GetParam();
    const Placement placement =
        c.page == busy ? busy_placement(template_sizes(), stock_client)
                       : page_placement(c.page, template_sizes(), stock_client, c.with_back);
    Placement expected;
    for (const auto& [control, rect] : c.shown) {
        expected.show(control, rect);
    }
    for (std::size_t i = 0; i < control_count; ++i) {
        const auto control = static_cast<Control>(i);
        EXPECT_EQ(placement[control], expected[control]) << "control " << i;
    }
    EXPECT_EQ(reading_order(placement), c.tab_order);
}

// Bottom row: y = 388 - 22 - 10; right edge at 570.
INSTANTIATE_TEST_SUITE_P(
    StockPictures, PagePlacement,
    ::testing::Values(
        PlacementCase{"Readme",
                      page_readme,
                      true,
                      {{Control::readme, {10, 58, 560, 288}},
                       {Control::next, {495, 356, 75, 22}},
                       {Control::exit, {10, 356, 75, 22}}},
                      {Control::readme, Control::exit, Control::next}},
        PlacementCase{
            "Instruments",
            page_instruments,
            true,
            {{Control::instruments_label, {10, 58, 560, 13}},
             {Control::instruments, {10, 81, 560, 157}},
             {Control::refresh, {10, 248, 148, 22}},
             {Control::next, {495, 356, 75, 22}},
             {Control::back, {410, 356, 75, 22}},
             {Control::exit, {10, 356, 75, 22}}},
            {Control::instruments, Control::refresh, Control::exit, Control::back, Control::next}},
        PlacementCase{"InstrumentsWithoutReadme",
                      page_instruments,
                      false,
                      {{Control::instruments_label, {10, 58, 560, 13}},
                       {Control::instruments, {10, 81, 560, 157}},
                       {Control::refresh, {10, 248, 148, 22}},
                       {Control::next, {495, 356, 75, 22}},
                       {Control::exit, {10, 356, 75, 22}}},
                      {Control::instruments, Control::refresh, Control::exit, Control::next}},
        PlacementCase{"Update",
                      page_update,
                      true,
                      {{Control::identification_label, {10, 58, 133, 13}},
                       {Control::identification, {10, 81, 560, 73}},
                       {Control::file_label, {10, 164, 102, 13}},
                       {Control::browse, {495, 187, 75, 22}},
                       {Control::file_box, {10, 186, 475, 24}},
                       {Control::start, {444, 356, 126, 22}},
                       {Control::back, {359, 356, 75, 22}},
                       {Control::exit, {10, 356, 75, 22}}},
                      {Control::identification, Control::file_box, Control::browse, Control::exit,
                       Control::back, Control::start}},
        // The caption and its bar centred between the file box (bottom 210) and Cancel (356).
        PlacementCase{"UpdateBusy",
                      busy,
                      true,
                      {{Control::identification_label, {10, 58, 133, 13}},
                       {Control::identification, {10, 81, 560, 73}},
                       {Control::file_label, {10, 164, 102, 13}},
                       {Control::browse, {495, 187, 75, 22}},
                       {Control::file_box, {10, 186, 475, 24}},
                       {Control::start, {444, 356, 126, 22}},
                       {Control::back, {359, 356, 75, 22}},
                       {Control::cancel, {10, 356, 75, 22}},
                       {Control::status, {10, 260, 560, 13}},
                       {Control::progress, {10, 283, 560, 22}}},
                      {Control::identification, Control::file_box, Control::browse, Control::cancel,
                       Control::back, Control::start}}),
    [](const ::testing::TestParamInfo<PlacementCase>& param) { return param.param.name; });

}  // namespace
}  // namespace hx4x
