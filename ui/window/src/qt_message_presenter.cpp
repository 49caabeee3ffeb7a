#include "ui_window/qt_message_presenter.hpp"

#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QWidget>

#include "platform/message_box.hpp"
#include "ui_window/message_text.hpp"
#include "ui_window/qt_text.hpp"

namespace hx4x {

namespace {

// The texts are written with tabs for columns: "\tModel:\t\t..." lines up with
// "\tVISA address:\t..." only at a stop every eight average characters, which the box's own
// label does not know. Its label keeps the text (and text() returns it), hidden; a text laid
// out with those stops stands in its place. Done last, when the box has built its layout.
void lay_out_tabs(QMessageBox& box) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr || box.layout() == nullptr) {
        return;
    }
    auto* text = new MessageText(box.text(), &box);
    text->setObjectName(QStringLiteral("hx4x_message_text"));
    text->setFont(label->font());
    text->setContentsMargins(label->contentsMargins());
    // The layout gives back the label's item, which is ours to delete from then on.
    QLayoutItem* replaced = box.layout()->replaceWidget(label, text);
    if (replaced == nullptr) {
        delete text;
        return;
    }
    delete replaced;
    label->hide();
}

}  // namespace

int QtMessagePresenter::present(const MessageBoxRequest& request) {
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (request.kind) {
        case MessageKind::error:
            icon = QMessageBox::Critical;
            break;
        case MessageKind::warning:
            icon = QMessageBox::Warning;
            break;
        case MessageKind::question:
            icon = QMessageBox::Question;
            break;
        case MessageKind::information:
            break;
    }
    QMessageBox box(icon, to_qt(request.title), to_qt(request.text), QMessageBox::NoButton,
                    static_cast<QWidget*>(request.owner));
    // The system's texts are never markup, whatever a file name or a counter's reply holds.
    box.setTextFormat(Qt::PlainText);
    if (!request.yes_no) {
        box.setStandardButtons(QMessageBox::Ok);
        lay_out_tabs(box);
        box.exec();
        return platform::answer_ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(request.default_no ? QMessageBox::No : QMessageBox::Yes);
    lay_out_tabs(box);
    return box.exec() == QMessageBox::Yes ? platform::answer_yes : platform::answer_no;
}

}  // namespace hx4x
