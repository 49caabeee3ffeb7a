// File names outside ASCII, as the window shows them and hands them back to the system.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <filesystem>

#include "case_name.hpp"
#include "emulated_window.hpp"
#include "hex_text.hpp"
#include "platform/file_name_case.hpp"
#include "temp_dir.hpp"

namespace hx4x {
namespace {

using testing_support::EmulatedWindowTest;

struct TextCase {
    const char* name;
    const char* bytes;
    const char16_t* shown;
};

class SystemText : public ::testing::TestWithParam<TextCase> {};

// Shown as the characters they are where they are UTF-8, and back byte for byte whatever
// they are: a VISA name or a file name chosen in the window must reach the system unchanged.
TEST_P(SystemText, IsShownAsItsCharactersAndComesBackByteForByte) {
    if (!platform::file_names_utf8()) {
        GTEST_SKIP() << "the system's 8-bit texts are in a code page of its own";
    }
    const std::string bytes = GetParam().bytes;
    const QString shown = to_qt(bytes);
    EXPECT_EQ(shown, QString::fromUtf16(GetParam().shown));
    EXPECT_EQ(from_qt(shown), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SystemText,
    ::testing::Values(TextCase{"Ascii", "/lab/fw 1.hex", u"/lab/fw 1.hex"},
                      TextCase{"Utf8FolderAndName", "/lab/Größe Ordner/prüf fw.hex",
                               u"/lab/Größe Ordner/prüf fw.hex"},
                      TextCase{"BeyondTheFirstPlaneThenAStrayByte", "\xF0\x9F\x94\xA7\xE4",
                               u"\U0001F527\xDCE4"},
                      TextCase{"Latin1ByteOfACounterReply", "Z\xE4hler", u"Z\xDCE4hler"},
                      TextCase{"SequenceCutAtTheEnd", "fw\xC3", u"fw\xDCC3"},
                      TextCase{"EncodedSurrogate", "\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},
                      TextCase{"OverlongSlash", "\xC0\xAF", u"\xDCC0\xDCAF"}),
    testing_support::CaseName());

// The three ways the operator names a file.
enum class Pick { typed, browsed, dropped };

struct PickCase {
    const char* name;
    Pick pick;
};

class NonAsciiFirmwareFile : public EmulatedWindowTest,
                             public ::testing::WithParamInterface<PickCase> {
  protected:
    NonAsciiFirmwareFile() {
        std::filesystem::create_directories(dir_.file("Größe Ordner"));
        firmware_ = dir_.file("Größe Ordner/prüf fw.hex");
        testing_support::write_file(firmware_, testing_support::firmware_hex_text("1.15"));
    }

    QString shown_name() const {
        return QString::fromUtf8(firmware_.data(), static_cast<qsizetype>(firmware_.size()));
    }

    void pick(LoaderDialog& dialog) {
        const QString name = shown_name();
        switch (GetParam().pick) {
            case Pick::typed:
                dialog.file_box()->setEditText(name);
                dialog.start_button()->click();
                break;
            case Pick::browsed:
                QTimer::singleShot(0, [name] {
                    if (auto* browse =
                            qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                        browse->selectFile(name);
                        // The file dialog's own accept, as its Open button does.
                        static_cast<QDialog*>(browse)->accept();
                    }
                });
                dialog.browse_button()->click();
                dialog.start_button()->click();
                break;
            case Pick::dropped: {
                // As the system delivers a drop: to the widget that took the drag's entry.
                QMimeData data;
                data.setUrls({QUrl::fromLocalFile(name)});
                QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                                      Qt::NoModifier);
                QCoreApplication::sendEvent(&dialog, &enter);
                QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                                Qt::NoModifier);
                QCoreApplication::sendEvent(&dialog, &drop);
                break;
            }
        }
    }

    testing_support::TempDir dir_;
    std::string firmware_;
};

TEST_P(NonAsciiFirmwareFile, UpdatesAndIsKeptInTheSettingsAsUtf8) {
    const std::string settings = dir_.file("loader.ini");
    {
        auto dialog = open_window(settings);
        dialog->next_button()->click();
        pick(*dialog);
        EXPECT_TRUE(succeeded_after_events()) << last_box();
        dialog->exit_button()->click();
    }
    const std::string saved = testing_support::read_file(settings);
    EXPECT_NE(saved.find("hex_file_name_0=" + firmware_ + "\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("last_used_hex_file=" + firmware_ + "\r\n"), std::string::npos) << saved;

    // The next start offers the same file in its recent list.
    auto reopened = open_window(settings);
    reopened->next_button()->click();
    ASSERT_GE(reopened->file_box()->count(), 1);
    EXPECT_EQ(reopened->file_box()->itemText(0), shown_name());
    EXPECT_EQ(reopened->file_box_text(), firmware_);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, NonAsciiFirmwareFile,
                         ::testing::Values(PickCase{"Typed", Pick::typed},
                                           PickCase{"Browsed", Pick::browsed},
                                           PickCase{"Dropped", Pick::dropped}),
                         testing_support::CaseName());

}  // namespace
}  // namespace hx4x
