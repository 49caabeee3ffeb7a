#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AuxLib/operator_message.hpp"

namespace hx4x {

// One pending window event, opaque to the controller except for the one thing a cancel
// needs to know: whether it is a key-down of Enter or Escape.
class ViewEvent {
  public:
    virtual ~ViewEvent() = default;
    virtual bool is_cancel_key() const = 0;
};

struct IdentificationRow {
    std::string label;
    std::string value;
    bool operator==(const IdentificationRow&) const = default;
};

// Wizard pages.
inline constexpr int page_readme = 0;
inline constexpr int page_instruments = 1;
inline constexpr int page_update = 2;

// What a running step shows and hears: the caption, the bar, the pending input and the
// message boxes. Every front end has these, whether on widgets or on a terminal.
class ProgressView {
  public:
    virtual ~ProgressView() = default;

    // Sets the status caption and repaints at once.
    virtual void set_status(const std::string& text) = 0;
    virtual void set_progress_range(std::uint32_t max) = 0;
    virtual std::uint32_t progress_max() const = 0;
    virtual void set_progress(std::uint32_t position) = 0;

    // The next pending event, removed from the queue; null when none is pending.
    virtual std::unique_ptr<ViewEvent> take_event() = 0;
    // Lets the front end process the event (this may call back into the controller).
    virtual void dispatch(std::unique_ptr<ViewEvent> event) = 0;
    // Removes every pending event, processing repaints only.
    virtual void drain_paint_events() = 0;

    // A modal box of this kind, shown; question boxes are asked with Yes as the default.
    virtual void show_message(MessageKind kind, const std::string& text) = 0;
    virtual bool ask_yes_no(const std::string& text) = 0;
};

// The list of connected instruments, one VISA address a line.
class InstrumentListView {
  public:
    virtual ~InstrumentListView() = default;

    virtual void list_clear() = 0;
    virtual void list_add(const std::string& text) = 0;
    virtual std::size_t list_count() const = 0;
    virtual void list_select(std::size_t index) = 0;
    // The selected line, or empty when the list is empty.
    virtual std::string list_selected_text() const = 0;
};

// What the update controller asks of every front end to search, open and update a counter.
class UpdateView : public ProgressView, public InstrumentListView {
  public:
    virtual int current_page() const = 0;
    // Switches the wizard; page 2 may be refused when the counter cannot be opened.
    virtual void show_page(int page) = 0;

    virtual void enter_busy_state() = 0;
    virtual void leave_busy_state() = 0;
    virtual void hide_cancel() = 0;

    // Rebuilds the identification view; whether the counter session is open.
    virtual bool refresh_identification() = 0;
    // The rows of the identification view as displayed, in order.
    virtual std::vector<IdentificationRow> identification_rows() const = 0;

    // The firmware file box: the selected entry, or the typed text.
    virtual std::string file_box_text() const = 0;
};

}  // namespace hx4x
