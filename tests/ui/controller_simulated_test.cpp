#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "controller_fixture.hpp"
#include "environment.hpp"
#include "instrument/counter_lock.hpp"
#include "instrument/visa_library.hpp"
#include "ui/controller_texts.hpp"

namespace hx4x {
namespace {

using Kind = testing_support::RecordingView::Kind;
namespace text = controller_text;

const std::string usb = "USB0::0x5D3C::0x0090::100000::INSTR";
const std::string gpib = "GPIB0::12::INSTR";

// Two counters on a simulated bus: a USB counter at 1.15 and a GPIB counter at 1.05.
class SimulatedControllerTest : public testing_support::EmulatedControllerTest {
  protected:
    SimulatedControllerTest() { set_emulated_version(0); }
    ~SimulatedControllerTest() override {
        VisaLibrary::instance().unload();
        testing_support::unset_environment("HX4X_VISA_SIM_CONFIG");
    }

    void start_bus(const std::string& global_keys = "", const std::string& usb_keys = "",
                   const std::string& gpib_keys = "", bool available = true) {
        const std::string config = dir.file("bus.cfg");
        testing_support::write_file(
            config, "timeouts immediate\ntranscript " + transcript() + "\n" + global_keys +
                        "\nresource " + usb + "\nidn VALDMORE,HX-40XL,123456,V1.15\n" +
                        "new_version V1.20\nburn_ms 700\nimage " + dir.file("usb.bin") + "\n" +
                        usb_keys + "\nresource " + gpib + "\nidn DWERN,RV2260,654321,V1.05\n" +
                        "new_version V1.06\n" + gpib_keys + "\n");
        testing_support::set_environment("HX4X_VISA_SIM_CONFIG", config);
        // The claims on counters live in the runtime folder: other tests running at the same
        // time use the same counter names on buses of their own.
        runtime_folder_.emplace("XDG_RUNTIME_DIR", dir.path().string());
        std::string error;
        ASSERT_EQ(VisaLibrary::instance().load(HX4X_VISA_SIM_PATH, &error), available) << error;
    }

    std::string transcript() const { return dir.file("transcript.txt"); }

    std::vector<std::string> writes() const {
        std::ifstream in(transcript());
        std::vector<std::string> result;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("viWrite ", 0) == 0) {
                const std::size_t start = line.find(' ', 8) + 1;
                result.push_back(line.substr(start, line.find(" -> ") - start));
            }
        }
        return result;
    }

    std::string all_writes() const {
        std::string joined;
        for (const std::string& write : writes()) {
            joined += write + "\n";
        }
        return joined;
    }

    // Resets sent after the preparation began (the preparation sends one of its own).
    std::ptrdiff_t resets_after_preparation() const {
        const std::vector<std::string> sent = writes();
        auto from = std::find(sent.begin(), sent.end(), ":SYSTEM:FIRMWARE:PREPARE");
        return std::count(from, sent.end(), ":ABOR; *rst; *PSC 0; *CLS");
    }

    std::size_t data_commands() const {
        std::size_t count = 0;
        for (const std::string& write : writes()) {
            count += write.rfind("SYST:FIRM:DATA #", 0) == 0 ? 1u : 0u;
        }
        return count;
    }

    std::optional<testing_support::ScopedEnvironment> runtime_folder_;
};

TEST_F(SimulatedControllerTest, LastUsedInstrumentIsSelectedAgain) {
    start_bus();
    view.page = page_instruments;
    controller.set_selected_address(gpib);
    ASSERT_TRUE(controller.refresh_instruments());
    EXPECT_EQ(view.list, (std::vector<std::string>{usb, gpib}));
    EXPECT_EQ(view.selected, 1u);
    EXPECT_EQ(controller.selected_address(), gpib);
    EXPECT_EQ(view.calls, std::vector<std::string>{"buttons found"});

    controller.set_selected_address("GPIB0::99::INSTR");
    controller.refresh_instruments();
    EXPECT_EQ(view.selected, 0u) << "a counter that is gone falls back to the first line";
    EXPECT_EQ(controller.selected_address(), usb);
}

TEST_F(SimulatedControllerTest, ResourceManagerRefusedNamesTheInitialisationError) {
    start_bus("rm_status VI_ERROR_SYSTEM_ERROR", "", "", false);
    EXPECT_FALSE(controller.refresh_instruments());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Error initialization VISA Runtime");
}

TEST_F(SimulatedControllerTest, EmptyBusSaysNoInstruments) {
    start_bus("", "absent", "absent");
    EXPECT_FALSE(controller.refresh_instruments());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "No connected instruments found");
}

TEST_F(SimulatedControllerTest, SuccessfulUpdateOnTheGpibCounter) {
    start_bus();
    controller.set_selected_address(gpib);
    controller.refresh_instruments();
    controller.start_update();

    ASSERT_EQ(view.messages.size(), 1u) << view.messages[0].text;
    EXPECT_EQ(view.messages[0].kind, MessageKind::information);
    EXPECT_EQ(view.messages[0].text.rfind("Firmware update completed successfully\n\n", 0), 0u);
    EXPECT_NE(view.messages[0].text.find("\nNew firmware version is:\n\tV1.06"), std::string::npos);
    EXPECT_NE(view.questions.at(0).find("\tModel:\t\tRV2260\n"), std::string::npos);
    EXPECT_EQ(view.rows.at(4).value, "V1.06") << "the view shows the new version";

    const std::vector<std::string> sent = writes();
    EXPECT_GT(data_commands(), 0u);
    // The reset comes after the burn, then the counter is identified afresh.
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[sent.size() - 2], ":ABOR; *rst; *PSC 0; *CLS");
    EXPECT_EQ(sent.back(), ":ABOR; *IDN?");
    EXPECT_FALSE(controller.protocol().session().is_open());
}

TEST_F(SimulatedControllerTest, CancelDuringSendingResetsThePreparedCounter) {
    start_bus();
    view.on_status(text::sending_caption, Kind::cancel_click);
    controller.refresh_instruments();
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Operation canceled by user");
    const std::vector<std::string> sent = writes();
    EXPECT_EQ(sent.back(), ":ABOR; *rst; *PSC 0; *CLS");
    // The transfer resets the counter on its way out, and so does the run's finish.
    EXPECT_EQ(resets_after_preparation(), 2) << all_writes();
}

TEST_F(SimulatedControllerTest, NoAtTheConfirmationResetsTheCounter) {
    start_bus();
    view.answer_yes = false;
    controller.refresh_instruments();
    controller.start_update();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(data_commands(), 0u);
    EXPECT_EQ(writes().back(), ":ABOR; *rst; *PSC 0; *CLS");
}

TEST_F(SimulatedControllerTest, CounterThatCannotBeOpenedSendsTheWizardToPageOne) {
    start_bus("fail viOpen 1 VI_ERROR_RSRC_BUSY");
    controller.refresh_instruments();
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              "Can't open the counter with the following VISA symbolic address:\n\n\t" + usb +
                  "\n\nThe reason might be one of the following:\n"
                  "\t1. The counter is turned off or disconnected from computer\n"
                  "\t2. The counter is already in use by another program\n"
                  "\t3. The instrument with given address found but it is not a HX-4x/RV226x "
                  "counter");
    EXPECT_EQ(view.page, page_instruments);
    EXPECT_TRUE(writes().empty());
}

TEST_F(SimulatedControllerTest, FailedReconnectAfterTheBurnShowsTwoMessages) {
    // viOpen 1: start; 2: the burn's re-open after the service request; 3: the reconnect.
    start_bus("fail viOpen 3 VI_ERROR_RSRC_BUSY");
    controller.refresh_instruments();
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[0].text.rfind("Can't open the counter", 0), 0u);
    EXPECT_EQ(view.messages[1].text,
              "Error updating firmware.\nPlease, perform power cycle of the counter and try again");
    EXPECT_EQ(resets_after_preparation(), 1)
        << "reset once, before the reconnect, and not again after it failed\n"
        << all_writes();
}

TEST_F(SimulatedControllerTest, RejectedBlockFailsTheTransfer) {
    start_bus("", "reject_block 1 3");
    controller.refresh_instruments();
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Error sending firmware to the counter");
    EXPECT_EQ(data_commands(), 3u);
    EXPECT_EQ(writes().back(), ":ABOR; *rst; *PSC 0; *CLS");
}

TEST_F(SimulatedControllerTest, PreparationFailureIsReported) {
    start_bus("fail viWrite 3 VI_ERROR_IO");
    controller.refresh_instruments();
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Communication error occurred during preparation for update");
    EXPECT_EQ(view.statuses, std::vector<std::string>{text::preparing_caption});
}

TEST_F(SimulatedControllerTest, ACounterThatNeverReturnsFailsTheBurn) {
    // The counter never comes back on the bus after the burn order.
    start_bus("", "refuse_reopen 100000");
    controller.refresh_instruments();
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].kind, MessageKind::error);
    EXPECT_EQ(view.messages[0].text,
              "Error updating firmware.\nPlease, perform power cycle of the counter and try again");
    EXPECT_EQ(view.statuses.back(), text::burning_caption);
    EXPECT_EQ(controller.burn_seconds(), 0u);
    // The counter never came back: it may still be flashing, and gets no reset.
    EXPECT_EQ(writes().back(), "*OPC [while flashing]") << all_writes();
    EXPECT_EQ(view.calls.back(), "leave_busy_state");
    EXPECT_FALSE(controller.protocol().session().is_open());
}

TEST_F(SimulatedControllerTest, CloseDuringARunCancelsAndASecondCloseAfterItCloses) {
    start_bus();
    view.on_status(text::preparing_caption, Kind::close_request);
    controller.refresh_instruments();
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].kind, MessageKind::warning);
    EXPECT_EQ(writes().back(), ":ABOR; *rst; *PSC 0; *CLS");
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "close_window"), 0);

    controller.request_close();
    ASSERT_GE(view.calls.size(), 2u);
    EXPECT_EQ(view.calls[view.calls.size() - 2], "save_settings");
    EXPECT_EQ(view.calls.back(), "close_window");
}

// Whatever the counter does during and after the flash, the run reports success only when
// the new firmware runs, and sends no reset into a running flash.
TEST_F(SimulatedControllerTest, TheBurnIsReportedAsItWentAndNeverResetWhileFlashing) {
    const std::string failed = text::update_failed;
    struct Case {
        const char* name;
        std::string global_keys;
        std::string usb_keys;
        std::string file_version;
        std::vector<std::string> messages;  // empty: the success message
        bool reset_after_the_order;
    };
    const Case cases[] = {
        // A stale request, then a counter silent until it has flashed: reset once it is back.
        {"EarlyRequestThenSilence",
         "",
         "burn_answer no\nearly_srq 50\nburn_ms 3000",
         "1.20",
         {failed},
         true},
        // A stale request, then a counter that answers without having restarted.
        {"EarlyRequestAnsweredWithoutPowerOn",
         "",
         "early_srq 50\nburn_ms 3000",
         "1.20",
         {failed},
         false},
        {"SameVersionAfterTheBurn",
         "",
         "new_version V1.15",
         "1.20",
         {std::string(text::previous_firmware_head) + "V1.15" + text::previous_firmware_tail},
         true},
        {"ReloadOfTheVersionItRuns", "", "new_version V1.15", "1.15", {}, true},
        // Every wait fails at once: the counter is looked for afresh until it is back.
        {"WaitsThatFailAtOnce",
         "fail viWaitOnEvent 1 VI_ERROR_CONN_LOST 0",
         "burn_answer no",
         "1.20",
         {},
         true},
        {"CounterThatNeverComesBack",
         "",
         "burn_answer drop\nburn_ms 100000000",
         "1.20",
         {failed},
         false},
        // The bus goes mid-transfer: the reset that ends the run cannot be sent either.
        {"ResetThatCannotBeSent",
         "",
         "drop_after 1 SYST:FIRM:DATA",
         "1.20",
         {text::sending_error, text::reset_failed},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.messages.clear();
        testing_support::write_file(firmware, testing_support::firmware_hex_text(c.file_version));
        start_bus(c.global_keys, c.usb_keys);
        controller.refresh_instruments();
        controller.start_update();

        std::vector<std::string> shown;
        for (const auto& message : view.messages) {
            shown.push_back(message.text);
        }
        if (c.messages.empty()) {
            ASSERT_EQ(shown.size(), 1u) << shown.front();
            EXPECT_EQ(shown[0].rfind("Firmware update completed successfully", 0), 0u);
        } else {
            EXPECT_EQ(shown, c.messages);
        }
        EXPECT_EQ(controller.outcome().burned, c.messages.empty());
        const std::vector<std::string> sent = writes();
        const auto order = std::find_if(sent.begin(), sent.end(), [](const std::string& w) {
            return w.rfind("SYST:FIRM:UPD", 0) == 0;
        });
        EXPECT_EQ(std::count(order, sent.end(), ":ABOR; *rst; *PSC 0; *CLS") > 0,
                  c.reset_after_the_order)
            << all_writes();
        EXPECT_EQ(all_writes().find("while flashing, bricked"), std::string::npos) << all_writes();
        EXPECT_FALSE(controller.protocol().session().is_open());
        VisaLibrary::instance().unload();
    }
}

// Refusals that come before anything reaches the counter, or anything changes it.
TEST_F(SimulatedControllerTest, RefusedBeforeTheCounterIsTouched) {
    start_bus();
    {
        // Another copy of the programs works with the counter.
        CounterLock other;
        ASSERT_EQ(other.take(usb), CounterLock::Claim::taken);
        controller.refresh_instruments();
        controller.start_update();
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0].text,
                  text::counter_in_use_head + usb + text::counter_in_use_tail);
        EXPECT_TRUE(writes().empty());
        EXPECT_EQ(controller.outcome().step, UpdateStep::open);
    }
    // Records of 255 bytes, which a counter below 1.07 cannot take in one block.
    view.messages.clear();
    testing_support::write_file(firmware, testing_support::firmware_hex_text("1.06", 1020, 255));
    view.page = page_update;  // the refusal above sent the wizard to the instruments
    controller.set_selected_address(gpib);
    controller.refresh_instruments();
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              text::unsendable(firmware,
                               "The data record for address 0x00000000 holds 255 data bytes, "
                               "and a block to this counter carries at most 249"));
    EXPECT_EQ(writes(), (std::vector<std::string>{":ABOR; *IDN?"}));
}

}  // namespace
}  // namespace hx4x
