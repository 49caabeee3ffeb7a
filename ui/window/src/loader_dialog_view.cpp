// The wizard's operations on the window's widgets.
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTextBrowser>

#include "AuxLib/operator_message.hpp"
#include "platform/message_box.hpp"
#include "ui_window/loader_dialog.hpp"
#include "ui_window/qt_text.hpp"

namespace hx4x {

namespace {

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

Extent LoaderDialog::control_size(Control which) const {
    const QSize size = sizes_[static_cast<std::size_t>(which)];
    return {size.width(), size.height()};
}

Extent LoaderDialog::logo_size() const {
    return {identity_.logo.width(), identity_.logo.height()};
}

Extent LoaderDialog::background_size() const {
    return {identity_.background.width(), identity_.background.height()};
}

void LoaderDialog::set_client_size(Extent size) {
    setFixedSize(size.width, size.height);
}

QSize LoaderDialog::client_size() const {
    const ClientArea& client = wizard_.client();
    return {client.size.width, client.size.height};
}

void LoaderDialog::set_title(const std::string& title) {
    setWindowTitle(to_qt(title));
}

void LoaderDialog::load_readme() {
    readme_->setDocument(to_qt_document(identity_.readme, readme_));
}

void LoaderDialog::rewind_readme() {
    QTextCursor cursor = readme_->textCursor();
    cursor.movePosition(QTextCursor::Start);
    readme_->setTextCursor(cursor);
}

void LoaderDialog::accept_drops() {
    setAcceptDrops(true);
}

void LoaderDialog::place_controls(const Placement& placement) {
    for (std::size_t i = 0; i < control_count; ++i) {
        QWidget* widget = controls_[i];
        const std::optional<Rect>& rect = placement[static_cast<Control>(i)];
        if (!rect) {
            widget->hide();
            continue;
        }
        widget->setFixedSize(rect->width, rect->height);
        widget->move(rect->x, rect->y);
        widget->show();
    }
}

void LoaderDialog::hide_control(Control which) {
    control(which)->hide();
}

void LoaderDialog::set_enabled(Control which, bool enabled) {
    control(which)->setEnabled(enabled);
}

void LoaderDialog::make_default(Control which) {
    auto* button = qobject_cast<QPushButton*>(control(which));
    for (QPushButton* other : findChildren<QPushButton*>()) {
        other->setDefault(other == button);
    }
    control(which)->setFocus();
}

void LoaderDialog::set_tab_order(const std::vector<Control>& order) {
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(control(order[i - 1]), control(order[i]));
    }
}

void LoaderDialog::set_instruments_caption(const std::string& text) {
    instruments_label_->setText(to_qt(text));
}

void LoaderDialog::show_identification(const std::vector<IdentificationRow>& rows) {
    identification_->setRowCount(0);
    for (const IdentificationRow& row : rows) {
        const int at = identification_->rowCount();
        identification_->insertRow(at);
        identification_->setItem(at, 0, new QTableWidgetItem(to_qt(row.label)));
        identification_->setItem(at, 1, new QTableWidgetItem(to_qt(row.value)));
        // Five rows fill the view exactly.
        identification_->setRowHeight(at, (identification_->height() - 4) / 5);
    }
}

void LoaderDialog::show_recent_files(const std::vector<std::string>& entries,
                                     std::optional<std::size_t> selected) {
    const QSignalBlocker quiet(file_box_);
    file_box_->clear();
    for (const std::string& entry : entries) {
        file_box_->addItem(to_qt(entry));
    }
    file_box_->setCurrentIndex(selected ? static_cast<int>(*selected) : -1);
    if (!selected) {
        file_box_->setEditText(QString());
    }
}

std::string LoaderDialog::file_box_text() const {
    // The edit field shows the selected entry, or what the operator typed over it.
    return from_qt(file_box_->currentText());
}

void LoaderDialog::repaint_now() {
    repaint();
}

void LoaderDialog::post_request(WizardRequest request) {
    const int type =
        request == WizardRequest::auto_start ? auto_start_event : initial_refresh_event;
    QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(type)));
}

void LoaderDialog::close_dialog() {
    done(QDialog::Accepted);
}

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

}  // namespace hx4x
