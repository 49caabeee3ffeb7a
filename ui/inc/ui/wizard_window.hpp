#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "ui/page_layout.hpp"
#include "ui/update_view.hpp"

namespace hx4x {

// The requests a window posts to itself, handled after the event that posted them.
enum class WizardRequest { auto_start, initial_refresh };

// What a dialog does for the wizard: its controls and nothing else. Where controls stand,
// which are enabled, which button is the default and what they show are the wizard's
// decisions; the dialog carries them out on its toolkit's widgets.
class WizardWindow : public ProgressView, public InstrumentListView {
  public:
    // The size each control got from the template (labels at least their caption's).
    virtual Extent control_size(Control control) const = 0;
    // The pixel sizes of the logo band and the background picture.
    virtual Extent logo_size() const = 0;
    virtual Extent background_size() const = 0;
    // Keeps the top-left corner and gives the window a client area of this size.
    virtual void set_client_size(Extent size) = 0;
    virtual void set_title(const std::string& title) = 0;
    // Loads the readme document into the rich-text box.
    virtual void load_readme() = 0;
    // Collapses the readme's selection to its start.
    virtual void rewind_readme() = 0;
    // Accepts files dropped on the window from now on.
    virtual void accept_drops() = 0;

    // Shows the placed controls where they stand and hides every other one.
    virtual void place_controls(const Placement& placement) = 0;
    virtual void hide_control(Control control) = 0;
    virtual void set_enabled(Control control, bool enabled) = 0;
    // Makes the button the default one and gives it the focus.
    virtual void make_default(Control button) = 0;
    // The order in which Tab walks the shown controls.
    virtual void set_tab_order(const std::vector<Control>& order) = 0;

    virtual void set_instruments_caption(const std::string& text) = 0;
    virtual void show_identification(const std::vector<IdentificationRow>& rows) = 0;
    // The file box's list and its selected entry; no selection empties the edit field.
    virtual void show_recent_files(const std::vector<std::string>& entries,
                                   std::optional<std::size_t> selected) = 0;
    // The edit field's text: the selected entry, or what the operator typed over it.
    virtual std::string file_box_text() const = 0;

    // Repaints the whole window at once.
    virtual void repaint_now() = 0;
    virtual void post_request(WizardRequest request) = 0;
    // Ends the modal run of the window.
    virtual void close_dialog() = 0;
};

}  // namespace hx4x
