#include "ui_window/loader_dialog.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
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

#include "ui_window/caption_label.hpp"
#include "ui_window/qt_text.hpp"

namespace hx4x {

namespace {

// The template is laid out in dialog units of Tahoma 8, which are 3/2 pixels wide and
// 13/8 pixels high at the usual 96 dots per inch; the pages then place the controls in
// pixels but keep these sizes.
QSize template_size(int width_units, int height_units) {
    return {width_units * 3 / 2, height_units * 13 / 8};
}

}  // namespace

const int LoaderDialog::auto_start_event = QEvent::registerEventType();
const int LoaderDialog::initial_refresh_event = QEvent::registerEventType();

LoaderDialog::LoaderDialog(Identity identity, InputGate& gate)
    : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint),
      identity_(std::move(identity)),
      gate_(gate),
      wizard_(*this) {
    wizard_.set_title(identity_.program_name);
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
        auto* control = new CaptionLabel(QString::fromLatin1(caption), this);
        // The template size, unless the system's font needs more for the caption.
        const QSize size = template_size(width, height);
        control->resize(std::max(size.width(), control->sizeHint().width()),
                        std::max(size.height(), control->sizeHint().height()));
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
    // Tab leaves the two views for the next control instead of walking their rows.
    identification_->setTabKeyNavigation(false);
    instruments_->setTabKeyNavigation(false);
    readme_->setTabChangesFocus(true);

    controls_ = {readme_,
                 identification_,
                 instruments_,
                 refresh_,
                 browse_,
                 cancel_,
                 instruments_label_,
                 identification_label_,
                 exit_,
                 status_,
                 progress_,
                 next_,
                 back_,
                 file_label_,
                 start_,
                 file_box_};
    for (std::size_t i = 0; i < control_count; ++i) {
        sizes_[i] = controls_[i]->size();
        controls_[i]->hide();
    }
}

void LoaderDialog::connect_controls() {
    connect(next_, &QPushButton::clicked, this, [this] { wizard_.next(); });
    connect(back_, &QPushButton::clicked, this, [this] { wizard_.back(); });
    connect(start_, &QPushButton::clicked, this, [this] { wizard_.start(); });
    connect(refresh_, &QPushButton::clicked, this, [this] { wizard_.refresh(); });
    connect(browse_, &QPushButton::clicked, this, [this] { browse_clicked(); });
    for (QPushButton* closing : {exit_, cancel_}) {
        connect(closing, &QPushButton::clicked, this, [this] { wizard_.close_requested(); });
    }
    connect(instruments_, &QListWidget::itemSelectionChanged, this,
            [this] { wizard_.instrument_selected(); });
    connect(file_box_, qOverload<int>(&QComboBox::activated), this,
            [this](int) { wizard_.file_box_accepted(); });
}

void LoaderDialog::browse_clicked() {
    const BrowseStart preset = wizard_.browse_start();
    QFileDialog dialog(this, QStringLiteral("Browse..."), to_qt(preset.folder));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(
        {QStringLiteral("Hexadecimal File (*.hex)"), QStringLiteral("All Files (*.*)")});
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!preset.name.empty()) {
        dialog.selectFile(to_qt(preset.name));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    wizard_.file_browsed(from_qt(dialog.selectedFiles().front()));
}

void LoaderDialog::bring_to_front() {
    if ((windowState() & Qt::WindowMaximized) == 0) {
        showNormal();
    }
    raise();
    activateWindow();
    // A box shown over the window must stay above it, or it hides behind the window it
    // blocks and the operator can answer neither.
    if (QWidget* box = QApplication::activeModalWidget(); box != nullptr && box != this) {
        box->raise();
        box->activateWindow();
    }
}

void LoaderDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    painter.drawImage(0, 0, identity_.logo);
    painter.drawImage(0, identity_.logo.height(), identity_.background);
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
    wizard_.file_dropped(from_qt(urls.front().toLocalFile()));
}

void LoaderDialog::closeEvent(QCloseEvent* event) {
    // A running update is cancelled instead; an idle window saves its settings and then
    // closes through close().
    event->ignore();
    wizard_.close_requested();
}

void LoaderDialog::reject() {
    // Escape outside an update: as Exit, so the settings are kept.
    wizard_.close_requested();
}

void LoaderDialog::customEvent(QEvent* event) {
    if (event->type() == auto_start_event) {
        wizard_.request(WizardRequest::auto_start);
    } else if (event->type() == initial_refresh_event) {
        wizard_.request(WizardRequest::initial_refresh);
    }
}

}  // namespace hx4x
