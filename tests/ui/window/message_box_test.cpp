// The window's message boxes lay out the tab-separated rows of their texts in columns.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <string>
#include <vector>

#include "emulated_window.hpp"
#include "platform/message_box.hpp"
#include "ui/controller_texts.hpp"
#include "ui/identification_rows.hpp"
#include "ui_window/message_text.hpp"
#include "ui_window/qt_message_presenter.hpp"
#include "ui_window/qt_text.hpp"

namespace hx4x {
namespace {

namespace text = controller_text;

TEST(MessageBoxLayout, TheConfirmationsRowsStartTheirValuesInOneColumn) {
    testing_support::offscreen_application();
    // Built as the controller builds it: "Model:" carries one tab more than the other rows.
    const std::vector<IdentificationRow> rows = {
        {text::address_label, "USB0::0x5D3C::0x0090::100000::INSTR"},
        {text::manufacturer_label, "VALDMORE"},
        {text::model_label, "HX-40XL"},
        {text::serial_number_label, "100000"},
        {text::firmware_version_label, "1.12"},
    };
    const std::string question = text::confirmation_head + identification_text(rows) +
                                 text::confirmation_file + "/home/lab/firmware/hx40-1.15.hex\n" +
                                 text::confirmation_version + "1.15\n" + text::confirmation_tail;

    QString shown;
    bool yes_is_default = false;
    bool label_hidden = false;
    std::vector<QPointF> row_starts;
    std::vector<QPointF> value_starts;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            ADD_FAILURE() << "no message box is open";
            return;
        }
        shown = box->text();
        yes_is_default = box->defaultButton() == box->button(QMessageBox::Yes);
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        label_hidden = label != nullptr && !label->isVisible();
        // The project runs no moc: the text is found by its name, not by its class.
        const auto* laid_out = dynamic_cast<const MessageText*>(
            box->findChild<QWidget*>(QStringLiteral("hx4x_message_text")));
        if (laid_out != nullptr && laid_out->isVisible()) {
            // A line that starts with a tab is a row: "\tLabel:\t...value".
            qsizetype start = 0;
            for (const QString& line : shown.split(QLatin1Char('\n'))) {
                if (line.startsWith(QLatin1Char('\t'))) {
                    row_starts.push_back(laid_out->character_position(start + 1));
                    value_starts.push_back(laid_out->character_position(
                        start + line.lastIndexOf(QLatin1Char('\t')) + 1));
                }
                start += line.size() + 1;
            }
        }
        box->button(QMessageBox::No)->click();
    });
    QtMessagePresenter presenter;
    const int answer = presenter.present(
        {nullptr, "HX-4x Firmware Loader", question, MessageKind::question, true, false, 0});

    EXPECT_EQ(answer, platform::answer_no);
    EXPECT_EQ(from_qt(shown), question) << "the box keeps the exact text";
    EXPECT_TRUE(yes_is_default);
    EXPECT_TRUE(label_hidden);
    ASSERT_EQ(value_starts.size(), 7u) << "five counter rows, the file name and its version";
    for (std::size_t row = 0; row < value_starts.size(); ++row) {
        EXPECT_EQ(row_starts[row].x(), row_starts[0].x()) << "row " << row << ": labels";
        EXPECT_EQ(value_starts[row].x(), value_starts[0].x()) << "row " << row << ": values";
        EXPECT_EQ(value_starts[row].y(), row_starts[row].y()) << "row " << row << " wrapped";
        EXPECT_GT(row_starts[row].x(), 0) << "row " << row << " indented";
    }
}

}  // namespace
}  // namespace hx4x
