// Drives the shared library through its exported entry points, loaded as the loader loads it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "block_builder.hpp"
#include "sim_library.hpp"

namespace hx4x::visa_sim {
namespace {

using namespace hx4x::visa_sim::sim_test;

TEST_F(SimLibrary, ExportsEveryEntryPoint) {
    for (const void* entry :
         {reinterpret_cast<const void*>(api_.open_rm), reinterpret_cast<const void*>(api_.open),
          reinterpret_cast<const void*>(api_.close), reinterpret_cast<const void*>(api_.find),
          reinterpret_cast<const void*>(api_.find_next), reinterpret_cast<const void*>(api_.ren),
          reinterpret_cast<const void*>(api_.get_attribute),
          reinterpret_cast<const void*>(api_.set_attribute),
          reinterpret_cast<const void*>(api_.write), reinterpret_cast<const void*>(api_.read),
          reinterpret_cast<const void*>(api_.enable_event),
          reinterpret_cast<const void*>(api_.wait_on_event),
          reinterpret_cast<const void*>(api_.read_stb),
          reinterpret_cast<const void*>(api_.status_desc),
          reinterpret_cast<const void*>(api_.flush)}) {
        EXPECT_NE(entry, nullptr);
    }
}

TEST_F(SimLibrary, ResourceManagerRefusedAsConfigured) {
    configure("rm_status VI_ERROR_SYSTEM_ERROR\n");
    ViSession rm = 99;
    EXPECT_EQ(api_.open_rm(&rm), VI_ERROR_SYSTEM_ERROR);
    EXPECT_EQ(rm, 0u);
    EXPECT_EQ(transcript(), std::vector<std::string>{"viOpenDefaultRM -> VI_ERROR_SYSTEM_ERROR"});
}

TEST_F(SimLibrary, ABrokenConfigurationRefusesTheResourceManager) {
    configure("resource GPIB0::1::INSTR\nbogus_key 1\n");
    ViSession rm = 0;
    EXPECT_EQ(api_.open_rm(&rm), VI_ERROR_INV_SETUP);
    testing_support::set_environment("HX4X_VISA_SIM_CONFIG", dir_.file("missing.cfg"));
    EXPECT_EQ(api_.open_rm(&rm), VI_ERROR_INV_SETUP);
}

TEST_F(SimLibrary, WithoutConfigurationTheBusIsEmpty) {
    testing_support::unset_environment("HX4X_VISA_SIM_CONFIG");
    const ViSession rm = open_rm();
    ViStatus status = 0;
    EXPECT_TRUE(find_all(rm, "?*", &status).empty());
    EXPECT_EQ(status, VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(api_.close(rm), VI_SUCCESS);
}

struct Search {
    const char* mask;
    ViStatus status;
    std::vector<std::string> names;
};

TEST_F(SimLibrary, FindsResourcesByMaskInConfigurationOrder) {
    configure(std::string("resource ") + usb + "\nresource " + gpib +
              "\nresource GPIB0::13::INSTR\nabsent\nresource TCPIP0::host::5025::SOCKET\n");
    const ViSession rm = open_rm();
    const Search searches[] = {
        {"?*::INSTR", VI_SUCCESS, {usb, gpib}},
        {"?*", VI_SUCCESS, {usb, gpib, "TCPIP0::host::5025::SOCKET"}},
        {"gpib?*", VI_SUCCESS, {gpib}},
        {"(USB|GPIB)[0-9]::?*", VI_SUCCESS, {usb, gpib}},
        {"GPIB0::13::INSTR", VI_ERROR_RSRC_NFOUND, {}},
        {"ASRL?*", VI_ERROR_RSRC_NFOUND, {}},
        {"(USB", VI_ERROR_INV_EXPR, {}},
        {"", VI_ERROR_INV_EXPR, {}},
    };
    for (const Search& search : searches) {
        ViStatus status = 0;
        EXPECT_EQ(find_all(rm, search.mask, &status), search.names) << search.mask;
        EXPECT_EQ(status, search.status) << search.mask;
    }
    const auto lines = transcript("viFindRsrc");
    ASSERT_EQ(lines.size(), std::size(searches));
    EXPECT_EQ(lines[0],
              "viFindRsrc rm=" + std::to_string(rm) + " ?*::INSTR -> VI_SUCCESS count=2 " + usb);
    EXPECT_EQ(lines[5], "viFindRsrc rm=" + std::to_string(rm) + " ASRL?* -> VI_ERROR_RSRC_NFOUND");
    ViFindList list = 0;
    ViUInt32 count = 0;
    char name[VI_FIND_BUFLEN];
    EXPECT_EQ(api_.find(rm + 1000, "?*", &list, &count, name), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(api_.close(rm), VI_SUCCESS);
}

TEST_F(SimLibrary, OpensByNameIgnoringCaseAndRefusesUnknownOnes) {
    configure(std::string("resource ") + gpib + "\n");
    const ViSession rm = open_rm();
    ViSession vi = 7;
    EXPECT_EQ(api_.open(rm, "gpib0::12::instr", VI_NO_LOCK, 0, &vi), VI_SUCCESS);
    EXPECT_NE(vi, 0u);
    EXPECT_EQ(api_.open(rm, "GPIB0::99::INSTR", VI_NO_LOCK, 0, &vi), VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(vi, 0u);
    EXPECT_EQ(api_.open(rm, nullptr, VI_NO_LOCK, 0, &vi), VI_ERROR_INV_RSRC_NAME);
    EXPECT_EQ(api_.open(12345, gpib, VI_NO_LOCK, 0, &vi), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(api_.close(0), VI_WARN_NULL_OBJECT);
    EXPECT_EQ(api_.close(12345), VI_ERROR_INV_OBJECT);
}

TEST_F(SimLibrary, ReadsAReplyThatFillsTheCapacityExactlyOrInParts) {
    configure(std::string("resource ") + gpib + "\nidn DWERN,RV2260,123456,V1.05\n");
    const ViSession vi = open(open_rm(), gpib);
    const std::string reply = "DWERN,RV2260,123456,V1.05\n";
    ASSERT_EQ(write(vi, ":ABOR; *IDN?"), VI_SUCCESS);
    ViStatus status = 0;
    const auto size = static_cast<ViUInt32>(reply.size());
    EXPECT_EQ(read(vi, &status, size), reply);
    EXPECT_EQ(status, VI_SUCCESS);
    ASSERT_EQ(write(vi, "*IDN?"), VI_SUCCESS);
    EXPECT_EQ(read(vi, &status, size - 1), reply.substr(0, reply.size() - 1));
    EXPECT_EQ(status, VI_SUCCESS_MAX_CNT);
    EXPECT_EQ(read(vi, &status, size), "\n");
    EXPECT_EQ(status, VI_SUCCESS);
}

TEST_F(SimLibrary, AReadWithoutAQueryTimesOutAndQueuesTheError) {
    configure(std::string("resource ") + gpib + "\n");
    const ViSession vi = open(open_rm(), gpib);
    ViStatus status = 0;
    EXPECT_EQ(read(vi, &status), "");
    EXPECT_EQ(status, VI_ERROR_TMO);
    EXPECT_EQ(query(vi, "SYST:ERR?"), "-420,\"Query UNTERMINATED\"\n");
}

TEST_F(SimLibrary, KeepsAndReportsTheTimeoutAttribute) {
    configure(std::string("resource ") + gpib + "\n");
    const ViSession rm = open_rm();
    const ViSession vi = open(rm, gpib);
    ViUInt32 timeout = 0;
    EXPECT_EQ(api_.get_attribute(vi, VI_ATTR_TMO_VALUE, &timeout), VI_SUCCESS);
    EXPECT_EQ(timeout, 2000u);
    EXPECT_EQ(api_.set_attribute(vi, VI_ATTR_TMO_VALUE, 1000), VI_SUCCESS);
    EXPECT_EQ(api_.get_attribute(vi, VI_ATTR_TMO_VALUE, &timeout), VI_SUCCESS);
    EXPECT_EQ(timeout, 1000u);
    EXPECT_EQ(api_.set_attribute(vi, 0x3FFF0001u, 1), VI_ERROR_NSUP_ATTR);
    EXPECT_EQ(api_.set_attribute(rm, VI_ATTR_TMO_VALUE, 1), VI_ERROR_NSUP_ATTR);
    EXPECT_EQ(api_.ren(vi, 1), VI_SUCCESS);
    EXPECT_EQ(api_.flush(vi, 16), VI_SUCCESS);
    char text[VI_FIND_BUFLEN];
    EXPECT_EQ(api_.status_desc(vi, VI_ERROR_TMO, text), VI_SUCCESS);
    EXPECT_STREQ(text, "VI_ERROR_TMO: Timeout expired before operation completed.");
    EXPECT_EQ(api_.status_desc(vi, 0x12345, text), VI_WARN_UNKNOWN_STATUS);
    const auto lines = transcript("viSetAttribute");
    EXPECT_EQ(lines.front(),
              std::string("viSetAttribute ") + gpib + " VI_ATTR_TMO_VALUE=1000 -> VI_SUCCESS");
}

TEST_F(SimLibrary, GpibUpdateRequestsServiceByPowerOnAndWritesTheImage) {
    configure(std::string("resource ") + gpib + "\nidn QUORVELAN,LTA5000,654321,V1.12\n" +
              "new_version V1.20\nburn_ms 500\nimage " + dir_.file("image.bin") + "\n");
    const ViSession rm = open_rm();
    ViSession vi = open(rm, gpib);
    EXPECT_EQ(query(vi, ":ABOR; *IDN?"), "QUORVELAN,LTA5000,654321,V1.12\n");
    ASSERT_EQ(write(vi, ":ABOR; *rst; *PSC 0; *CLS"), VI_SUCCESS);
    ASSERT_EQ(write(vi, ":SYSTEM:FIRMWARE:PREPARE"), VI_SUCCESS);
    const std::string block = testing_support::firmware_block(0x10, {0xDE, 0xAD}, 2);
    ASSERT_EQ(write(vi, testing_support::data_command(block)), VI_SUCCESS);
    EXPECT_EQ(query(vi, "SYST:ERR?"), "0,\"No error\"\n");
    ASSERT_EQ(write(vi, "*ESE 128;:*SRE 32;:*PSC 0"), VI_SUCCESS);
    ASSERT_EQ(write(vi, "*CLS"), VI_SUCCESS);
    EXPECT_EQ(api_.enable_event(vi, VI_EVENT_SERVICE_REQ, VI_QUEUE, 0), VI_SUCCESS);
    EXPECT_EQ(api_.wait_on_event(vi, VI_EVENT_SERVICE_REQ, 100, nullptr, nullptr), VI_ERROR_TMO);
    EXPECT_EQ(api_.enable_event(vi, VI_EVENT_SERVICE_REQ, VI_QUEUE, 0), VI_SUCCESS_EVENT_EN);
    ASSERT_EQ(write(vi, "SYST:FIRM:UPD"), VI_SUCCESS);
    EXPECT_EQ(read_file(dir_.file("image.bin")), "\xDE\xAD");
    int waits = 0;
    ViStatus status = VI_ERROR_TMO;
    while (status == VI_ERROR_TMO && waits < 20) {
        ++waits;
        status = api_.wait_on_event(vi, VI_EVENT_SERVICE_REQ, 100, nullptr, nullptr);
    }
    EXPECT_EQ(status, VI_SUCCESS);
    EXPECT_GE(waits, 2);
    EXPECT_LE(waits, 6);
    ViUInt16 stb = 0;
    EXPECT_EQ(api_.read_stb(vi, &stb), VI_SUCCESS);
    EXPECT_EQ(stb, 0x60);
    EXPECT_EQ(api_.close(vi), VI_SUCCESS);
    vi = open(rm, gpib);
    EXPECT_EQ(query(vi, "*ESR?"), "128\n");
    ASSERT_EQ(write(vi, "*ESE 0;:*SRE 0"), VI_SUCCESS);
    EXPECT_EQ(query(vi, ":ABOR; *IDN?"), "QUORVELAN,LTA5000,654321,V1.20\n");
    EXPECT_EQ(api_.close(rm), VI_SUCCESS);

    const std::string prefix = std::string("viWrite ") + gpib + " ";
    std::vector<std::string> commands;
    for (const std::string& line : transcript(prefix)) {
        commands.push_back(line.substr(prefix.size(), line.find(" -> ") - prefix.size()));
    }
    const std::vector<std::string> expected = {
        ":ABOR; *IDN?",
        ":ABOR; *rst; *PSC 0; *CLS",
        ":SYSTEM:FIRMWARE:PREPARE",
        "SYST:FIRM:DATA #19 [block addr=0x00000010 len=2 ok]",
        "SYST:ERR?",
        "*ESE 128;:*SRE 32;:*PSC 0",
        "*CLS",
        "SYST:FIRM:UPD",
        "*ESR?",
        "*ESE 0;:*SRE 0",
        ":ABOR; *IDN?"};
    EXPECT_EQ(commands, expected);
    const auto reads = transcript(std::string("viRead ") + gpib);
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.front(), std::string("viRead ") + gpib +
                                 " max=4096 -> VI_SUCCESS QUORVELAN,LTA5000,654321,V1.12\\n");
    EXPECT_EQ(transcript().back(), "viClose rm=" + std::to_string(rm) + " -> VI_SUCCESS");
}

TEST_F(SimLibrary, UsbUpdateRequestsServiceByOperationComplete) {
    configure(std::string("resource ") + usb + "\nburn_ms 300\n");
    const ViSession vi = open(open_rm(), usb);
    ASSERT_EQ(write(vi, ":SYSTEM:FIRMWARE:PREPARE"), VI_SUCCESS);
    ASSERT_EQ(write(vi, testing_support::data_command(testing_support::firmware_block(0, {1}, 2))),
              VI_SUCCESS);
    ASSERT_EQ(write(vi, "*CLS"), VI_SUCCESS);
    ASSERT_EQ(api_.enable_event(vi, VI_EVENT_SERVICE_REQ, VI_QUEUE, 0), VI_SUCCESS);
    ASSERT_EQ(write(vi, "*ESE 1;:*SRE 32"), VI_SUCCESS);
    ASSERT_EQ(write(vi, "SYST:FIRM:UPD;:*OPC"), VI_SUCCESS);
    ASSERT_EQ(write(vi, "*OPC"), VI_SUCCESS);
    ViEventType type = 0;
    ViEvent event = 0;
    EXPECT_EQ(api_.wait_on_event(vi, VI_EVENT_SERVICE_REQ, 1000, &type, &event), VI_SUCCESS);
    EXPECT_EQ(type, VI_EVENT_SERVICE_REQ);
    EXPECT_NE(event, 0u);
    EXPECT_EQ(api_.close(event), VI_SUCCESS);
    EXPECT_EQ(query(vi, "*ESR?"), "129\n");
}

TEST_F(SimLibrary, PollingBurnAnswersOperationCompleteAfterTheBurn) {
    configure(std::string("resource ") + usb + "\nidn VALDMORE,HX-40,100000,V1.00\nburn_ms 2500\n");
    const ViSession vi = open(open_rm(), usb);
    ASSERT_EQ(write(vi, ":SYSTEM:FIRMWARE:PREPARE"), VI_SUCCESS);
    ASSERT_EQ(write(vi, testing_support::data_command(testing_support::firmware_block(0, {1}, 1))),
              VI_SUCCESS);
    ASSERT_EQ(api_.set_attribute(vi, VI_ATTR_TMO_VALUE, 1000), VI_SUCCESS);
    ASSERT_EQ(write(vi, "SYST:FIRM:UPD;*OPC"), VI_SUCCESS);
    ASSERT_EQ(write(vi, "*OPC?"), VI_SUCCESS);
    ViStatus status = 0;
    EXPECT_EQ(read(vi, &status), "");
    EXPECT_EQ(status, VI_ERROR_TMO);
    EXPECT_EQ(read(vi, &status), "");
    EXPECT_EQ(status, VI_ERROR_TMO);
    EXPECT_EQ(read(vi, &status), "1\n");
    EXPECT_EQ(status, VI_SUCCESS);
    EXPECT_EQ(query(vi, "SYST:ERR?"), "0,\"No error\"\n");
}

TEST_F(SimLibrary, InjectsAFailedCallByNumber) {
    configure(std::string("fail viWrite 2 VI_ERROR_IO\nresource ") + gpib + "\n");
    const ViSession vi = open(open_rm(), gpib);
    EXPECT_EQ(write(vi, "*CLS"), VI_SUCCESS);
    EXPECT_EQ(write(vi, "*IDN?"), VI_ERROR_IO);
    EXPECT_EQ(write(vi, "SYST:ERR?"), VI_SUCCESS);
    EXPECT_EQ(transcript("viWrite")[1],
              std::string("viWrite ") + gpib + " *IDN? -> VI_ERROR_IO (injected)");
    ViStatus status = 0;
    EXPECT_EQ(read(vi, &status), "0,\"No error\"\n");  // the failed write never arrived
}

TEST_F(SimLibrary, InjectedReadTimeoutLeavesTheReplyToBeInterrupted) {
    configure(std::string("resource ") + gpib + "\ntimeout_read 1\n");
    const ViSession vi = open(open_rm(), gpib);
    ASSERT_EQ(write(vi, "SYST:ERR?"), VI_SUCCESS);
    ViStatus status = 0;
    EXPECT_EQ(read(vi, &status), "");
    EXPECT_EQ(status, VI_ERROR_TMO);
    EXPECT_EQ(query(vi, "SYST:ERR?"), "-410,\"Query INTERRUPTED\"\n");
    EXPECT_EQ(transcript("viRead").front(),
              std::string("viRead ") + gpib + " max=4096 -> VI_ERROR_TMO (injected)");
}

TEST_F(SimLibrary, DropsOffTheBusAfterTheGivenCommand) {
    configure(std::string("resource ") + gpib + "\ndrop_after 2 *IDN?\nresource " + usb + "\n");
    const ViSession rm = open_rm();
    const ViSession vi = open(rm, gpib);
    EXPECT_EQ(query(vi, "*IDN?"), "VALDMORE,HX-40XL,100000,V1.15\n");
    EXPECT_EQ(write(vi, "*IDN?"), VI_SUCCESS);
    ViStatus status = 0;
    read(vi, &status);
    EXPECT_EQ(status, VI_ERROR_CONN_LOST);
    EXPECT_EQ(write(vi, "*CLS"), VI_ERROR_CONN_LOST);
    ViSession other = 0;
    EXPECT_EQ(api_.open(rm, gpib, VI_NO_LOCK, 0, &other), VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(find_all(rm, "?*", &status), std::vector<std::string>{usb});
}

TEST_F(SimLibrary, RefusesReopensForAWhileAfterTheBurn) {
    configure(std::string("resource ") + usb + "\nburn_ms 100\nrefuse_reopen 2\n");
    const ViSession rm = open_rm();
    const ViSession vi = open(rm, usb);
    ASSERT_EQ(write(vi, ":SYSTEM:FIRMWARE:PREPARE"), VI_SUCCESS);
    ASSERT_EQ(write(vi, testing_support::data_command(testing_support::firmware_block(0, {1}, 2))),
              VI_SUCCESS);
    ASSERT_EQ(write(vi, "SYST:FIRM:UPD;*OPC"), VI_SUCCESS);
    ASSERT_EQ(write(vi, "*OPC?"), VI_SUCCESS);
    EXPECT_EQ(read(vi), "1\n");
    EXPECT_EQ(api_.close(vi), VI_SUCCESS);
    ViSession again = 0;
    EXPECT_EQ(api_.open(rm, usb, VI_NO_LOCK, 0, &again), VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(api_.open(rm, usb, VI_NO_LOCK, 0, &again), VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(api_.open(rm, usb, VI_NO_LOCK, 0, &again), VI_SUCCESS);
    EXPECT_EQ(transcript("viOpen rm")[1], "viOpen rm=" + std::to_string(rm) + " " + usb +
                                              " -> VI_ERROR_RSRC_NFOUND (injected)");
}

TEST_F(SimLibrary, NeverRaisesTheServiceRequestWhenSoConfigured) {
    configure(std::string("resource ") + gpib + "\nno_srq\nburn_ms 100\n");
    const ViSession vi = open(open_rm(), gpib);
    ASSERT_EQ(write(vi, ":SYSTEM:FIRMWARE:PREPARE"), VI_SUCCESS);
    ASSERT_EQ(write(vi, testing_support::data_command(testing_support::firmware_block(0, {1}, 2))),
              VI_SUCCESS);
    ASSERT_EQ(write(vi, "*ESE 128;:*SRE 32;:*PSC 0"), VI_SUCCESS);
    ASSERT_EQ(api_.enable_event(vi, VI_EVENT_SERVICE_REQ, VI_QUEUE, 0), VI_SUCCESS);
    ASSERT_EQ(write(vi, "SYST:FIRM:UPD"), VI_SUCCESS);
    EXPECT_EQ(api_.wait_on_event(vi, VI_EVENT_SERVICE_REQ, 5000, nullptr, nullptr), VI_ERROR_TMO);
    EXPECT_EQ(query(vi, "*ESR?"), "128\n");  // the burn itself completed
}

TEST_F(SimLibrary, WaitingNeedsTheEventEnabled) {
    configure(std::string("resource ") + gpib + "\n");
    const ViSession vi = open(open_rm(), gpib);
    EXPECT_EQ(api_.wait_on_event(vi, VI_EVENT_SERVICE_REQ, 100, nullptr, nullptr),
              VI_ERROR_NENABLED);
    EXPECT_EQ(api_.enable_event(vi, 0x3FFF2001u, VI_QUEUE, 0), VI_ERROR_INV_EVENT);
    EXPECT_EQ(api_.enable_event(vi, VI_EVENT_SERVICE_REQ, 2, 0), VI_ERROR_INV_MECH);
}

TEST_F(SimLibrary, ClosingTheLastResourceManagerStartsAfresh) {
    configure(std::string("resource ") + gpib + "\n");
    const ViSession rm = open_rm();
    const ViSession vi = open(rm, gpib);
    ASSERT_EQ(write(vi, "BOGUS"), VI_SUCCESS);
    EXPECT_EQ(api_.close(rm), VI_SUCCESS);
    EXPECT_EQ(write(vi, "*CLS"), VI_ERROR_INV_OBJECT);
    configure(std::string("resource ") + usb + "\n");
    const ViSession rm2 = open_rm();
    EXPECT_NE(rm2, rm);
    ViStatus status = 0;
    EXPECT_EQ(find_all(rm2, "?*", &status), std::vector<std::string>{usb});
    const ViSession again = open(rm2, usb);
    EXPECT_EQ(query(again, "SYST:ERR?"), "0,\"No error\"\n");
    EXPECT_EQ(transcript().front(), "viOpenDefaultRM -> VI_SUCCESS rm=" + std::to_string(rm2));
}

TEST_F(SimLibrary, RealTimeoutsStillEndTheWait) {
    configure(std::string("timeouts real\nresource ") + gpib + "\n");
    const ViSession vi = open(open_rm(), gpib);
    ASSERT_EQ(api_.set_attribute(vi, VI_ATTR_TMO_VALUE, 5), VI_SUCCESS);
    ViStatus status = 0;
    read(vi, &status);
    EXPECT_EQ(status, VI_ERROR_TMO);
}

}  // namespace
}  // namespace hx4x::visa_sim
