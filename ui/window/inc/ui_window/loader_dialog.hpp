#pragma once

#include <QDialog>
#include <QImage>

#include <memory>
#include <string>
#include <vector>

#include "app/options_receiver.hpp"
#include "ui/loader_settings.hpp"
#include "ui/loader_view.hpp"
#include "ui/recent_files.hpp"
#include "ui/rich_text_document.hpp"
#include "ui/update_controller.hpp"
#include "ui_window/input_gate.hpp"

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTextBrowser;

namespace hx4x {

struct BrandPictures;

// The program's window: a borderless dialog whose client area is the logo band over the
// background picture, with the controls laid over it as a three-page wizard. It is the
// update controller's view and nothing more: every decision is the controller's.
class LoaderDialog : public QDialog, public LoaderView, public OptionsReceiver {
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

    UpdateController& controller() { return controller_; }
    const LoaderSettings& settings() const { return settings_; }
    const RecentFiles& recent_files() const { return recent_; }

    // Fills the window and posts the first request, as a newly opened window does.
    void initialise();

    // OptionsReceiver
    void set_settings_file(const std::string& path) override;
    void set_firmware_file(const std::string& path) override;
    void set_mask(const std::string& mask) override;
    void set_selected_address(const std::string& address) override;
    void set_start(bool start) override;
    void set_skip_readme(bool skip) override;
    void set_skip_burning(bool skip) override;
    void set_dump_sending(bool dump) override;
    void set_dump_firmware(bool dump) override;

    // LoaderView
    int current_page() const override { return page_; }
    void show_page(int page) override;
    void set_status(const std::string& text) override;
    void set_progress_range(std::uint32_t max) override;
    std::uint32_t progress_max() const override;
    void set_progress(std::uint32_t position) override;
    std::unique_ptr<ViewEvent> take_event() override;
    void dispatch(std::unique_ptr<ViewEvent> event) override;
    void drain_paint_events() override;
    void show_message(MessageKind kind, const std::string& text) override;
    bool ask_yes_no(const std::string& text) override;
    void enter_busy_state() override;
    void leave_busy_state() override;
    void hide_cancel() override;
    void list_clear() override;
    void list_add(const std::string& text) override;
    std::size_t list_count() const override;
    void list_select(std::size_t index) override;
    std::string list_selected_text() const override;
    bool refresh_identification() override;
    std::vector<IdentificationRow> identification_rows() const override { return rows_; }
    std::string file_box_text() const override;
    void remember_file(const std::string& name) override;
    void set_instruments_page_buttons(bool found) override;
    void save_settings() override;
    void close_window() override;
    void post_auto_start() override;

    // The controls, for the window's tests.
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
    QTextBrowser* readme_box() const { return readme_; }
    QSize client_size() const { return {client_width_, client_height_}; }

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
    // Places the controls of one page; false when page 2 cannot show an open counter.
    bool place_page(int page);
    void switch_page(int page);
    void next_clicked();
    void back_clicked();
    void browse_clicked();
    void mirror_recent_files();
    void make_default(QPushButton* button);
    int bottom_row_y(const QWidget* control) const;

    Identity identity_;
    InputGate& gate_;
    UpdateController controller_;
    LoaderSettings settings_;
    RecentFiles recent_;
    std::vector<IdentificationRow> rows_;
    int page_ = page_readme;
    bool start_option_ = false;
    bool skip_readme_ = false;
    int client_width_ = 0;
    int client_height_ = 0;
    int logo_height_ = 0;
    QPoint drag_offset_;
    bool dragging_ = false;

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
