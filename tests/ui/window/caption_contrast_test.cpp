// The white captions of the window read on every brand's picture: measured on a screenshot of
// the busy update page, where the partner brands' gradient is palest.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "app/emulated_version.hpp"
#include "case_name.hpp"
#include "emulated_window.hpp"
#include "platform/executable_suffix.hpp"
#include "recording_presenter.hpp"
#include "temp_dir.hpp"
#include "ui/brand_pictures.hpp"
#include "ui/controller_texts.hpp"
#include "ui_window/loader_dialog.hpp"
#include "ui_window/qt_text.hpp"

namespace hx4x {
namespace {

// WCAG relative luminance of an sRGB pixel.
double luminance(QRgb pixel) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) +
           0.0722 * linear(qBlue(pixel));
}

bool is_letter(QRgb pixel) {
    return std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}) >= 0xF0;
}

struct Letters {
    int count = 0;
    double contrast = 0;  // white against the lightest pixel touching a letter
};

// The letter pixels inside `area` and the one-pixel ring of other pixels around them. The
// ring is what the eye sees beside the letter, smoothed edges included: grey fringes of white
// letters count as much as a pale picture behind them.
Letters measure(const QImage& shot, const QRect& area) {
    Letters letters;
    double lightest_ring = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!is_letter(shot.pixel(x, y))) {
                continue;
            }
            ++letters.count;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const QPoint around(x + dx, y + dy);
                    if (shot.rect().contains(around) && !is_letter(shot.pixel(around))) {
                        lightest_ring = std::max(lightest_ring, luminance(shot.pixel(around)));
                    }
                }
            }
        }
    }
    letters.contrast = (1.0 + 0.05) / (lightest_ring + 0.05);
    return letters;
}

struct BrandCase {
    const char* name;  // the release file name, without the platform's executable suffix
};

class CaptionContrast : public ::testing::TestWithParam<BrandCase> {
  protected:
    CaptionContrast() {
        testing_support::offscreen_application();
        QApplication::instance()->installEventFilter(&gate_);
        set_emulated_version(112);
    }
    ~CaptionContrast() override {
        QApplication::instance()->removeEventFilter(&gate_);
        set_emulated_version(0);
    }

    InputGate gate_;
    testing_support::TempDir dir_;
    testing_support::RecordingPresenter presenter_;
};

TEST_P(CaptionContrast, WhiteLettersStandOutFromWhatSurroundsThem) {
    const BrandPictures pictures = program_brand_pictures(
        std::string(GetParam().name) + std::string(platform::executable_suffix()));
    LoaderDialog dialog(
        LoaderDialog::Identity{
            GetParam().name, {}, to_qt_image(pictures.logo), to_qt_image(pictures.background)},
        gate_);
    LoaderWizard& wizard = dialog.wizard();
    wizard.set_settings_file(dir_.file("loader.ini"));
    wizard.set_mask("(USB|GPIB)?*::INSTR");
    wizard.set_skip_readme(true);
    dialog.show();
    dialog.initialise();
    QCoreApplication::processEvents();
    dialog.next_button()->click();
    ASSERT_EQ(wizard.current_page(), page_update) << "the emulated counter opens page 2";
    wizard.enter_busy_state();
    wizard.set_status(controller_text::burning_caption);

    const QImage shot = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), dialog.size()) << "one image pixel per window pixel";
    QLabel* file_label = nullptr;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("Firmware file name:")) {
            file_label = label;
        }
    }
    ASSERT_NE(file_label, nullptr);
    for (const QLabel* label : {static_cast<const QLabel*>(dialog.status_label()),
                                static_cast<const QLabel*>(file_label)}) {
        ASSERT_TRUE(label->isVisible()) << from_qt(label->text());
        const Letters letters = measure(shot, label->geometry());
        EXPECT_GT(letters.count, 50) << from_qt(label->text()) << ": no white letters drawn";
        EXPECT_GE(letters.contrast, 4.5) << from_qt(label->text());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryBrand, CaptionContrast,
                         ::testing::Values(BrandCase{"HX4xLoader"}, BrandCase{"RV226xLoader"},
                                           BrandCase{"LTA5xLMA5xLoader"}),
                         testing_support::CaseName());

}  // namespace
}  // namespace hx4x
