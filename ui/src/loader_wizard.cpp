#include "ui/loader_wizard.hpp"

#include <filesystem>
#include <system_error>

#include "instrument/discovery.hpp"
#include "ui/settings_texts.hpp"

namespace hx4x {

namespace {

constexpr char instruments_caption[] = "Connected instruments:";
constexpr char masked_caption_head[] = "Connected instruments (matched by \"";
constexpr char masked_caption_tail[] = "\"):";

// The open-file dialog of the system takes a folder and a name of at most this many bytes.
constexpr std::size_t browse_field_limit = 259;

// Cut to the limit without splitting a UTF-8 sequence.
std::string cut_to_field(std::string text) {
    if (text.size() <= browse_field_limit) {
        return text;
    }
    std::size_t end = browse_field_limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u) {
        --end;
    }
    text.resize(end);
    return text;
}

}  // namespace

LoaderWizard::LoaderWizard(WizardWindow& window)
    : window_(window), controller_(static_cast<LoaderView&>(*this)) {}

void LoaderWizard::set_settings_file(const std::string& path) {
    settings_.set_path(path);
}
void LoaderWizard::set_firmware_file(const std::string& path) {
    controller_.set_firmware_file(path);
}
void LoaderWizard::set_mask(const std::string& mask) {
    controller_.set_mask(mask);
}
void LoaderWizard::set_selected_address(const std::string& address) {
    controller_.set_selected_address(address);
}
void LoaderWizard::set_start(bool start) {
    start_option_ = start;
    controller_.set_start(start);
}
void LoaderWizard::set_skip_readme(bool skip) {
    skip_readme_ = skip;
    controller_.set_skip_readme(skip);
}
void LoaderWizard::set_skip_burning(bool skip) {
    controller_.set_skip_burning(skip);
}
void LoaderWizard::set_dump_sending(bool dump) {
    controller_.set_dump_sending(dump);
}
void LoaderWizard::set_dump_firmware(bool dump) {
    controller_.set_dump_firmware(dump);
}

void LoaderWizard::initialise() {
    const int first_page = start_option_  ? page_update
                           : skip_readme_ ? page_instruments
                                          : page_readme;
    std::string address = controller_.selected_address();
    std::string firmware = controller_.firmware_file();
    load_last_used(settings_, address, firmware);
    controller_.set_selected_address(address);
    controller_.set_firmware_file(firmware);
    window_.set_title(title_);

    const Extent logo = window_.logo_size();
    const Extent background = window_.background_size();
    client_ = ClientArea{{logo.width, logo.height + background.height}, logo.height};
    window_.set_client_size(client_.size);
    for (std::size_t i = 0; i < control_count; ++i) {
        sizes_[i] = window_.control_size(static_cast<Control>(i));
    }

    recent_.load(settings_, controller_.firmware_file());
    mirror_recent_files();
    window_.accept_drops();
    window_.load_readme();

    // No search has run yet, so page 2 refuses itself here; it is shown all the same, with
    // an empty identification view, and stays the page.
    page_ = first_page;
    if (!place_page(first_page)) {
        place_page(first_page);
    }
    window_.repaint_now();
    window_.post_request(start_option_ ? WizardRequest::auto_start
                                       : WizardRequest::initial_refresh);
}

void LoaderWizard::show_placement(const Placement& placement) {
    window_.place_controls(placement);
    window_.set_tab_order(reading_order(placement));
}

bool LoaderWizard::place_page(int page) {
    shown_page_ = page;
    show_placement(page_placement(page, sizes_, client_, !skip_readme_));
    switch (page) {
        case page_instruments: {
            const std::string& mask = controller_.mask();
            window_.set_instruments_caption(mask.empty()
                                                ? std::string(instruments_caption)
                                                : masked_caption_head + mask + masked_caption_tail);
            set_instruments_page_buttons(!counter_list().empty());
            return true;
        }
        case page_update:
            window_.make_default(Control::start);
            return refresh_identification();
        default:
            window_.set_enabled(Control::next, true);
            window_.make_default(Control::next);
            window_.rewind_readme();
            return true;
    }
}

void LoaderWizard::show_page(int page) {
    switch_page(page);
}

void LoaderWizard::switch_page(int page) {
    if (page != page_instruments && page != page_update) {
        page = page_readme;
    }
    const int previous = page_;
    if (place_page(page)) {
        page_ = page;
    } else {
        place_page(previous);
    }
    window_.repaint_now();
}

void LoaderWizard::next() {
    if (page_ == page_update) {
        return;
    }
    if (page_ == page_readme) {
        controller_.refresh_instruments();
    }
    switch_page(page_ + 1);
}

void LoaderWizard::back() {
    if (page_ == page_readme) {
        return;
    }
    if (page_ == page_update) {
        controller_.refresh_instruments();
    }
    switch_page(page_ - 1);
}

void LoaderWizard::start() {
    controller_.start_update();
}

void LoaderWizard::refresh() {
    controller_.refresh_instruments();
}

void LoaderWizard::close_requested() {
    controller_.request_close();
}

void LoaderWizard::instrument_selected() {
    controller_.instrument_selected();
}

void LoaderWizard::file_box_accepted() {
    controller_.set_firmware_file(window_.file_box_text());
    remember_file(controller_.firmware_file());
}

BrowseStart LoaderWizard::browse_start() const {
    const std::string& current = controller_.firmware_file();
    if (current.empty()) {
        return {};
    }
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(current), error);
    if (error) {
        path = std::filesystem::path(current);
    }
    return {cut_to_field(path.parent_path().string()), cut_to_field(path.filename().string())};
}

void LoaderWizard::file_browsed(const std::string& path) {
    controller_.set_firmware_file(path);
    remember_file(controller_.firmware_file());
}

void LoaderWizard::file_dropped(const std::string& path) {
    controller_.file_dropped(path);
}

void LoaderWizard::request(WizardRequest request) {
    if (request == WizardRequest::auto_start) {
        controller_.auto_start();
    } else {
        controller_.auto_refresh();
    }
}

void LoaderWizard::enter_busy_state() {
    show_placement(busy_placement(sizes_, client_));
    for (const Control control :
         {Control::file_box, Control::back, Control::start, Control::browse}) {
        window_.set_enabled(control, false);
    }
}

void LoaderWizard::leave_busy_state() {
    show_placement(page_placement(shown_page_, sizes_, client_, !skip_readme_));
    for (const Control control :
         {Control::file_box, Control::back, Control::browse, Control::start}) {
        window_.set_enabled(control, true);
    }
    window_.make_default(Control::start);
}

bool LoaderWizard::refresh_identification() {
    const bool open = controller_.rebuild_identification(rows_);
    window_.show_identification(rows_);
    return open;
}

void LoaderWizard::remember_file(const std::string& name) {
    recent_.remember_file(name);
    mirror_recent_files();
}

void LoaderWizard::mirror_recent_files() {
    window_.show_recent_files(recent_.entries(), recent_.selected());
}

void LoaderWizard::set_instruments_page_buttons(bool found) {
    if (shown_page_ != page_instruments) {
        return;
    }
    window_.set_enabled(Control::next, found);
    window_.make_default(found ? Control::next : Control::refresh);
}

void LoaderWizard::save_settings() {
    if (save_loader_settings(settings_, recent_, controller_.firmware_file(),
                             controller_.selected_address()) ||
        save_failure_reported_) {
        return;
    }
    // Said once: the operator can do nothing about it before the next start.
    save_failure_reported_ = true;
    window_.show_message(MessageKind::warning, settings_save_failed(settings_.path()));
}

}  // namespace hx4x
