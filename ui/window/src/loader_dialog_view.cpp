// The update controller's view operations on the window's controls.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

#include "AuxLib/operator_message.hpp"
#include "platform/message_box.hpp"
#include "ui/loader_settings.hpp"
#include "ui_window/loader_dialog.hpp"
#include "ui_window/qt_text.hpp"

namespace hx4x {

namespace {

constexpr int gap = 10;

// A pending input event as the controller sees it: opaque but for the cancel keys.
class HeldInput : public ViewEvent {
  public:
    explicit HeldInput(std::unique_ptr<InputGate::HeldEvent> held) : held_(std::move(held)) {}
    bool is_cancel_key() const override { return InputGate::is_cancel_key(*held_->event); }
    InputGate::HeldEvent& held() { return *held_; }

  private:
    std::unique_ptr<InputGate::HeldEvent> held_;
};

}  // namespace

void LoaderDialog::set_status(const std::string& text) {
    status_->setText(to_qt(text));
    repaint();
}

void LoaderDialog::set_progress_range(std::uint32_t max) {
    progress_->setRange(0, static_cast<int>(std::min<std::uint32_t>(max, INT32_MAX)));
}

std::uint32_t LoaderDialog::progress_max() const {
    return static_cast<std::uint32_t>(progress_->maximum());
}

void LoaderDialog::set_progress(std::uint32_t position) {
    progress_->setValue(static_cast<int>(std::min<std::uint32_t>(position, INT32_MAX)));
}

std::unique_ptr<ViewEvent> LoaderDialog::take_event() {
    gate_.collect();
    std::unique_ptr<InputGate::HeldEvent> held = gate_.take();
    if (!held) {
        return nullptr;
    }
    return std::make_unique<HeldInput>(std::move(held));
}

void LoaderDialog::dispatch(std::unique_ptr<ViewEvent> event) {
    if (auto* input = dynamic_cast<HeldInput*>(event.get())) {
        InputGate::deliver(input->held());
    }
}

void LoaderDialog::drain_paint_events() {
    gate_.discard();
}

void LoaderDialog::show_message(MessageKind kind, const std::string& text) {
    OperatorMessage(kind, text).set_owner(static_cast<QWidget*>(this)).show();
}

bool LoaderDialog::ask_yes_no(const std::string& text) {
    return OperatorMessage(MessageKind::question, text)
               .set_owner(static_cast<QWidget*>(this))
               .ask() == platform::answer_yes;
}

void LoaderDialog::enter_busy_state() {
    for (QWidget* control : {static_cast<QWidget*>(file_box_), static_cast<QWidget*>(back_),
                             static_cast<QWidget*>(start_), static_cast<QWidget*>(browse_)}) {
        control->setEnabled(false);
    }
    exit_->hide();
    cancel_->move(gap, client_height_ - cancel_->height() - gap);
    cancel_->show();
    const int width = client_width_ - 2 * gap;
    status_->resize(width, status_->height());
    progress_->resize(width, progress_->height());
    const int file_bottom = file_box_->geometry().bottom() + 1;
    const int label_y =
        file_bottom +
        (cancel_->y() - file_bottom - status_->height() - gap - progress_->height()) / 2;
    status_->move(gap, label_y);
    progress_->move(gap, label_y + status_->height() + gap);
    status_->show();
    progress_->show();
}

void LoaderDialog::leave_busy_state() {
    status_->hide();
    progress_->hide();
    cancel_->hide();
    exit_->move(gap, client_height_ - exit_->height() - gap);
    exit_->show();
    for (QWidget* control : {static_cast<QWidget*>(file_box_), static_cast<QWidget*>(back_),
                             static_cast<QWidget*>(browse_), static_cast<QWidget*>(start_)}) {
        control->setEnabled(true);
    }
    make_default(start_);
}

void LoaderDialog::hide_cancel() {
    cancel_->hide();
}

void LoaderDialog::list_clear() {
    const QSignalBlocker quiet(instruments_);
    instruments_->clear();
}

void LoaderDialog::list_add(const std::string& text) {
    const QSignalBlocker quiet(instruments_);
    instruments_->addItem(to_qt(text));
}

std::size_t LoaderDialog::list_count() const {
    return static_cast<std::size_t>(instruments_->count());
}

void LoaderDialog::list_select(std::size_t index) {
    const QSignalBlocker quiet(instruments_);
    instruments_->setCurrentRow(static_cast<int>(index));
}

std::string LoaderDialog::list_selected_text() const {
    const QListWidgetItem* item = instruments_->currentItem();
    if (instruments_->count() == 0 || item == nullptr) {
        return {};
    }
    return from_qt(item->text());
}

bool LoaderDialog::refresh_identification() {
    const bool open = controller_.rebuild_identification(rows_);
    identification_->setRowCount(0);
    for (const IdentificationRow& row : rows_) {
        const int at = identification_->rowCount();
        identification_->insertRow(at);
        identification_->setItem(at, 0, new QTableWidgetItem(to_qt(row.label)));
        identification_->setItem(at, 1, new QTableWidgetItem(to_qt(row.value)));
        identification_->setRowHeight(at, (identification_->height() - 4) / 5);
    }
    return open;
}

std::string LoaderDialog::file_box_text() const {
    // The edit field shows the selected entry, or what the operator typed over it.
    return from_qt(file_box_->currentText());
}

void LoaderDialog::remember_file(const std::string& name) {
    recent_.remember_file(name);
    mirror_recent_files();
}

void LoaderDialog::mirror_recent_files() {
    const QSignalBlocker quiet(file_box_);
    file_box_->clear();
    for (const std::string& entry : recent_.entries()) {
        file_box_->addItem(to_qt(entry));
    }
    const auto selected = recent_.selected();
    file_box_->setCurrentIndex(selected ? static_cast<int>(*selected) : -1);
    if (!selected) {
        file_box_->setEditText(QString());
    }
}

void LoaderDialog::set_instruments_page_buttons(bool found) {
    if (page_ != page_instruments && !instruments_label_->isVisible()) {
        return;
    }
    next_->setEnabled(found);
    make_default(found ? next_ : refresh_);
}

void LoaderDialog::save_settings() {
    save_loader_settings(settings_, recent_, controller_.firmware_file(),
                         controller_.selected_address());
}

}  // namespace hx4x
