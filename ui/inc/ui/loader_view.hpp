#pragma once

#include <string>

#include "ui/update_view.hpp"

namespace hx4x {

// What the update controller asks beyond an update of a window that keeps the operator's
// choices: the recent files, the page buttons, the settings, closing and the posted request.
// A console has none of these and implements UpdateView alone.
class LoaderView : public UpdateView {
  public:
    virtual void remember_file(const std::string& name) = 0;

    // On page 1: Next enabled and default when found, else Refresh default.
    virtual void set_instruments_page_buttons(bool found) = 0;

    virtual void save_settings() = 0;
    virtual void close_window() = 0;

    // Queues the automatic-start request, handled after the current event.
    virtual void post_auto_start() = 0;
};

}  // namespace hx4x
