#include "AuxLib/logger.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "temp_dir.hpp"

namespace hx4x {
namespace {

using testing_support::read_text_file;
using testing_support::TempDir;
using testing_support::write_file;

const std::string bar = "====================";

TEST(Logger, EntryLayoutInTheFile) {
    TempDir dir;
    const std::string log = dir.file("loader.log");
    Logger logger;
    logger.set_log_file(log, true);
    logger.log_message("Failed condition is (res == 0)", 0x10, 2, "[5] Input/output error",
                       "AuxLib/Handle", 57, "unknown");
    logger.log_message("count=%d name=%s", 1, 1, "", "x.cpp", 9, "f", 42, "fw.hex");
    logger.close();
    EXPECT_EQ(read_text_file(log),
              "\n" + bar + "\nSOURCE: AuxLib/Handle(57)\nERROR: [5] Input/output error\n" +
                  "MESSAGE: Failed condition is (res == 0)\n" + bar + "\n" + "\n" + bar +
                  "\nSOURCE: x.cpp(9)\nMESSAGE: count=42 name=fw.hex\n" + bar + "\n");
}

TEST(Logger, MissingSourceFunctionOrLineWritesNothing) {
    TempDir dir;
    const std::string log = dir.file("a.log");
    Logger logger;
    logger.set_log_file(log, true);
    logger.log_message("m", 1, 1, "", "f.cpp", 1, nullptr);
    logger.log_message("m", 1, 1, "", nullptr, 1, "f");
    logger.log_message("m", 1, 1, "", "f.cpp", 0, "f");
    logger.close();
    EXPECT_FALSE(std::filesystem::exists(log));
}

TEST(Logger, MessageOf1023CharactersFitsAnd1024IsLeftOut) {
    TempDir dir;
    const std::string log = dir.file("a.log");
    Logger logger;
    logger.set_log_file(log, true);
    const std::string fits(1023, 'x');
    const std::string too_long(1024, 'y');
    logger.log_message("%s", 1, 1, "", "f.cpp", 1, "f", fits.c_str());
    logger.log_message("%s", 1, 1, "e", "f.cpp", 2, "f", too_long.c_str());
    logger.close();
    const std::string text = read_text_file(log);
    EXPECT_NE(text.find("MESSAGE: " + fits + "\n" + bar), std::string::npos);
    EXPECT_EQ(text.find('y'), std::string::npos);
    EXPECT_NE(text.find("SOURCE: f.cpp(2)\nERROR: e\n\n" + bar + "\n"), std::string::npos);
}

TEST(Logger, TruncationDeletesTheOldFileAtOnceAndAppendKeepsIt) {
    TempDir dir;
    const std::string log = dir.file("a.log");
    write_file(log, "old run\n");
    {
        Logger logger;
        logger.set_log_file(log, false);
        logger.log_message("new", 1, 1, "", "f.cpp", 1, "f");
    }
    EXPECT_EQ(read_text_file(log).rfind("old run\n", 0), 0u);

    Logger logger;
    logger.set_log_file(log, true);
    EXPECT_FALSE(std::filesystem::exists(log)) << "no entry yet, but the old log is gone";
    logger.log_message("first", 1, 1, "", "f.cpp", 1, "f");
    EXPECT_EQ(read_text_file(log).find("old run"), std::string::npos);
}

TEST(Logger, UnopenableFileFallsBackToStandardError) {
    TempDir dir;
    const std::string log = dir.file("no/such/dir/a.log");
    Logger logger;
    logger.set_log_file(log, true);
    ::testing::internal::CaptureStderr();
    logger.log_message("to stderr", 1, 1, "", "f.cpp", 3, "f");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("Can't open file for logging: " + log + "\n", 0), 0u);
    EXPECT_NE(err.find("MESSAGE: to stderr"), std::string::npos);
    EXPECT_EQ(logger.output_mode(), Logger::OutputMode::standard_error);
    EXPECT_EQ(logger.file_name(), "");

    // A new log file returns to file mode.
    const std::string good = dir.file("b.log");
    logger.set_log_file(good, true);
    logger.log_message("to file", 1, 1, "", "f.cpp", 4, "f");
    EXPECT_EQ(logger.output_mode(), Logger::OutputMode::file);
    EXPECT_NE(read_text_file(good).find("MESSAGE: to file"), std::string::npos);
}

TEST(Logger, StartsOnStandardOutputAndIgnoresAnEmptyName) {
    Logger logger;
    logger.set_log_file("", true);
    EXPECT_EQ(logger.output_mode(), Logger::OutputMode::standard_output);
    ::testing::internal::CaptureStdout();
    logger.log_message("hello %u", 1, 1, "", "f.cpp", 1, "f", 7u);
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("MESSAGE: hello 7"), std::string::npos);
}

TEST(Logger, PercentSignsInArgumentsStayText) {
    TempDir dir;
    const std::string log = dir.file("a.log");
    Logger logger;
    logger.set_log_file(log, true);
    logger.log_message("%s", 1, 1, "%n%s", "f.cpp", 1, "f", "%s%n%x");
    logger.close();
    const std::string text = read_text_file(log);
    EXPECT_NE(text.find("ERROR: %n%s\nMESSAGE: %s%n%x\n"), std::string::npos);
}

TEST(Logger, InstanceIsOneObject) {
    EXPECT_EQ(&Logger::instance(), &Logger::instance());
}

}  // namespace
}  // namespace hx4x
