#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AuxLib/operator_message.hpp"
#include "app/emulated_version.hpp"
#include "app/loader_app.hpp"
#include "loader_usage_text.hpp"

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
        return platform::IDOK;
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
    EXPECT_EQ(receiver_.settings, "loader.ini");
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
    const char* arguments;
    const char* mask;
    const char* firmware;
    const char* address;
    bool start;
};

class OptionResults : public LoaderAppTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(OptionResults, AreDerivedFromTheCommandLine) {
    const OptionCase& c = GetParam();
    ASSERT_TRUE(run(c.arguments));
    EXPECT_TRUE(presenter_.requests.empty());
    EXPECT_EQ(receiver_.mask, c.mask);
    EXPECT_EQ(receiver_.firmware, c.firmware);
    EXPECT_EQ(receiver_.address, c.address);
    EXPECT_EQ(receiver_.start, c.start);
}

const char default_mask[] = "(USB|GPIB)?*::INSTR";

INSTANTIATE_TEST_SUITE_P(
    Table, OptionResults,
    ::testing::Values(OptionCase{"bus=usb", "USB?*::INSTR", "", "", false},
                      OptionCase{"bus=GPIB", "GPIB?*::INSTR", "", "", false},
                      OptionCase{"bus=Any", default_mask, "", "", false},
                      OptionCase{"bus=GPIB mask=?*::INSTR", "?*::INSTR", "", "", false},
                      OptionCase{"mask=?*::INSTR bus=USB", "?*::INSTR", "", "", false},
                      OptionCase{"mask=", "", "", "", false},
                      OptionCase{"\"mask=  TCPIP?*  \"", "TCPIP?*", "", "", false},
                      // The parser accepts the value trimmed, so the mask follows it.
                      OptionCase{"\"bus= usb \"", "USB?*::INSTR", "", "", false},
                      OptionCase{"counter=\"  USB0::0x1234::0x5678::SN1::INSTR  \"", default_mask,
                                 "", "USB0::0x1234::0x5678::SN1::INSTR", false},
                      OptionCase{"\"hex_file=  fw 1.hex\"", default_mask, "  fw 1.hex", "", false},
                      OptionCase{"fw.hex", default_mask, "fw.hex", "", true},
                      OptionCase{"fw.hex hex_file=other.hex", default_mask, "fw.hex", "", true},
                      OptionCase{"hex_file=other.hex fw.hex", default_mask, "fw.hex", "", true},
                      OptionCase{"hex_file=other.hex start", default_mask, "other.hex", "", true},
                      OptionCase{"strat", default_mask, "strat", "", true},
                      // A doubled hyphen is a prefix as in every other POSIX tool.
                      OptionCase{"--start", default_mask, "", "", true},
                      OptionCase{"x=y", default_mask, "x", "", true},
                      OptionCase{"=y", default_mask, "y", "", true},
                      OptionCase{"-", default_mask, "", "", true},
                      // A slash is a prefix only before an option name; anything else after
                      // it is an absolute path, a file in the root included.
                      OptionCase{"/tmp/fw.hex", default_mask, "/tmp/fw.hex", "", true},
                      OptionCase{"/fw.hex", default_mask, "/fw.hex", "", true},
                      OptionCase{"/strat", default_mask, "/strat", "", true},
                      OptionCase{"/start", default_mask, "", "", true},
                      OptionCase{"\"/tmp/fw files/v 1.hex\"", default_mask, "/tmp/fw files/v 1.hex",
                                 "", true}));

struct FailureCase {
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
        FailureCase{"bus=serial", "Illegal value 'serial' of the argument 'bus'"},
        FailureCase{"bus=", "Illegal value '' of the argument 'bus'"},
        FailureCase{"a.hex b.hex",
                    "The argument 'unnamed parameter' must not occur in the command line more "
                    "than once"},
        FailureCase{"start=yes", "It is not possible to give a value for argument 'start'"},
        FailureCase{"start=", "It is not possible to give a value for argument 'start'"},
        FailureCase{"emulate_counter", "Value not given for the argument 'emulate_counter'"},
        FailureCase{"hex_file=a.hex hex_file=a.hex",
                    "The argument 'hex_file' must not occur in the command line more than once"},
        // A parse failure wins over help.
        FailureCase{"help start=1", "It is not possible to give a value for argument 'start'"},
        FailureCase{"help=me", "It is not possible to give a value for argument 'help'"},
        FailureCase{"bus=%s%n", "Illegal value '%s%n' of the argument 'bus'"}));

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
                                           "fw.hex help"));

struct EmulationCase {
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

INSTANTIATE_TEST_SUITE_P(Table, Emulation,
                         ::testing::Values(EmulationCase{"100", 100}, EmulationCase{"1000", 1000},
                                           EmulationCase{"112", 112}, EmulationCase{"0112", 112},
                                           EmulationCase{"99", 0}, EmulationCase{"1001", 0},
                                           EmulationCase{"+112", 0}, EmulationCase{"-112", 0},
                                           EmulationCase{"1.12", 0}, EmulationCase{"112x", 0},
                                           EmulationCase{" 112", 0}, EmulationCase{"", 0},
                                           EmulationCase{"4294967408", 0},
                                           EmulationCase{"99999999999999999999", 0}));

struct SettingsCase {
    const char* command_line;
    const char* settings;
};

class SettingsFile : public LoaderAppTest, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(SettingsFile, IsTheProgramPathWithTheExtensionIni) {
    ASSERT_TRUE(app_.process_command_line(receiver_, GetParam().command_line));
    EXPECT_EQ(receiver_.settings, GetParam().settings);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsFile,
    ::testing::Values(SettingsCase{"\"C:\\Program Files\\tool\\HX4xLoader.exe\" start",
                                   "C:\\Program Files\\tool\\HX4xLoader.ini"},
                      SettingsCase{"/opt/hx4x/bin/HX4xLoader start",
                                   "/opt/hx4x/bin/HX4xLoader.ini"},
                      SettingsCase{"./loader", "./loader.ini"},
                      SettingsCase{"loader", "loader.ini"},
                      SettingsCase{"/opt/v1.2/loader", "/opt/v1.2/loader.ini"}));

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
