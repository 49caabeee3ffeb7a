#include "ui_window/loader_dialog.hpp"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTextBrowser>

#include "instrument/discovery.hpp"
#include "ui_window/qt_text.hpp"

namespace hx4x {

namespace {

// The template is laid out in dialog units of Tahoma 8, which are 3/2 pixels wide and
// 13/8 pixels high at the usual 96 dots per inch; the pages then place the controls in
// pixels but keep these sizes.
QSize template_size(int width_units, int height_units) {
    return {width_units * 3 / 2, height_units * 13 / 8};
}

constexpr int gap = 10;

}  // namespace

const int LoaderDialog::auto_start_event = QEvent::registerEventType();
const int LoaderDialog::initial_refresh_event = QEvent::registerEventType();

LoaderDialog::LoaderDialog(Identity identity, InputGate& gate)
    : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint),
      identity_(std::move(identity)),
      gate_(gate),
      controller_(*this) {
    setWindowTitle(to_qt(identity_.program_name));
    if (!identity_.logo.isNull()) {
        setWindowIcon(QIcon(QPixmap::fromImage(
            identity_.logo.copy(0, 0, identity_.logo.height(), identity_.logo.height()))));
    }
    create_controls();
    connect_controls();
}

LoaderDialog::~LoaderDialog() = default;

void LoaderDialog::create_controls() {
    const auto button = [this](const char* caption, int width, int height) {
        auto* control = new QPushButton(QString::fromLatin1(caption), this);
        control->setFixedSize(template_size(width, height));
        control->setAutoDefault(false);
        return control;
    };
    const auto label = [this](const char* caption, int width, int height) {
        auto* control = new QLabel(QString::fromLatin1(caption), this);
        // The template size, unless the system's font needs more for the caption.
        const QSize size = template_size(width, height);
        control->resize(std::max(size.width(), control->sizeHint().width()),
                        std::max(size.height(), control->sizeHint().height()));
        // Captions stand on the picture in white; a press on them drags the window.
        QPalette palette = control->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        control->setPalette(palette);
        control->setAttribute(Qt::WA_TransparentForMouseEvents);
        return control;
    };

    readme_ = new QTextBrowser(this);
    readme_->resize(template_size(385, 32));
    identification_ = new QTableWidget(0, 2, this);
    identification_->resize(template_size(88, 45));
    identification_->horizontalHeader()->hide();
    identification_->verticalHeader()->hide();
    // Five rows fill the template height exactly, as the list view shows them.
    identification_->verticalHeader()->setMinimumSectionSize(1);
    identification_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    identification_->setSelectionMode(QAbstractItemView::SingleSelection);
    identification_->setSelectionBehavior(QAbstractItemView::SelectRows);
    identification_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    identification_->setShowGrid(false);
    identification_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    identification_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    identification_->setColumnWidth(0, 130);
    identification_->setColumnWidth(1, 250);
    instruments_ = new QListWidget(this);
    instruments_->resize(template_size(233, 97));
    instruments_->setSelectionMode(QAbstractItemView::SingleSelection);
    refresh_ = button("Refresh instruments list", 99, 14);
    browse_ = button("Browse...", 50, 14);
    cancel_ = button("Cancel", 50, 14);
    instruments_label_ = label("Connected instruments:", 78, 8);
    identification_label_ = label("Counter identification data:", 89, 8);
    exit_ = button("Exit", 50, 14);
    status_ = label("Loading status", 64, 8);
    progress_ = new QProgressBar(this);
    progress_->resize(template_size(125, 14));
    progress_->setTextVisible(false);
    next_ = button("Next >", 50, 14);
    back_ = button("< Back", 50, 14);
    file_label_ = label("Firmware file name:", 68, 8);
    start_ = button("Start firmware update", 84, 14);
    file_box_ = new QComboBox(this);
    file_box_->setEditable(true);
    file_box_->setInsertPolicy(QComboBox::NoInsert);
    file_box_->resize(template_size(145, 14).width(), file_box_->sizeHint().height());
    for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        control->hide();
    }
}

void LoaderDialog::connect_controls() {
    connect(next_, &QPushButton::clicked, this, [this] { next_clicked(); });
    connect(back_, &QPushButton::clicked, this, [this] { back_clicked(); });
    connect(start_, &QPushButton::clicked, this, [this] { controller_.start_update(); });
    connect(refresh_, &QPushButton::clicked, this, [this] { controller_.refresh_instruments(); });
    connect(browse_, &QPushButton::clicked, this, [this] { browse_clicked(); });
    for (QPushButton* closing : {exit_, cancel_}) {
        connect(closing, &QPushButton::clicked, this, [this] { controller_.request_close(); });
    }
    connect(instruments_, &QListWidget::itemSelectionChanged, this,
            [this] { controller_.instrument_selected(); });
    connect(file_box_, qOverload<int>(&QComboBox::activated), this, [this](int) {
        controller_.set_firmware_file(file_box_text());
        remember_file(controller_.firmware_file());
    });
}

void LoaderDialog::set_settings_file(const std::string& path) {
    settings_.set_path(path);
}
void LoaderDialog::set_firmware_file(const std::string& path) {
    controller_.set_firmware_file(path);
}
void LoaderDialog::set_mask(const std::string& mask) {
    controller_.set_mask(mask);
}
void LoaderDialog::set_selected_address(const std::string& address) {
    controller_.set_selected_address(address);
}
void LoaderDialog::set_start(bool start) {
    start_option_ = start;
    controller_.set_start(start);
}
void LoaderDialog::set_skip_readme(bool skip) {
    skip_readme_ = skip;
    controller_.set_skip_readme(skip);
}
void LoaderDialog::set_skip_burning(bool skip) {
    controller_.set_skip_burning(skip);
}
void LoaderDialog::set_dump_sending(bool dump) {
    controller_.set_dump_sending(dump);
}
void LoaderDialog::set_dump_firmware(bool dump) {
    controller_.set_dump_firmware(dump);
}

void LoaderDialog::initialise() {
    const int first_page = start_option_  ? page_update
                           : skip_readme_ ? page_instruments
                                          : page_readme;
    std::string address = controller_.selected_address();
    std::string firmware = controller_.firmware_file();
    load_last_used(settings_, address, firmware);
    controller_.set_selected_address(address);
    controller_.set_firmware_file(firmware);
    setWindowTitle(to_qt(identity_.program_name));

    logo_height_ = identity_.logo.height();
    client_width_ = identity_.logo.width();
    client_height_ = identity_.logo.height() + identity_.background.height();
    setFixedSize(client_width_, client_height_);

    recent_.load(settings_, controller_.firmware_file());
    mirror_recent_files();
    setAcceptDrops(true);
    readme_->setDocument(to_qt_document(identity_.readme, readme_));

    page_ = first_page;
    if (!place_page(first_page)) {
        place_page(first_page);
    }
    repaint();
    QCoreApplication::postEvent(
        this, new QEvent(static_cast<QEvent::Type>(start_option_ ? auto_start_event
                                                                 : initial_refresh_event)));
}

int LoaderDialog::bottom_row_y(const QWidget* control) const {
    return client_height_ - control->height() - gap;
}

void LoaderDialog::make_default(QPushButton* button) {
    for (QPushButton* other : findChildren<QPushButton*>()) {
        other->setDefault(other == button);
    }
    button->setFocus();
}

bool LoaderDialog::place_page(int page) {
    for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        control->hide();
    }
    const int width = client_width_ - 2 * gap;
    const int top = logo_height_ + gap;
    const auto show_at = [](QWidget* control, int x, int y) {
        control->move(x, y);
        control->show();
    };
    const auto below = [](const QWidget* control) {
        return control->geometry().bottom() + 1 + gap;
    };
    const auto bottom_left = [&](QWidget* control) {
        show_at(control, gap, bottom_row_y(control));
    };
    const auto bottom_right = [&](QWidget* control) {
        show_at(control, client_width_ - control->width() - gap, bottom_row_y(control));
    };
    const auto left_of = [&](QWidget* control, const QWidget* right) {
        show_at(control, right->x() - control->width() - gap, bottom_row_y(control));
    };

    switch (page) {
        case page_instruments: {
            const std::string& mask = controller_.mask();
            instruments_label_->setText(
                mask.empty() ? QStringLiteral("Connected instruments:")
                             : QStringLiteral("Connected instruments (matched by \"") +
                                   to_qt(mask) + QStringLiteral("\"):"));
            instruments_label_->resize(width, instruments_label_->height());
            show_at(instruments_label_, gap, top);
            instruments_->resize(width, instruments_->height());
            show_at(instruments_, gap, below(instruments_label_));
            show_at(refresh_, gap, below(instruments_));
            bottom_right(next_);
            if (!skip_readme_) {
                left_of(back_, next_);
            }
            bottom_left(exit_);
            set_instruments_page_buttons(!counter_list().empty());
            return true;
        }
        case page_update: {
            show_at(identification_label_, gap, top);
            identification_->resize(width, identification_->height());
            show_at(identification_, gap, below(identification_label_));
            show_at(file_label_, gap, below(identification_));
            show_at(browse_, client_width_ - browse_->width() - gap, below(file_label_));
            file_box_->resize(client_width_ - browse_->width() - 3 * gap, file_box_->height());
            show_at(file_box_, gap, browse_->y() + (browse_->height() - file_box_->height()) / 2);
            bottom_right(start_);
            left_of(back_, start_);
            bottom_left(exit_);
            make_default(start_);
            return refresh_identification();
        }
        default: {
            readme_->setGeometry(gap, top, width,
                                 client_height_ - logo_height_ - next_->height() - 3 * gap);
            readme_->show();
            bottom_right(next_);
            exit_->setFixedSize(next_->size());
            bottom_left(exit_);
            next_->setEnabled(true);
            make_default(next_);
            QTextCursor cursor = readme_->textCursor();
            cursor.movePosition(QTextCursor::Start);
            readme_->setTextCursor(cursor);
            return true;
        }
    }
}

void LoaderDialog::show_page(int page) {
    switch_page(page);
}

void LoaderDialog::switch_page(int page) {
    if (page != page_instruments && page != page_update) {
        page = page_readme;
    }
    const int previous = page_;
    if (place_page(page)) {
        page_ = page;
    } else {
        place_page(previous);
    }
    repaint();
}

void LoaderDialog::next_clicked() {
    if (page_ == page_update) {
        return;
    }
    if (page_ == page_readme) {
        controller_.refresh_instruments();
    }
    switch_page(page_ + 1);
}

void LoaderDialog::back_clicked() {
    if (page_ == page_readme) {
        return;
    }
    if (page_ == page_update) {
        controller_.refresh_instruments();
    }
    switch_page(page_ - 1);
}

void LoaderDialog::browse_clicked() {
    QString folder;
    QString name;
    const std::string& current = controller_.firmware_file();
    if (!current.empty()) {
        const QFileInfo info(to_qt(current));
        folder = info.absolutePath().left(259);
        name = info.fileName().left(259);
    }
    QFileDialog dialog(this, QStringLiteral("Browse..."), folder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(
        {QStringLiteral("Hexadecimal File (*.hex)"), QStringLiteral("All Files (*.*)")});
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!name.isEmpty()) {
        dialog.selectFile(name);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    controller_.set_firmware_file(from_qt(dialog.selectedFiles().front()));
    remember_file(controller_.firmware_file());
}

void LoaderDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    painter.drawImage(0, 0, identity_.logo);
    painter.drawImage(0, logo_height_, identity_.background);
}

void LoaderDialog::mousePressEvent(QMouseEvent* event) {
    // The window has no title bar: any free spot of its picture drags it.
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        drag_offset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void LoaderDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton) != 0) {
        move(event->globalPosition().toPoint() - drag_offset_);
    } else {
        dragging_ = false;
    }
}

void LoaderDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void LoaderDialog::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile()) {
        return;
    }
    event->acceptProposedAction();
    // Only the first of the dropped files counts.
    controller_.file_dropped(from_qt(urls.front().toLocalFile()));
}

void LoaderDialog::closeEvent(QCloseEvent* event) {
    // The controller decides: a running update is cancelled instead, an idle window saves
    // its settings and then closes through close_window.
    event->ignore();
    controller_.request_close();
}

void LoaderDialog::reject() {
    // Escape outside an update: as Exit, so the settings are kept.
    controller_.request_close();
}

void LoaderDialog::customEvent(QEvent* event) {
    if (event->type() == auto_start_event) {
        controller_.auto_start();
    } else if (event->type() == initial_refresh_event) {
        controller_.auto_refresh();
    }
}

void LoaderDialog::close_window() {
    done(QDialog::Accepted);
}

void LoaderDialog::post_auto_start() {
    QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(auto_start_event)));
}

}  // namespace hx4x
