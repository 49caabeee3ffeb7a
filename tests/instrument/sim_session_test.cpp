#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "app/emulated_version.hpp"
#include "fake_clock.hpp"
#include "instrument/discovery.hpp"
#include "instrument/emulation.hpp"
#include "instrument/identification.hpp"
#include "instrument/instrument_session.hpp"
#include "visa_sim_fixture.hpp"

namespace hx4x {
namespace {

using testing_support::VisaSimTest;

const std::string usb = "USB0::0x5D3C::0x0090::100000::INSTR";
const std::string gpib = "GPIB0::12::INSTR";

const std::string two_counters = "resource " + usb +
                                 "\n"
                                 "    idn VALDMORE,HX-40,123456,V1.11\n"
                                 "resource " +
                                 gpib +
                                 "\n"
                                 "    idn QUORVELAN,LTA5003,654321,V1.05 12 Mar 2019\n";

class SimSession : public VisaSimTest {
  protected:
    std::array<char, 4097> reply_{};
    std::uint32_t count_ = 0;
};

TEST_F(SimSession, IdentifiesEveryModelOfTheTableThroughTheBus) {
    std::string config;
    std::vector<std::string> names;
    int n = 0;
    for (const CounterMaker& maker : counter_makers()) {
        for (std::string_view model : maker.models) {
            names.push_back("GPIB0::" + std::to_string(++n) + "::INSTR");
            config += "resource " + names.back() + "\n    idn " + std::string(maker.reply_word) +
                      "," + std::string(model) + ",10000" + std::to_string(n % 10) +
                      ",V1.15 01 Jan 2020\n";
        }
    }
    ASSERT_TRUE(load_sim(config));
    ASSERT_TRUE(find_counters(""));
    ASSERT_EQ(resource_list(), names);
    std::size_t i = 0;
    for (const CounterMaker& maker : counter_makers()) {
        for (std::string_view model : maker.models) {
            InstrumentSession session;
            ASSERT_TRUE(session.open(names[i]));
            ASSERT_TRUE(session.query(":ABOR; *IDN?", reply_.data(), 4096, &count_));
            CounterIdentity identity;
            ASSERT_TRUE(parse_identification(session.resource_name(),
                                             std::string_view(reply_.data()), identity));
            EXPECT_EQ(identity.resource_name, names[i]);
            EXPECT_EQ(identity.manufacturer, maker.name);
            EXPECT_EQ(identity.model, model);
            EXPECT_EQ(identity.firmware_version, "V1.15 01 Jan 2020");
            EXPECT_EQ(identity.version_number, 115);
            ++i;
        }
    }
}

TEST_F(SimSession, RefusesOtherInstruments) {
    ASSERT_TRUE(
        load_sim("resource GPIB0::1::INSTR\n idn ACME,HX-40,123456,V1.15\n"
                 "resource GPIB0::2::INSTR\n idn VALDMORE,RV2261,123456,V1.15\n"));
    for (const char* name : {"GPIB0::1::INSTR", "GPIB0::2::INSTR"}) {
        InstrumentSession session;
        ASSERT_TRUE(session.open(name));
        ASSERT_TRUE(session.query(":ABOR; *IDN?", reply_.data(), 4096, &count_));
        CounterIdentity identity;
        EXPECT_FALSE(parse_identification(name, reply_.data(), identity)) << name;
    }
}

TEST_F(SimSession, SendsCommandsAsTheyAreAndReadsRepliesWithTheirLineEnding) {
    ASSERT_TRUE(load_sim(two_counters));
    InstrumentSession session;
    ASSERT_TRUE(session.open(gpib));
    EXPECT_EQ(session.resource_name(), gpib);
    EXPECT_FALSE(session.is_usb());
    ASSERT_TRUE(session.write(":ABOR; *IDN?"));
    ASSERT_TRUE(session.read(reply_.data(), 4096, &count_));
    EXPECT_STREQ(reply_.data(), "QUORVELAN,LTA5003,654321,V1.05 12 Mar 2019\n");
    EXPECT_EQ(count_, std::strlen(reply_.data()));
    const auto writes = calls_of("viWrite");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0], "viWrite GPIB0::12::INSTR :ABOR; *IDN? -> VI_SUCCESS");
    const auto opens = calls_of("viOpen");
    ASSERT_EQ(opens.size(), 1u);
    const std::string rm = "rm=" + std::to_string(VisaLibrary::instance().default_rm());
    EXPECT_EQ(opens[0].rfind("viOpen " + rm + " GPIB0::12::INSTR -> VI_SUCCESS vi=", 0), 0u)
        << opens[0];
}

TEST_F(SimSession, WritesBytesWithZerosAndEmptyCommands) {
    ASSERT_TRUE(load_sim(two_counters));
    InstrumentSession session;
    ASSERT_TRUE(session.open(usb));
    const std::uint8_t bytes[] = {'*', 'C', 'L', 'S', 0, 'x'};
    EXPECT_TRUE(session.write_bytes(bytes, sizeof bytes));
    EXPECT_TRUE(session.write(""));
    const auto writes = calls_of("viWrite");
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0], "viWrite " + usb + " *CLS\\x00x -> VI_SUCCESS");
    EXPECT_EQ(writes[1].rfind("viWrite " + usb + " ", 0), 0u);
    EXPECT_NE(writes[1].find(" -> VI_SUCCESS"), std::string::npos);
}

TEST_F(SimSession, AReplyThatFillsTheCapacityExactlyIsTerminated) {
    ASSERT_TRUE(load_sim(two_counters));
    InstrumentSession session;
    ASSERT_TRUE(session.open(usb));
    const std::string expected = "VALDMORE,HX-40,123456,V1.11\n";
    const int exact = static_cast<int>(expected.size());
    reply_.fill('#');
    ASSERT_TRUE(session.query("*IDN?", reply_.data(), exact, &count_));
    EXPECT_EQ(count_, expected.size());
    EXPECT_EQ(std::string(reply_.data()), expected);
}

TEST_F(SimSession, AReplyLongerThanTheCapacityIsAFailureWithTheCount) {
    ASSERT_TRUE(load_sim(two_counters));
    InstrumentSession session;
    ASSERT_TRUE(session.open(usb));
    reply_.fill('#');
    // The library answers a completion code for a cut reply: not a success.
    EXPECT_FALSE(session.query("*IDN?", reply_.data(), 10, &count_));
    EXPECT_EQ(count_, 10u);
    EXPECT_EQ(std::string(reply_.data(), 10), "VALDMORE,H");
}

TEST_F(SimSession, AReadThatTimesOutFailsAndTheReplyStaysQueued) {
    ASSERT_TRUE(load_sim("resource " + gpib + "\n timeout_read 1\n"));
    InstrumentSession session;
    ASSERT_TRUE(session.open(gpib));
    EXPECT_FALSE(session.query("*IDN?", reply_.data(), 4096, &count_));
    EXPECT_EQ(count_, 0u);
    EXPECT_STREQ(reply_.data(), "");
    EXPECT_TRUE(session.read(reply_.data(), 4096, &count_));
    EXPECT_EQ(std::string(reply_.data()).rfind("VALDMORE,", 0), 0u);
    EXPECT_FALSE(session.read(reply_.data(), 4096, &count_)) << "nothing more to read";
}

TEST_F(SimSession, OnlyStatusZeroIsSuccess) {
    ASSERT_TRUE(
        load_sim("fail viWrite 1 VI_SUCCESS_TERM_CHAR\n"
                 "fail viSetAttribute 1 VI_SUCCESS_MAX_CNT\n"
                 "fail viEnableEvent 1 VI_SUCCESS_QUEUE_NEMPTY\n"
                 "fail viOpen 1 VI_SUCCESS_QUEUE_EMPTY\n"
                 "resource " +
                 gpib + "\n"));
    InstrumentSession session;
    EXPECT_FALSE(session.open(gpib));
    ASSERT_TRUE(session.open(gpib));
    EXPECT_FALSE(session.write("*CLS"));
    EXPECT_TRUE(session.write("*CLS"));
    EXPECT_FALSE(session.set_timeout(1000));
    EXPECT_TRUE(session.set_timeout(1000));
    EXPECT_FALSE(session.enable_service_request());
}

TEST_F(SimSession, SetsTheTimeOutAttribute) {
    ASSERT_TRUE(load_sim(two_counters));
    InstrumentSession session;
    ASSERT_TRUE(session.open(gpib));
    ASSERT_TRUE(session.set_timeout(1000));
    EXPECT_EQ(calls_of("viSetAttribute"),
              std::vector<std::string>{"viSetAttribute " + gpib +
                                       " VI_ATTR_TMO_VALUE=1000 -> VI_SUCCESS"});
}

TEST_F(SimSession, WaitsForAServiceRequest) {
    ASSERT_TRUE(load_sim(two_counters));
    InstrumentSession session;
    ASSERT_TRUE(session.open(usb));
    EXPECT_FALSE(session.wait_service_request(100)) << "not enabled";
    ASSERT_TRUE(session.enable_service_request());
    EXPECT_FALSE(session.wait_service_request(100)) << "nothing requested yet";
    ASSERT_TRUE(session.write("*ESE 1;:*SRE 32"));
    ASSERT_TRUE(session.write("*OPC"));
    EXPECT_TRUE(session.wait_service_request(100));
    EXPECT_FALSE(session.wait_service_request(100)) << "one request, one event";
    const auto enables = calls_of("viEnableEvent");
    ASSERT_EQ(enables.size(), 1u);
    EXPECT_EQ(enables[0],
              "viEnableEvent " + usb + " VI_EVENT_SERVICE_REQ mechanism=1 -> VI_SUCCESS");
}

TEST_F(SimSession, ReopenClosesTheEarlierSessionFirst) {
    ASSERT_TRUE(load_sim(two_counters));
    InstrumentSession session;
    ASSERT_TRUE(session.open(usb));
    ASSERT_TRUE(session.open(gpib));
    EXPECT_EQ(session.resource_name(), gpib);
    EXPECT_EQ(calls_of("viClose"), std::vector<std::string>{"viClose " + usb + " -> VI_SUCCESS"});

    EXPECT_FALSE(session.open("GPIB0::99::INSTR"));
    EXPECT_FALSE(session.is_open()) << "a failed re-open leaves the session closed";
    EXPECT_EQ(session.resource_name(), "");
    EXPECT_EQ(calls_of("viClose").size(), 2u);
    session.close();
    EXPECT_EQ(calls_of("viClose").size(), 2u) << "closing a closed session calls nothing";
}

TEST_F(SimSession, NameLimitIs255Characters) {
    const std::string longest = "GPIB0::" + std::string(241, '7') + "::INSTR";
    ASSERT_EQ(longest.size(), 255u);
    ASSERT_TRUE(load_sim("resource " + longest + "\n"));
    InstrumentSession session;
    ASSERT_TRUE(session.open(longest));
    EXPECT_EQ(session.resource_name(), longest);
    const std::string too_long = longest + "X";
    EXPECT_FALSE(session.open(too_long));
    EXPECT_TRUE(session.is_open()) << "refused before the earlier session is touched";
    EXPECT_EQ(calls_of("viOpen").size(), 1u);
}

TEST_F(SimSession, IoDelayFollowsWritesAndNonEmptyReads) {
    ASSERT_TRUE(load_sim("fail viWrite 2 VI_ERROR_IO\nresource " + usb + "\n"));
    FakeClock clock;
    ScopedClock scoped(clock);
    InstrumentSession session;
    ASSERT_TRUE(session.open(usb));
    session.set_io_delay(200);
    ASSERT_TRUE(session.write("*IDN?"));
    EXPECT_EQ(clock.slept(), 200);
    EXPECT_FALSE(session.write("*IDN?"));
    EXPECT_EQ(clock.slept(), 200) << "no delay after a failed write";
    ASSERT_TRUE(session.read(reply_.data(), 4096, &count_));
    EXPECT_EQ(clock.slept(), 400);
    EXPECT_FALSE(session.read(reply_.data(), 4096, &count_));
    EXPECT_EQ(clock.slept(), 400) << "no delay after a failed read";
}

TEST_F(SimSession, LostConnectionFailsEveryOperation) {
    ASSERT_TRUE(load_sim("resource " + gpib + "\n drop_after 1 *CLS\n"));
    InstrumentSession session;
    ASSERT_TRUE(session.open(gpib));
    EXPECT_TRUE(session.write("*CLS"));
    EXPECT_FALSE(session.write("*IDN?"));
    EXPECT_FALSE(session.read(reply_.data(), 4096, &count_));
    EXPECT_FALSE(session.open(gpib));
    EXPECT_FALSE(find_resources(""));
}

TEST_F(SimSession, EmulationMakesNoVisaCallEvenWithTheLibraryThere) {
    ASSERT_TRUE(load_sim(two_counters));
    const std::size_t before = transcript().size();
    set_emulated_version(115);
    ASSERT_TRUE(find_counters(""));
    EXPECT_EQ(resource_list(), std::vector<std::string>{std::string(emulated_resource_name)});
    InstrumentSession session;
    ASSERT_TRUE(session.open(usb));
    EXPECT_TRUE(session.write("*CLS"));
    EXPECT_TRUE(session.read(reply_.data(), 4096, &count_));
    EXPECT_EQ(count_, 0u);
    EXPECT_TRUE(session.set_timeout(1000));
    EXPECT_TRUE(session.enable_service_request());
    EXPECT_TRUE(session.wait_service_request(100));
    session.close();
    EXPECT_EQ(transcript().size(), before);
}

}  // namespace
}  // namespace hx4x
