#include "ui/update_controller.hpp"

#include "AuxLib/scope_guard.hpp"
#include "firmware/file_helpers.hpp"
#include "instrument/discovery.hpp"
#include "instrument/visa_library.hpp"
#include "ui/controller_texts.hpp"
#include "ui/identification_rows.hpp"

namespace hx4x {

namespace text = controller_text;

UpdateController::UpdateController(LoaderView& view) : view_(view) {}

bool UpdateController::refresh_instruments() {
    const std::string wanted = selected_address_;
    view_.list_clear();
    find_counters(mask_);

    std::size_t index = 0;
    bool wanted_found = false;
    const std::vector<CounterIdentity>& counters = counter_list();
    for (std::size_t i = 0; i < counters.size(); ++i) {
        view_.list_add(counters[i].resource_name);
        if (counters[i].resource_name == wanted) {
            index = i;
            wanted_found = true;
        }
    }

    const bool found = view_.list_count() > 0;
    if (!found) {
        const VisaLibrary& visa = VisaLibrary::instance();
        view_.show_message(MessageKind::error, !visa.is_bound()      ? text::visa_not_installed
                                               : visa.is_available() ? text::no_instruments
                                                                     : text::visa_init_error);
    } else {
        view_.list_select(wanted_found ? index : 0);
    }
    if (view_.current_page() == page_instruments) {
        view_.set_instruments_page_buttons(found);
    }
    // An empty list forgets the address, so an absent counter is not remembered at exit.
    selected_address_ = view_.list_selected_text();
    return found;
}

bool UpdateController::open_selected_counter() {
    if (protocol_.session().is_open()) {
        protocol_.disconnect();
    }
    if (selected_address_.empty() || view_.list_count() == 0) {
        return false;
    }
    if (protocol_.connect(selected_address_)) {
        return true;
    }
    view_.show_message(MessageKind::error,
                       text::open_failure_head + selected_address_ + text::open_failure_tail);
    return false;
}

void UpdateController::start_update() {
    if (view_.current_page() != page_update) {
        return;
    }
    ScopeGuard disconnect([this] { protocol_.disconnect(); });

    if (!open_selected_counter()) {
        view_.show_page(page_instruments);
        if (view_.current_page() != page_instruments) {
            view_.show_page(page_update);
        }
        return;
    }
    view_.refresh_identification();

    firmware_file_ = view_.file_box_text();
    if (firmware_file_.empty()) {
        view_.show_message(MessageKind::error, text::no_firmware_file);
        return;
    }
    if (!file_exists(firmware_file_)) {
        view_.show_message(MessageKind::error, text::firmware_file_missing + firmware_file_);
        return;
    }
    view_.remember_file(firmware_file_);
    run_update(firmware_file_);
}

void UpdateController::request_close() {
    if (update_running_) {
        // The run notices at its next progress report; the window stays open.
        update_running_ = false;
        return;
    }
    view_.save_settings();
    view_.close_window();
}

void UpdateController::file_dropped(const std::string& path) {
    if (update_running_) {
        view_.show_message(MessageKind::error, text::already_running);
        return;
    }
    firmware_file_ = path;
    view_.remember_file(path);
    view_.post_auto_start();
}

void UpdateController::auto_start() {
    // A request still queued when a run began reaches us through that run's own event
    // pumping; acting on it would clear the list and reconnect under the running update.
    if (update_running_) {
        return;
    }
    if (refresh_instruments()) {
        start_update();
        return;
    }
    const int page = view_.current_page();
    view_.show_page(page_instruments);
    if (view_.current_page() != page_instruments) {
        view_.show_page(page);
    }
}

void UpdateController::auto_refresh() {
    if (view_.current_page() == page_instruments) {
        refresh_instruments();
    }
}

void UpdateController::instrument_selected() {
    selected_address_ = view_.list_selected_text();
}

bool UpdateController::rebuild_identification(std::vector<IdentificationRow>& rows) {
    const bool was_open = protocol_.session().is_open();
    if (!was_open) {
        open_selected_counter();
    }
    rows = identification_rows(protocol_.identity());
    const bool open_now = protocol_.session().is_open();
    if (!was_open) {
        // A counter opened only to fill the view is closed again; the rows keep its values.
        protocol_.disconnect();
    }
    return open_now;
}

bool UpdateController::confirm_update(const FirmwareVersion& version, const std::string& file) {
    std::string question = "Selected counter:\n\n";
    for (const IdentificationRow& row : view_.identification_rows()) {
        question += "\t" + row.label + "\t";
        if (row.label == "Model:") {
            question += "\t";
        }
        question += row.value + "\n";
    }
    question += "\nSelected firmware file:\n\n\tFile name:\t" + file + "\n";
    if (version.known) {
        question += "\tFirmware version:\t" + version.text + "\n";
    }
    question += "\n\nContinue with firmware update?";
    return view_.ask_yes_no(question);
}

}  // namespace hx4x
