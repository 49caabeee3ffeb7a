#include "ui_window/qt_message_presenter.hpp"

#include <QMessageBox>
#include <QWidget>

#include "platform/message_box.hpp"
#include "ui_window/qt_text.hpp"

namespace hx4x {

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
    // Wide enough that the tab-aligned rows of the confirmation stay on one line each.
    box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { min-width: 460px; }"));
    if (!request.yes_no) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return platform::answer_ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(request.default_no ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? platform::answer_yes : platform::answer_no;
}

}  // namespace hx4x
