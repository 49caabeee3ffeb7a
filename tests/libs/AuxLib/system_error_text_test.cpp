#include "AuxLib/system_error_text.hpp"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/system_error.hpp"

namespace hx4x {
namespace {

TEST(SystemErrorText, KnownCodeHasBracketedNumberAndSystemText) {
    EXPECT_EQ(system_error_text(ENOENT), "[2] No such file or directory");
}

TEST(SystemErrorText, UnknownCodeIsTheBracketedNumberAlone) {
    EXPECT_EQ(system_error_text(987654), "[987654]");
    EXPECT_EQ(system_error_text(0xFFFFFFFFu), "[4294967295]");
}

TEST(SystemErrorText, LeavesTheLastErrorUnchanged) {
    platform::set_last_error(EACCES);
    EXPECT_EQ(last_error_text(), "[13] Permission denied");
    EXPECT_EQ(platform::last_error(), static_cast<std::uint32_t>(EACCES));
    system_error_text(987654);
    EXPECT_EQ(platform::last_error(), static_cast<std::uint32_t>(EACCES));
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
