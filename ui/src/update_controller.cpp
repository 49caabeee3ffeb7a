#include "ui/update_controller.hpp"

#include "AuxLib/scope_guard.hpp"
#include "app/emulated_version.hpp"
#include "firmware/file_helpers.hpp"
#include "firmware/sha256.hpp"
#include "instrument/discovery.hpp"
#include "instrument/visa_library.hpp"
#include "ui/controller_texts.hpp"
#include "ui/identification_rows.hpp"
#include "ui/run_status.hpp"
#include "ui/update_history.hpp"
#include "update/fill_block.hpp"

namespace hx4x {

namespace text = controller_text;

UpdateController::UpdateController(UpdateView& view) : view_(view) {}

UpdateController::UpdateController(LoaderView& window) : view_(window), window_(&window) {}

bool UpdateController::refresh_instruments() {
    // An event dispatched from inside a step must not clear the list under a running update.
    if (update_running_) {
        return view_.list_count() > 0;
    }
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
    if (window_ != nullptr && view_.current_page() == page_instruments) {
        window_->set_instruments_page_buttons(found);
    }
    // An empty list forgets the address, so an absent counter is not remembered at exit.
    selected_address_ = view_.list_selected_text();
    return found;
}

bool UpdateController::open_selected_counter() {
    // Reconnecting would close the session under a transfer.
    if (update_running_) {
        return protocol_.session().is_open();
    }
    return open_counter();
}

bool UpdateController::open_counter() {
    if (protocol_.session().is_open()) {
        protocol_.disconnect();
    }
    if (selected_address_.empty() || view_.list_count() == 0) {
        return false;
    }
    // The emulated counter lives in this process alone; a real one is shared by the bus.
    if (!emulation_on() && lock_.take(selected_address_) == CounterLock::Claim::held_elsewhere) {
        view_.show_message(MessageKind::error, text::counter_in_use_head + selected_address_ +
                                                   text::counter_in_use_tail);
        return false;
    }
    if (protocol_.connect(selected_address_)) {
        return true;
    }
    lock_.release();
    view_.show_message(MessageKind::error,
                       text::open_failure_head + selected_address_ + text::open_failure_tail);
    return false;
}

void UpdateController::close_counter() {
    protocol_.disconnect();
    lock_.release();
}

void UpdateController::start_update() {
    // A second Start queued during a run must not nest an update inside it.
    if (update_running_ || view_.current_page() != page_update) {
        return;
    }
    ScopeGuard disconnect([this] { close_counter(); });

    outcome_ = UpdateOutcome{};
    // The file is checked before the counter hears anything: a folder, a special file or a
    // file that does not load is refused while the counter is still untouched.
    enter_step(UpdateStep::start_check);
    firmware_file_ = view_.file_box_text();
    outcome_.file = firmware_file_;
    auto reader = std::make_shared<HexFileReader>();
    if (!firmware_file_usable(firmware_file_, *reader)) {
        return;
    }

    enter_step(UpdateStep::open);
    if (!open_selected_counter()) {
        view_.show_page(page_instruments);
        if (view_.current_page() != page_instruments) {
            view_.show_page(page_update);
        }
        return;
    }
    outcome_.before = protocol_.identity();
    view_.refresh_identification();

    if (window_ != nullptr) {
        window_->remember_file(firmware_file_);
    }
    if (!firmware_fits_counter(firmware_file_, *reader)) {
        return;
    }
    run_update(std::move(reader));
    record_update();
}

bool firmware_file_named(const std::string& file, ProgressView& view) {
    if (file.empty()) {
        view.show_message(MessageKind::error, text::no_firmware_file);
        return false;
    }
    if (!file_exists(file)) {
        view.show_message(MessageKind::error, text::firmware_file_missing + file);
        return false;
    }
    return true;
}

bool UpdateController::firmware_file_usable(const std::string& file, HexFileReader& reader) {
    if (!firmware_file_named(file, view_)) {
        return false;
    }
    enter_step(UpdateStep::parse);
    FirmwareVersion version;
    std::string reason;
    if (!load_firmware(reader, file, nullptr, nullptr, &version, &reason)) {
        view_.show_message(MessageKind::error, text::parsing_error(file, reason));
        return false;
    }
    outcome_.file_version = version;
    // The digest goes in the confirmation and the update history: a file whose digest cannot
    // be taken could not be proven later and is not sent.
    if (!file_sha256(file, outcome_.file_sha256, outcome_.file_size, &reason)) {
        view_.show_message(MessageKind::error, text::parsing_error(file, reason));
        return false;
    }
    return true;
}

bool UpdateController::firmware_fits_counter(const std::string& file, const HexFileReader& reader) {
    enter_step(UpdateStep::parse);
    const std::string refusal =
        image_block_refusal(reader.records(), block_width_for(protocol_.identity().version_number));
    if (!refusal.empty()) {
        view_.show_message(MessageKind::error, text::unsendable(file, refusal));
        return false;
    }
    return true;
}

void UpdateController::record_update() {
    history_failure_.clear();
    if (!reached_preparation(outcome_)) {
        return;
    }
    std::string reason;
    if (append_history(history_record(outcome_, exit_status_for(outcome_)), &reason)) {
        return;
    }
    // The console reports it after the run's own result; a window says so at once.
    history_failure_ = reason;
    if (window_ != nullptr) {
        view_.show_message(MessageKind::warning, reason);
    }
}

void UpdateController::reset_selected_counter() {
    if (update_running_) {
        return;
    }
    ScopeGuard disconnect([this] { close_counter(); });
    outcome_ = UpdateOutcome{};
    enter_step(UpdateStep::open);
    if (!open_counter()) {
        return;
    }
    outcome_.before = protocol_.identity();
    enter_step(UpdateStep::reset);
    if (!final_reset()) {
        return;
    }
    enter_step(UpdateStep::reconnect);
    if (!open_counter()) {
        return;
    }
    outcome_.after = protocol_.identity();
    outcome_.end = StepEnd::done;
    view_.refresh_identification();
    std::string report = text::reset_done + identification_text(view_.identification_rows());
    report.pop_back();  // the last row's line end: a message ends without one
    view_.show_message(MessageKind::information, report);
}

bool UpdateController::final_reset() {
    if (protocol_.reset()) {
        return true;
    }
    view_.show_message(MessageKind::error, text::reset_failed);
    return false;
}

void UpdateController::request_close() {
    if (update_running_) {
        // The run notices at its next progress report; the window stays open.
        stop_update();
        return;
    }
    if (window_ != nullptr) {
        window_->save_settings();
        window_->close_window();
    }
}

void UpdateController::file_dropped(const std::string& path) {
    if (update_running_) {
        view_.show_message(MessageKind::error, text::already_running);
        return;
    }
    firmware_file_ = path;
    if (window_ != nullptr) {
        window_->remember_file(path);
        window_->post_auto_start();
    }
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
    if (update_running_) {
        return;
    }
    selected_address_ = view_.list_selected_text();
}

bool UpdateController::rebuild_identification(std::vector<IdentificationRow>& rows) {
    const bool was_open = protocol_.session().is_open();
    if (!was_open) {
        open_counter();
    }
    rows = identification_rows(protocol_.identity());
    const bool open_now = protocol_.session().is_open();
    if (!was_open) {
        // A counter opened only to fill the view is closed again; the rows keep its values.
        close_counter();
    }
    return open_now;
}

bool UpdateController::confirm_update(const FirmwareVersion& version, const std::string& file) {
    std::string question =
        text::confirmation_head + identification_text(view_.identification_rows());
    question += text::confirmation_file + file + "\n";
    if (version.known) {
        question += text::confirmation_version + version.text + "\n";
    }
    if (!outcome_.file_sha256.empty()) {
        question += text::confirmation_sha256 + outcome_.file_sha256 + "\n";
    }
    question += text::confirmation_tail;
    return view_.ask_yes_no(question);
}

void UpdateController::enter_step(UpdateStep step) {
    outcome_.step = step;
    outcome_.end = StepEnd::failed;
}

std::vector<std::uint64_t> bytes_after_records(const std::vector<HexRecord>& records) {
    std::vector<std::uint64_t> bytes;
    bytes.reserve(records.size() + 1);
    std::uint64_t total = 0;
    bytes.push_back(total);
    for (const HexRecord& record : records) {
        if (record.type == 0) {
            total += record.length;
        }
        bytes.push_back(total);
    }
    return bytes;
}

}  // namespace hx4x
