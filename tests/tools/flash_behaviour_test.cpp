// What a counter does between the burn order and the end of the flash (`burn_answer`,
// `early_srq`) and what a reset sent into the flash does to it, seen through the library.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "case_name.hpp"
#include "sim_library.hpp"

namespace hx4x::visa_sim {
namespace {

using namespace hx4x::visa_sim::sim_test;

// The command written right after `after`, as the transcript shows it.
std::string written_after(const std::vector<std::string>& commands, const std::string& after) {
    const auto found = std::find(commands.begin(), commands.end(), after);
    return found == commands.end() || found + 1 == commands.end() ? std::string() : *(found + 1);
}

struct BurnCase {
    const char* name;
    const char* mode;
    // Calls on the session opened before the order, while the counter flashes.
    ViStatus write;
    ViStatus read;
    ViStatus wait;
    ViStatus open;               // a new session, while flashing; a search shows it alike
    ViStatus old_session_after;  // the old session, once the flash has ended
    const char* shown;           // the write while flashing, as the transcript shows it
};

class BurnAnswer : public SimLibrary, public ::testing::WithParamInterface<BurnCase> {};

TEST_P(BurnAnswer, WhileFlashingAndAfter) {
    const BurnCase& c = GetParam();
    configure(std::string("resource ") + usb + "\nburn_ms 1000\nburn_answer " + c.mode +
              "\nresource " + bystander + "\n");
    const ViSession rm = open_rm();
    const ViSession vi = open(rm, usb);
    const std::string idn = query(vi, "*IDN?");
    load_image(vi);
    ASSERT_EQ(api_.set_attribute(vi, VI_ATTR_TMO_VALUE, 100), VI_SUCCESS);
    ASSERT_EQ(write(vi, "*ESE 128;:*SRE 32;:*PSC 0"), VI_SUCCESS);
    ASSERT_EQ(write(vi, "*CLS"), VI_SUCCESS);
    ASSERT_EQ(api_.enable_event(vi, VI_EVENT_SERVICE_REQ, VI_QUEUE, 0), VI_SUCCESS);
    ASSERT_EQ(write(vi, "SYST:FIRM:UPD"), VI_SUCCESS);

    EXPECT_EQ(write(vi, "*IDN?"), c.write);
    ViStatus status = 0;
    EXPECT_EQ(read(vi, &status), c.read == VI_SUCCESS ? idn : "");
    EXPECT_EQ(status, c.read);
    EXPECT_EQ(api_.wait_on_event(vi, VI_EVENT_SERVICE_REQ, 100, nullptr, nullptr), c.wait);
    ViSession other = 0;
    EXPECT_EQ(api_.open(rm, usb, VI_NO_LOCK, 0, &other), c.open);
    EXPECT_EQ(find_all(rm, "USB?*", &status).size(), c.open == VI_SUCCESS ? 1u : 0u);
    if (other != 0) {
        EXPECT_EQ(api_.close(other), VI_SUCCESS);
    }

    let_time_pass(rm, 1000);
    // The power-on request of the reboot reaches the old session when it survived.
    EXPECT_EQ(api_.wait_on_event(vi, VI_EVENT_SERVICE_REQ, 0, nullptr, nullptr),
              c.old_session_after);
    EXPECT_EQ(write(vi, "*ESE 0;:*SRE 0"), c.old_session_after);
    const ViSession fresh = open(rm, usb);
    EXPECT_EQ(query(fresh, "*IDN?"), idn);  // no new_version: the same text

    const std::vector<std::string> written = commands(usb);
    EXPECT_EQ(written_after(written, "SYST:FIRM:UPD"), c.shown);
    EXPECT_EQ(written.back(), "*IDN?");
}

INSTANTIATE_TEST_SUITE_P(
    Table, BurnAnswer,
    ::testing::Values(BurnCase{"ExecutesAsEver", "yes", VI_SUCCESS, VI_SUCCESS, VI_ERROR_TMO,
                               VI_SUCCESS, VI_SUCCESS, "*IDN? [while flashing]"},
                      BurnCase{"SwallowsAndTimesOut", "no", VI_SUCCESS, VI_ERROR_TMO, VI_ERROR_TMO,
                               VI_SUCCESS, VI_SUCCESS, "*IDN? [while flashing]"},
                      BurnCase{"DropsItsSessions", "drop", VI_ERROR_CONN_LOST, VI_ERROR_CONN_LOST,
                               VI_ERROR_CONN_LOST, VI_ERROR_RSRC_NFOUND, VI_ERROR_CONN_LOST,
                               "*IDN?"}),
    testing_support::CaseName());

struct EarlyCase {
    const char* name;
    const char* mode;
    int early_ms;
    int waits;      // 100 ms waits up to and with the one that gets the request; 0: none comes
    ViStatus poll;  // a serial poll right after
};

class EarlyRequest : public SimLibrary, public ::testing::WithParamInterface<EarlyCase> {};

TEST_P(EarlyRequest, ComesOnceToEverySessionWithoutTouchingTheStatusByte) {
    const EarlyCase& c = GetParam();
    configure(std::string("resource ") + usb + "\nburn_ms 1000\nburn_answer " + c.mode +
              "\nearly_srq " + std::to_string(c.early_ms) + "\n");
    const ViSession rm = open_rm();
    const ViSession vi = open(rm, usb);
    const ViSession other = open(rm, usb);
    load_image(vi);
    ASSERT_EQ(api_.set_attribute(vi, VI_ATTR_TMO_VALUE, 100), VI_SUCCESS);
    ASSERT_EQ(write(vi, "*ESE 0;:*SRE 0;:*CLS"), VI_SUCCESS);  // no request of its own
    ASSERT_EQ(api_.enable_event(vi, VI_EVENT_SERVICE_REQ, VI_QUEUE, 0), VI_SUCCESS);
    ASSERT_EQ(api_.enable_event(other, VI_EVENT_SERVICE_REQ, VI_QUEUE, 0), VI_SUCCESS);
    ASSERT_EQ(write(vi, "SYST:FIRM:UPD"), VI_SUCCESS);

    int waits = 0;
    ViStatus status = VI_ERROR_TMO;
    for (int i = 1; i <= 15 && status == VI_ERROR_TMO; ++i) {
        status = api_.wait_on_event(vi, VI_EVENT_SERVICE_REQ, 100, nullptr, nullptr);
        waits = status == VI_SUCCESS ? i : 0;
    }
    EXPECT_EQ(waits, c.waits);
    EXPECT_EQ(api_.wait_on_event(other, VI_EVENT_SERVICE_REQ, 0, nullptr, nullptr),
              c.waits > 0 ? VI_SUCCESS : VI_ERROR_TMO);
    EXPECT_EQ(api_.wait_on_event(vi, VI_EVENT_SERVICE_REQ, 0, nullptr, nullptr), VI_ERROR_TMO);
    ViUInt16 stb = 0xFFFF;
    EXPECT_EQ(api_.read_stb(vi, &stb), c.poll);
    EXPECT_EQ(stb, c.poll == VI_SUCCESS ? 0 : 0xFFFF);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EarlyRequest,
    ::testing::Values(EarlyCase{"WhileAnswering", "yes", 250, 3, VI_SUCCESS},
                      EarlyCase{"WhileSilentThoughItTakesNoPoll", "no", 250, 3, VI_ERROR_TMO},
                      EarlyCase{"NeverOnceTheFlashHasEnded", "yes", 1000, 0, VI_SUCCESS}),
    testing_support::CaseName());

struct BrickCase {
    const char* name;
    const char* mode;
    const char* order;  // the message with the burn order
    const char* reset;  // a later message with the reset, or null
    const char* shown;  // the message that bricked it, as the transcript shows it
};

class ResetIntoTheFlash : public SimLibrary, public ::testing::WithParamInterface<BrickCase> {};

TEST_P(ResetIntoTheFlash, BricksTheCounterForGood) {
    const BrickCase& c = GetParam();
    configure(std::string("resource ") + usb + "\nburn_ms 500\nburn_answer " + c.mode +
              "\nnew_version V1.20\nresource " + bystander + "\n");
    const ViSession rm = open_rm();
    const ViSession vi = open(rm, usb);
    load_image(vi);
    ASSERT_EQ(write(vi, "*ESE 128;:*SRE 32;:*PSC 0;:*CLS"), VI_SUCCESS);
    ASSERT_EQ(write(vi, c.order), VI_SUCCESS);
    if (c.reset != nullptr) {
        ASSERT_EQ(write(vi, c.reset), VI_SUCCESS);
    }
    let_time_pass(rm, 1000);

    // Still on the bus, but nothing comes back: no reply, no request, no poll.
    ViStatus status = 0;
    EXPECT_EQ(find_all(rm, "USB?*", &status), std::vector<std::string>{usb});
    const ViSession fresh = open(rm, usb);
    ASSERT_EQ(api_.set_attribute(fresh, VI_ATTR_TMO_VALUE, 100), VI_SUCCESS);
    ASSERT_EQ(api_.enable_event(fresh, VI_EVENT_SERVICE_REQ, VI_QUEUE, 0), VI_SUCCESS);
    EXPECT_EQ(write(fresh, "*ESE 128;:*SRE 32;:*CLS;:*IDN?"), VI_SUCCESS);
    read(fresh, &status);
    EXPECT_EQ(status, VI_ERROR_TMO);
    EXPECT_EQ(api_.wait_on_event(fresh, VI_EVENT_SERVICE_REQ, 5000, nullptr, nullptr),
              VI_ERROR_TMO);
    ViUInt16 stb = 0;
    EXPECT_EQ(api_.read_stb(fresh, &stb), VI_ERROR_TMO);

    const std::vector<std::string> written = commands(usb);
    EXPECT_EQ(written_after(written, "*ESE 128;:*SRE 32;:*PSC 0;:*CLS"),
              c.reset == nullptr ? c.shown : c.order);
    EXPECT_EQ(std::count(written.begin(), written.end(), c.shown), 1);
    EXPECT_EQ(written.back(), "*ESE 128;:*SRE 32;:*CLS;:*IDN? [bricked]");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ResetIntoTheFlash,
    ::testing::Values(BrickCase{"OfAnAnsweringCounter", "yes", "SYST:FIRM:UPD", "*RST",
                                "*RST [while flashing, bricked]"},
                      BrickCase{"OfASilentCounterInAnyCase", "no", "SYST:FIRM:UPD", "*CLS;:*rst",
                                "*CLS;:*rst [while flashing, bricked]"},
                      BrickCase{"RightAfterTheOrderToADroppingCounter", "drop",
                                "SYST:FIRM:UPD;*RST", nullptr,
                                "SYST:FIRM:UPD;*RST [while flashing, bricked]"}),
    testing_support::CaseName());

}  // namespace
}  // namespace hx4x::visa_sim
