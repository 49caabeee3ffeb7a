#include <gtest/gtest.h>

#include <map>

#include "case_name.hpp"
#include "console/console_texts.hpp"
#include "console_run_fixture.hpp"
#include "firmware/firmware_check.hpp"
#include "flat_json.hpp"
#include "ui/controller_texts.hpp"

namespace hx4x {
namespace {

using testing_support::CapturedStream;
using testing_support::ConsoleRunTest;
namespace text = controller_text;

const std::string emulated_address = "USB0::0x5D3C::0x0090::100000::INSTR";

TEST_F(ConsoleRunTest, EmulatedUpdateSucceeds) {
    EXPECT_EQ(run({"emulate_counter=112", "yes", firmware}), 0);
    const std::string stdout_text = out.text();
    EXPECT_EQ(stdout_text.rfind("Firmware update completed successfully\n\n", 0), 0u);
    EXPECT_NE(stdout_text.find("\nNew firmware version is:\n\tX1.12 30 Jun 1908 07:14\n"),
              std::string::npos);
    const std::string e = err.text();
    EXPECT_NE(e.find("\tFile name:\t" + firmware + "\n\tFirmware version:\t1.15\n"),
              std::string::npos);
    EXPECT_NE(e.find("info: Confirmed by the option yes\n"), std::string::npos);
    EXPECT_EQ(e.find("error: "), std::string::npos);
    // Plain progress: the caption, then each tenth at most once and in order.
    const auto sending = err_lines_starting("Firmware sending...");
    ASSERT_GE(sending.size(), 2u);
    EXPECT_EQ(sending.front(), "Firmware sending...");
    EXPECT_EQ(sending.back(), "Firmware sending... 100%");
    EXPECT_EQ(err_lines_starting("Preparing counter...").size(), 11u);
    EXPECT_EQ(err_lines_starting(text::burning_caption).front(), text::burning_caption);
}

TEST_F(ConsoleRunTest, SkipBurningHasNoBurnCaptionNorBurnTimeAndSaysSo) {
    EXPECT_EQ(run({"emulate_counter=112", "yes", "skip_burning", "json", firmware}), 0);
    EXPECT_TRUE(err_lines_starting("Flash updating").empty());
    EXPECT_EQ(out.text().find("Time for burning: "), std::string::npos);
    EXPECT_NE(out.text().find("\"kind\":\"warning\",\"text\":\"" +
                              std::string(console_text::burn_skipped) + "\""),
              std::string::npos);
    EXPECT_NE(out.text().find("\"burned\":false"), std::string::npos) << out.text();
    // The result is still the controller's success report, not the note after it.
    EXPECT_NE(out.text().find("\"result\":\"Firmware update completed successfully"),
              std::string::npos);
}

// The answer could only be No: the run ends before the counter is even identified.
TEST_F(ConsoleRunTest, WithoutATerminalAndWithoutYesNothingStarts) {
    EXPECT_EQ(run({"emulate_counter=112", firmware}), 8);
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(err.text(), "error: " + std::string(console_text::confirmation_needs_yes) + "\n");
}

struct FailureCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string err_text;
};

class ConsoleRunFailure : public ConsoleRunTest,
                          public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ConsoleRunFailure, PrintsTheControllersTextAndItsStatus) {
    std::vector<std::string> args = GetParam().args;
    for (std::string& arg : args) {
        if (arg == "FIRMWARE") {
            arg = firmware;
        } else if (arg == "BAD") {
            arg = dir.file("bad.hex");
            testing_support::write_file(arg, ":00000001FE\n");
        }
    }
    EXPECT_EQ(run(args), GetParam().status);
    EXPECT_NE(err.text().find(GetParam().err_text), std::string::npos) << err.text();
    EXPECT_EQ(out.text(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, ConsoleRunFailure,
    ::testing::Values(
        FailureCase{"NoFirmwareFile",
                    {"emulate_counter=112", "yes"},
                    2,
                    "error: You need to specify firmware file before starting update\n"},
        FailureCase{"MissingFile",
                    {"emulate_counter=112", "yes", "hex_file=missing.hex"},
                    2,
                    "error: Firmware file doesn't exist:\nmissing.hex\n"},
        FailureCase{
            "RefusedFile", {"emulate_counter=112", "yes", "BAD"}, 2, "error: Error parsing file '"},
        FailureCase{"NamedCounterNotFound",
                    {"emulate_counter=112", "yes", "counter=GPIB0::9::INSTR", "FIRMWARE"},
                    4,
                    "error: The counter given with counter= was not found:\n\tGPIB0::9::INSTR\n"
                    "\nInstruments found:\n\tUSB0::0x5D3C::0x0090::100000::INSTR\n"},
        FailureCase{
            "BadBus", {"bus=serial"}, 1, "Command line parsing error:\n\tIllegal value 'serial'"},
        FailureCase{"CheckWithoutAFile", {"check"}, 2, "error: You need to specify firmware file"}),
    testing_support::CaseName());

TEST_F(ConsoleRunTest, NamedCounterThatIsListedIsUpdated) {
    EXPECT_EQ(run({"emulate_counter=112", "yes", "counter=" + emulated_address, firmware}), 0);
}

TEST_F(ConsoleRunTest, InterruptDuringSendingCancelsAndResets) {
    interrupt_when = [](const std::string& e) {
        return e.find("Firmware sending...") != std::string::npos &&
               e.find("Operation canceled") == std::string::npos;
    };
    EXPECT_EQ(run({"emulate_counter=112", "yes", firmware}), 8);
    EXPECT_NE(err.text().find("warning: Operation canceled by user\n"), std::string::npos);
    EXPECT_TRUE(err_lines_starting("Flash updating").empty());
    EXPECT_EQ(out.text(), "");
}

TEST_F(ConsoleRunTest, InterruptsDuringTheBurnAreRefusedAndTheBurnGoesOn) {
    int raised = 0;
    interrupt_when = [&raised](const std::string& e) {
        return e.find("Flash updating") != std::string::npos && raised++ < 2;
    };
    EXPECT_EQ(run({"emulate_counter=112", "yes", firmware}), 0);
    const auto refusals =
        err_lines_starting(std::string("warning: ") + console_text::burn_interrupt_refused);
    EXPECT_GE(refusals.size(), 1u);
    EXPECT_LE(refusals.size(), 2u);
    EXPECT_EQ(err.text().find("Operation canceled"), std::string::npos);
}

TEST_F(ConsoleRunTest, InterruptBeforeTheUpdateEndsWithoutStartingIt) {
    int looks = 0;
    // The first look is the view's own starting point; the interrupt arrives during the search.
    interrupt_when = [&looks](const std::string&) { return looks++ == 1; };
    EXPECT_EQ(run({"emulate_counter=112", "yes", firmware}), 8);
    EXPECT_NE(err.text().find(std::string("warning: ") + console_text::interrupted_before_update),
              std::string::npos);
    EXPECT_TRUE(err_lines_starting("Preparing counter...").empty());
}

using Object = std::map<std::string, testing_support::JsonValue>;

std::vector<Object> json_lines(const std::string& text) {
    std::vector<Object> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find('\n', begin);
        EXPECT_NE(end, std::string::npos) << "every object ends its line";
        if (end == std::string::npos) {
            break;
        }
        const auto object = testing_support::FlatJson::parse(text.substr(begin, end - begin));
        EXPECT_TRUE(object.has_value()) << text.substr(begin, end - begin);
        if (object) {
            lines.push_back(*object);
        }
        begin = end + 1;
    }
    return lines;
}

TEST_F(ConsoleRunTest, JsonLinesDescribeTheWholeRun) {
    EXPECT_EQ(run({"emulate_counter=112", "yes", "json", firmware}), 0);
    const std::vector<Object> lines = json_lines(out.text());
    ASSERT_FALSE(lines.empty());
    std::map<std::string, int> progress_per_step;
    std::vector<std::string> steps;
    int questions = 0;
    for (const Object& line : lines) {
        const std::string event = line.at("event").text;
        if (event == "step") {
            steps.push_back(line.at("step").text);
        } else if (event == "progress") {
            ++progress_per_step[line.at("step").text];
            EXPECT_LE(std::stoi(line.at("percent").text), 100);
        } else if (event == "question") {
            ++questions;
            EXPECT_EQ(line.at("answer").text, "yes");
        }
    }
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(steps, (std::vector<std::string>{text::preparing_caption, text::parsing_caption,
                                               text::sending_caption, text::burning_caption}));
    for (const auto& [step, count] : progress_per_step) {
        EXPECT_LE(count, 10) << step;
    }
    EXPECT_EQ(progress_per_step[text::preparing_caption], 10);
    const Object& result = lines.back();
    EXPECT_EQ(result.at("event").text, "result");
    EXPECT_EQ(result.at("resource").text, emulated_address);
    EXPECT_EQ(result.at("manufacturer").text, "Valdmore Instruments");
    EXPECT_EQ(result.at("model").text, "HX-40XL-Emulated");
    EXPECT_EQ(result.at("serial_number").text, "777777");
    EXPECT_EQ(result.at("firmware_before").text, "X1.12 30 Jun 1908 07:14");
    EXPECT_EQ(result.at("firmware_after").text, "X1.12 30 Jun 1908 07:14");
    EXPECT_EQ(result.at("file").text, firmware);
    EXPECT_EQ(result.at("file_version").text, "1.15");
    EXPECT_EQ(result.at("sending_seconds").type, testing_support::JsonValue::Type::number);
    EXPECT_EQ(result.at("burning_seconds").type, testing_support::JsonValue::Type::number);
    EXPECT_EQ(result.at("burned").text, "true");
    EXPECT_EQ(result.at("result").text.rfind(text::success_head, 0), 0u);
    EXPECT_EQ(result.at("exit_status").text, "0");
    // The success text stays off standard output, which carries JSON alone.
    EXPECT_NE(err.text().find("info: Firmware update completed successfully"), std::string::npos);
}

TEST_F(ConsoleRunTest, JsonResultOfARunThatCouldNotBeConfirmedHasNoVersions) {
    EXPECT_EQ(run({"emulate_counter=112", "json", firmware}), 8);
    const std::vector<Object> lines = json_lines(out.text());
    ASSERT_FALSE(lines.empty());
    const Object& result = lines.back();
    EXPECT_EQ(result.at("event").text, "result");
    EXPECT_TRUE(result.at("firmware_before").is_null());
    EXPECT_TRUE(result.at("firmware_after").is_null());
    EXPECT_EQ(result.at("result").text, console_text::confirmation_needs_yes);
    EXPECT_EQ(result.at("exit_status").text, "8");
}

TEST_F(ConsoleRunTest, ListPrintsOneAddressPerLine) {
    EXPECT_EQ(run({"emulate_counter=112", "list"}), 0);
    EXPECT_EQ(out.text(), emulated_address + "\n");
}

TEST_F(ConsoleRunTest, CheckGivesTheSameOutputAsTheSharedCheck) {
    for (const std::string& file : {firmware, dir.file("missing.hex")}) {
        CapturedStream expected;
        const bool accepted = check_firmware_file(file, expected.file());
        EXPECT_EQ(run({"check", "hex_file=" + file}), accepted ? 0 : 2);
        // A refusal is an error: on standard error, naming the file.
        EXPECT_NE((accepted ? out : err).text().find(expected.text()), std::string::npos);
    }
    EXPECT_EQ(out.text().rfind("OK\nversion: 1.15\n", 0), 0u);
}

TEST_F(ConsoleRunTest, HelpShowsUsageAndExitStatuses) {
    EXPECT_EQ(run({"-help"}), 0);
    EXPECT_NE(out.text().find("Allowed arguments list:"), std::string::npos);
    EXPECT_NE(out.text().find("  8  cancelled or declined, "), std::string::npos);
    EXPECT_EQ(err.text(), "");
}

}  // namespace
}  // namespace hx4x
