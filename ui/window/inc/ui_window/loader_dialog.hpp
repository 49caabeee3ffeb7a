#pragma once

#include <QDialog>
#include <QImage>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ui/loader_wizard.hpp"
#include "ui/rich_text_document.hpp"
#include "ui/wizard_window.hpp"
#include "ui_window/input_gate.hpp"

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTextBrowser;

namespace hx4x {

// The program's window on Qt Widgets: a borderless dialog whose client area is the logo band
// over the background picture, with the controls laid over it. It creates the widgets, puts
// them where the wizard says and turns Qt's events into the wizard's calls; every decision is
// the wizard's or its controller's.
class LoaderDialog : public QDialog, public WizardWindow {
  public:
    // What the window shows that comes from the program file.
    struct Identity {
        std::string program_name;
        RichTextDocument readme;
        QImage logo;
        QImage background;
    };

    LoaderDialog(Identity identity, InputGate& gate);
    ~LoaderDialog() override;

    LoaderWizard& wizard() { return wizard_; }
    const LoaderWizard& wizard() const { return wizard_; }
    UpdateController& controller() { return wizard_.controller(); }

    // Fills the window and posts the first request, as a newly opened window does.
    void initialise() { wizard_.initialise(); }
    // Brings the window to the front with the modal box it is showing, if any, above it.
    void bring_to_front();

    // WizardWindow
    Extent control_size(Control control) const override;
    Extent logo_size() const override;
    Extent background_size() const override;
    void set_client_size(Extent size) override;
    void set_title(const std::string& title) override;
    void load_readme() override;
    void rewind_readme() override;
    void accept_drops() override;
    void place_controls(const Placement& placement) override;
    void hide_control(Control control) override;
    void set_enabled(Control control, bool enabled) override;
    void make_default(Control button) override;
    void set_tab_order(const std::vector<Control>& order) override;
    void set_instruments_caption(const std::string& text) override;
    void show_identification(const std::vector<IdentificationRow>& rows) override;
    void show_recent_files(const std::vector<std::string>& entries,
                           std::optional<std::size_t> selected) override;
    std::string file_box_text() const override;
    void repaint_now() override;
    void post_request(WizardRequest request) override;
    void close_dialog() override;
    void set_status(const std::string& text) override;
    void set_progress_range(std::uint32_t max) override;
    std::uint32_t progress_max() const override;
    void set_progress(std::uint32_t position) override;
    std::unique_ptr<ViewEvent> take_event() override;
    void dispatch(std::unique_ptr<ViewEvent> event) override;
    void drain_paint_events() override;
    void show_message(MessageKind kind, const std::string& text) override;
    bool ask_yes_no(const std::string& text) override;
    void list_clear() override;
    void list_add(const std::string& text) override;
    std::size_t list_count() const override;
    void list_select(std::size_t index) override;
    std::string list_selected_text() const override;

    // The controls, for the window's tests.
    QWidget* control(Control which) const { return controls_[static_cast<std::size_t>(which)]; }
    QPushButton* next_button() const { return next_; }
    QPushButton* back_button() const { return back_; }
    QPushButton* start_button() const { return start_; }
    QPushButton* cancel_button() const { return cancel_; }
    QPushButton* exit_button() const { return exit_; }
    QPushButton* refresh_button() const { return refresh_; }
    QPushButton* browse_button() const { return browse_; }
    QComboBox* file_box() const { return file_box_; }
    QLabel* status_label() const { return status_; }
    QLabel* instruments_label() const { return instruments_label_; }
    QListWidget* instrument_list() const { return instruments_; }
    QTableWidget* identification_view() const { return identification_; }
    QTextBrowser* readme_box() const { return readme_; }
    QSize client_size() const;

    // The window's two requests, handled after the event that posted them.
    static const int auto_start_event;
    static const int initial_refresh_event;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void customEvent(QEvent* event) override;
    void reject() override;

  private:
    void create_controls();
    void connect_controls();
    void browse_clicked();

    Identity identity_;
    InputGate& gate_;
    LoaderWizard wizard_;
    QPoint drag_offset_;
    bool dragging_ = false;

    std::array<QWidget*, control_count> controls_{};
    std::array<QSize, control_count> sizes_{};
    QTextBrowser* readme_ = nullptr;
    QTableWidget* identification_ = nullptr;
    QListWidget* instruments_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* instruments_label_ = nullptr;
    QLabel* identification_label_ = nullptr;
    QPushButton* exit_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* back_ = nullptr;
    QLabel* file_label_ = nullptr;
    QPushButton* start_ = nullptr;
    QComboBox* file_box_ = nullptr;
};

}  // namespace hx4x
