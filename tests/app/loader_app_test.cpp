#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AuxLib/operator_message.hpp"
#include "app/emulated_version.hpp"
#include "app/loader_app.hpp"
#include "app/loader_files.hpp"
#include "case_name.hpp"
#include "loader_usage_text.hpp"
#include "platform/command_line_rules.hpp"
#include "platform/program_place.hpp"

namespace hx4x {
namespace {

// Records the setters in call order and the option results.
class RecordingReceiver : public OptionsReceiver {
  public:
    void set_settings_file(const std::string& path) override { log("settings", settings = path); }
    void set_firmware_file(const std::string& path) override { log("firmware", firmware = path); }
    void set_mask(const std::string& value) override { log("mask", mask = value); }
    void set_selected_address(const std::string& value) override {
        log("address", address = value);
    }
    void set_start(bool value) override { log("start", start = value); }
    void set_skip_readme(bool value) override { log("skip_readme", skip_readme = value); }
    void set_skip_burning(bool value) override { log("skip_burning", skip_burning = value); }
    void set_dump_sending(bool value) override { log("dump_sending", dump_sending = value); }
    void set_dump_firmware(bool value) override { log("dump_firmware", dump_firmware = value); }

    std::vector<std::string> calls;
    std::string settings, firmware, mask, address;
    bool start = false, skip_readme = false, skip_burning = false, dump_sending = false,
         dump_firmware = false;

  private:
    template <class T>
    void log(const char* name, const T&) {
        calls.push_back(name);
    }
};

class RecordingPresenter : public MessagePresenter {
  public:
    int present(const MessageBoxRequest& request) override {
        requests.push_back(request);
        return platform::answer_ok;
    }
    std::vector<MessageBoxRequest> requests;
};

class LoaderAppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = set_message_presenter(&presenter_);
        set_emulated_version(0);
    }
    void TearDown() override {
        set_message_presenter(previous_);
        set_emulated_version(0);
    }

    bool run(const std::string& arguments) {
        return app_.process_command_line(receiver_, "loader.exe " + arguments);
    }

    LoaderApp app_;
    RecordingReceiver receiver_;
    RecordingPresenter presenter_;
    MessagePresenter* previous_ = nullptr;
};

const std::string usage = testing_support::loader_usage;

TEST_F(LoaderAppTest, NoArgumentsGiveTheDefaultsInTheSetterOrder) {
    ASSERT_TRUE(run(""));
    EXPECT_TRUE(presenter_.requests.empty());
    const std::vector<std::string> order{"settings",     "firmware",     "mask",
                                         "address",      "start",        "skip_readme",
                                         "skip_burning", "dump_sending", "dump_firmware"};
    EXPECT_EQ(receiver_.calls, order);
    EXPECT_EQ(receiver_.settings, loader_files("loader.exe").settings);
    EXPECT_EQ(receiver_.mask, "(USB|GPIB)?*::INSTR");
    EXPECT_EQ(receiver_.firmware, "");
    EXPECT_EQ(receiver_.address, "");
    EXPECT_FALSE(receiver_.start || receiver_.skip_readme || receiver_.skip_burning ||
                 receiver_.dump_sending || receiver_.dump_firmware);
    EXPECT_EQ(emulated_version(), 0u);
}

TEST_F(LoaderAppTest, TheFourSwitchesReachTheReceiver) {
    ASSERT_TRUE(run("skip_readme -skip_burning /dump_sending \\dump_firmware"));
    EXPECT_TRUE(receiver_.skip_readme);
    EXPECT_TRUE(receiver_.skip_burning);
    EXPECT_TRUE(receiver_.dump_sending);
    EXPECT_TRUE(receiver_.dump_firmware);
    EXPECT_FALSE(receiver_.start);
}

struct OptionCase {
    const char* name;
    const char* arguments;
    const char* mask;
    const char* firmware;
    const char* address;
    bool start;
    // The file where the Windows rules differ: there every prefix character opens an
    // option, as the system's own programs have it.
    const char* windows_firmware = nullptr;
};

class OptionResults : public LoaderAppTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(OptionResults, AreDerivedFromTheCommandLine) {
    const OptionCase& c = GetParam();
    ASSERT_TRUE(run(c.arguments));
    EXPECT_TRUE(presenter_.requests.empty());
    EXPECT_EQ(receiver_.mask, c.mask);
    const bool windows_rules = !platform::posix_command_line() && c.windows_firmware != nullptr;
    EXPECT_EQ(receiver_.firmware, windows_rules ? c.windows_firmware : c.firmware);
    EXPECT_EQ(receiver_.address, c.address);
    EXPECT_EQ(receiver_.start, c.start);
}

const char default_mask[] = "(USB|GPIB)?*::INSTR";

INSTANTIATE_TEST_SUITE_P(
    Table, OptionResults,
    ::testing::Values(
        OptionCase{"BusUsb", "bus=usb", "USB?*::INSTR", "", "", false},
        OptionCase{"BusGpib", "bus=GPIB", "GPIB?*::INSTR", "", "", false},
        OptionCase{"BusAny", "bus=Any", default_mask, "", "", false},
        OptionCase{"MaskAfterBusWins", "bus=GPIB mask=?*::INSTR", "?*::INSTR", "", "", false},
        OptionCase{"MaskBeforeBusWins", "mask=?*::INSTR bus=USB", "?*::INSTR", "", "", false},
        OptionCase{"EmptyMask", "mask=", "", "", "", false},
        OptionCase{"MaskTrimmed", "\"mask=  TCPIP?*  \"", "TCPIP?*", "", "", false},
        // The parser accepts the value trimmed, so the mask follows it.
        OptionCase{"BusTrimmed", "\"bus= usb \"", "USB?*::INSTR", "", "", false},
        OptionCase{"CounterTrimmed", "counter=\"  USB0::0x1234::0x5678::SN1::INSTR  \"",
                   default_mask, "", "USB0::0x1234::0x5678::SN1::INSTR", false},
        OptionCase{"FileKeepsItsBlanks", "\"hex_file=  fw 1.hex\"", default_mask, "  fw 1.hex", "",
                   false},
        OptionCase{"BareFileStarts", "fw.hex", default_mask, "fw.hex", "", true},
        OptionCase{"BareFileBeatsANamedFileAfter", "fw.hex hex_file=other.hex", default_mask,
                   "fw.hex", "", true},
        OptionCase{"BareFileBeatsANamedFileBefore", "hex_file=other.hex fw.hex", default_mask,
                   "fw.hex", "", true},
        OptionCase{"NamedFileWithStart", "hex_file=other.hex start", default_mask, "other.hex", "",
                   true},
        OptionCase{"MisspeltStartIsAFile", "strat", default_mask, "strat", "", true},
        // A doubled hyphen is a prefix as in every other POSIX tool.
        OptionCase{"DoubleHyphenStart", "--start", default_mask, "", "", true, "-start"},
        OptionCase{"UnknownOptionNameIsTheFile", "x=y", default_mask, "x", "", true},
        OptionCase{"EmptyOptionNameValueIsTheFile", "=y", default_mask, "y", "", true},
        OptionCase{"LoneHyphenStarts", "-", default_mask, "", "", true},
        // A slash is a prefix only before an option name; anything else after
        // it is an absolute path, a file in the root included.
        OptionCase{"AbsolutePath", "/tmp/fw.hex", default_mask, "/tmp/fw.hex", "", true},
        OptionCase{"FileInTheRoot", "/fw.hex", default_mask, "/fw.hex", "", true, "fw.hex"},
        OptionCase{"SlashBeforeAMisspeltOptionIsAPath", "/strat", default_mask, "/strat", "", true,
                   "strat"},
        OptionCase{"SlashStart", "/start", default_mask, "", "", true},
        OptionCase{"AbsolutePathWithBlanks", "\"/tmp/fw files/v 1.hex\"", default_mask,
                   "/tmp/fw files/v 1.hex", "", true}),
    testing_support::CaseName());

struct FailureCase {
    const char* name;
    const char* arguments;
    const char* message;
};

class ParseFailures : public LoaderAppTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ParseFailures, ShowOneErrorBoxWithTheUsageAndEndTheProgram) {
    set_message_title("LTA5x/LMA5x Firmware Loader");
    EXPECT_FALSE(run(GetParam().arguments));
    set_message_title("Message");
    EXPECT_TRUE(receiver_.calls.empty());
    ASSERT_EQ(presenter_.requests.size(), 1u);
    const MessageBoxRequest& box = presenter_.requests[0];
    EXPECT_EQ(box.kind, MessageKind::error);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.title, "LTA5x/LMA5x Firmware Loader");
    EXPECT_EQ(box.text,
              std::string("Command line parsing error:\n\t") + GetParam().message + "\n\n" + usage);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseFailures,
    ::testing::Values(
        FailureCase{"BusSerial", "bus=serial", "Illegal value 'serial' of the argument 'bus'"},
        FailureCase{"BusEmpty", "bus=", "Illegal value '' of the argument 'bus'"},
        FailureCase{"TwoFiles", "a.hex b.hex",
                    "The argument 'unnamed parameter' must not occur in the command line more "
                    "than once"},
        FailureCase{"StartWithAValue", "start=yes",
                    "It is not possible to give a value for argument 'start'"},
        FailureCase{"StartWithAnEmptyValue",
                    "start=", "It is not possible to give a value for argument 'start'"},
        FailureCase{"EmulateWithoutAValue", "emulate_counter",
                    "Value not given for the argument 'emulate_counter'"},
        FailureCase{"HexFileTwice", "hex_file=a.hex hex_file=a.hex",
                    "The argument 'hex_file' must not occur in the command line more than once"},
        // A parse failure wins over help.
        FailureCase{"FailureWinsOverHelp", "help start=1",
                    "It is not possible to give a value for argument 'start'"},
        FailureCase{"HelpWithAValue", "help=me",
                    "It is not possible to give a value for argument 'help'"},
        FailureCase{"BusWithFormatCharacters", "bus=%s%n",
                    "Illegal value '%s%n' of the argument 'bus'"}),
    testing_support::CaseName());

class HelpSpellings : public LoaderAppTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(HelpSpellings, ShowTheUsageInAnInformationBox) {
    EXPECT_FALSE(run(GetParam()));
    EXPECT_TRUE(receiver_.calls.empty());
    ASSERT_EQ(presenter_.requests.size(), 1u);
    EXPECT_EQ(presenter_.requests[0].kind, MessageKind::information);
    EXPECT_EQ(presenter_.requests[0].text, usage);
}

INSTANTIATE_TEST_SUITE_P(Table, HelpSpellings,
                         ::testing::Values("help", "-help", "/help", "\\help", "HELP",
                                           "fw.hex help"),
                         testing_support::TextCaseName());

struct EmulationCase {
    const char* name;
    const char* value;
    std::uint32_t version;
};

class Emulation : public LoaderAppTest, public ::testing::WithParamInterface<EmulationCase> {};

TEST_P(Emulation, TakesOnlyWholeDecimalNumbersFrom100To1000) {
    set_emulated_version(555);
    ASSERT_TRUE(run(std::string("\"emulate_counter=") + GetParam().value + "\""));
    EXPECT_TRUE(presenter_.requests.empty());
    EXPECT_EQ(emulated_version(), GetParam().version);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Emulation,
    ::testing::Values(
        EmulationCase{"Lowest100", "100", 100}, EmulationCase{"Highest1000", "1000", 1000},
        EmulationCase{"Plain112", "112", 112}, EmulationCase{"LeadingZero", "0112", 112},
        EmulationCase{"Below100", "99", 0}, EmulationCase{"Above1000", "1001", 0},
        EmulationCase{"PlusSign", "+112", 0}, EmulationCase{"MinusSign", "-112", 0},
        EmulationCase{"DecimalPoint", "1.12", 0}, EmulationCase{"TrailingLetter", "112x", 0},
        EmulationCase{"LeadingBlank", " 112", 0}, EmulationCase{"Empty", "", 0},
        EmulationCase{"WrapsTo112", "4294967408", 0},
        EmulationCase{"FarOverflow", "99999999999999999999", 0}),
    testing_support::CaseName());

struct SettingsCase {
    const char* name;
    const char* command_line;
    const char* program_path;
    // Where the written path names the file (Windows).
    const char* written_rule_settings;
};

class SettingsFile : public LoaderAppTest, public ::testing::WithParamInterface<SettingsCase> {};

// The program path as the command line wrote it, blanks and dots kept, chooses the file.
TEST_P(SettingsFile, IsTheLoaderFileOfTheWrittenProgramPath) {
    ASSERT_TRUE(app_.process_command_line(receiver_, GetParam().command_line));
    EXPECT_EQ(receiver_.settings, loader_files(GetParam().program_path).settings);
    if (platform::program_place(GetParam().program_path).follow_written) {
        EXPECT_EQ(receiver_.settings, GetParam().written_rule_settings);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsFile,
    ::testing::Values(SettingsCase{"WindowsPathWithBlanks",
                                   "\"C:\\Program Files\\tool\\HX4xLoader.exe\" start",
                                   "C:\\Program Files\\tool\\HX4xLoader.exe",
                                   "C:\\Program Files\\tool\\HX4xLoader.ini"},
                      SettingsCase{"PosixPath", "/opt/hx4x/bin/HX4xLoader start",
                                   "/opt/hx4x/bin/HX4xLoader", "/opt/hx4x/bin/HX4xLoader.ini"},
                      SettingsCase{"RelativePath", "./loader", "./loader", "./loader.ini"},
                      SettingsCase{"BareName", "loader", "loader", "loader.ini"},
                      SettingsCase{"DotInAFolderName", "/opt/v1.2/loader", "/opt/v1.2/loader",
                                   "/opt/v1.2/loader.ini"}),
    testing_support::CaseName());

TEST_F(LoaderAppTest, EachCallStartsFromAFreshParse) {
    ASSERT_TRUE(run("hex_file=a.hex emulate_counter=112"));
    EXPECT_EQ(emulated_version(), 112u);
    RecordingReceiver second;
    ASSERT_TRUE(app_.process_command_line(second, "loader hex_file=b.hex"));
    EXPECT_EQ(second.firmware, "b.hex");
    EXPECT_EQ(emulated_version(), 0u);
    EXPECT_TRUE(presenter_.requests.empty());
}

TEST_F(LoaderAppTest, DefinesTheTwelveOptionsInOrder) {
    app_.define_options();
    const auto& arguments = app_.parser().arguments();
    const std::vector<std::string> names{
        "bus",           "mask",           "counter", "hex_file",     "unnamed parameter",
        "help",          "skip_readme",    "start",   "skip_burning", "dump_sending",
        "dump_firmware", "emulate_counter"};
    ASSERT_EQ(arguments.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(arguments[i].names, std::vector<std::string>{names[i]}) << i;
        EXPECT_FALSE(arguments[i].case_sensitive || arguments[i].repeatable ||
                     arguments[i].mandatory)
            << names[i];
        EXPECT_EQ(arguments[i].hidden, i == 4) << names[i];
    }
    EXPECT_EQ(app_.parser().prefix_chars(), "-\\/");
    EXPECT_EQ(app_.parser().separator(), '=');
}

}  // namespace
}  // namespace hx4x
