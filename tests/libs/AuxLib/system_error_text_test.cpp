#include "AuxLib/system_error_text.hpp"

#include <gtest/gtest.h>

#include <cerrno>

#include "host_system.hpp"
#include "platform/system_error.hpp"

namespace hx4x {
namespace {

// Code 2 is a missing file on both systems: errno ENOENT, and ERROR_FILE_NOT_FOUND on
// Windows, whose text differs between releases and languages.
TEST(SystemErrorText, KnownCodeHasBracketedNumberAndSystemText) {
    const std::string text = system_error_text(2);
    if (testing_support::host_is_windows) {
        EXPECT_EQ(text.rfind("[2] ", 0), 0u) << text;
        EXPECT_GT(text.size(), 6u) << "the system's text follows: " << text;
        EXPECT_EQ(text.back(), '.') << "the sentence with its line end removed: " << text;
    } else {
        EXPECT_EQ(text, "[2] No such file or directory");
    }
}

TEST(SystemErrorText, UnknownCodeIsTheBracketedNumberAlone) {
    EXPECT_EQ(system_error_text(987654), "[987654]");
    EXPECT_EQ(system_error_text(0xFFFFFFFFu), "[4294967295]");
}

// The last-error value is read after each call before anything else can change it.
TEST(SystemErrorText, LeavesTheLastErrorUnchanged) {
    platform::set_last_error(13);
    const std::string text = last_error_text();
    const std::uint32_t after_text = platform::last_error();
    system_error_text(987654);
    const std::uint32_t after_unknown = platform::last_error();
    EXPECT_EQ(after_text, 13u);
    EXPECT_EQ(after_unknown, 13u);
    EXPECT_EQ(text.rfind("[13] ", 0), 0u) << text;
    if (!testing_support::host_is_windows) {
        EXPECT_EQ(text, "[13] Permission denied");
    }
}

TEST(SystemErrorText, NoLineBreaksSurvive) {
    for (std::uint32_t code = 0; code < 140; ++code) {
        const std::string text = system_error_text(code);
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << code;
        EXPECT_EQ(text.rfind("[" + std::to_string(code) + "]", 0), 0u);
    }
}

}  // namespace
}  // namespace hx4x
