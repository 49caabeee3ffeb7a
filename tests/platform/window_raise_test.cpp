#include "platform/window_raise.hpp"

#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace hx4x {
namespace {

// A minimised top-level window of this process under a title of its own.
class TitledWindow {
  public:
    explicit TitledWindow(const std::string& title)
        : window_(CreateWindowExA(0, "STATIC", title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {
        if (window_ != nullptr) {
            ShowWindow(window_, SW_SHOWMINIMIZED);
        }
    }
    ~TitledWindow() {
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }
    TitledWindow(const TitledWindow&) = delete;
    TitledWindow& operator=(const TitledWindow&) = delete;

    HWND get() const { return window_; }

  private:
    HWND window_;
};

TEST(WindowRaise, FindsTheWindowByItsTitleAndRestoresIt) {
    std::random_device random;
    const std::string title = "HX4X test window " + std::to_string(random());
    EXPECT_FALSE(platform::raise_window_titled(title)) << "no such window yet";
    const TitledWindow window(title);
    if (window.get() == nullptr) {
        GTEST_SKIP() << "no desktop to make windows on (Wine without a display)";
    }
    ASSERT_TRUE(IsIconic(window.get()));
    EXPECT_FALSE(platform::raise_window_titled(title + " 2")) << "the whole title counts";
    EXPECT_TRUE(platform::raise_window_titled(title));
    EXPECT_FALSE(IsIconic(window.get()));
    EXPECT_TRUE(IsWindowVisible(window.get()));
}

}  // namespace
}  // namespace hx4x
