#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "hex_text.hpp"
#include "job_run.hpp"
#include "record_builder.hpp"
#include "recording_clock.hpp"
#include "sim_counter.hpp"
#include "update/counter_protocol.hpp"

namespace hx4x {
namespace {

using Writes = std::vector<std::string>;

const char* const identify = ":ABOR; *IDN?";
const char* const reset = ":ABOR; *rst; *PSC 0; *CLS";
const char* const error_query = "SYST:ERR?";
const char* const usb = "USB0::0x5D3C::0x0090::100000::INSTR";
const char* const gpib = "GPIB0::12::INSTR";

// Two blocks: three contiguous records, then one more behind an Extended Linear Address.
std::vector<HexRecord> small_image() {
    return {test::counting_record(0x0000, 16, 0x10), test::counting_record(0x0010, 16, 0x20),
            test::counting_record(0x0020, 16, 0x30), test::linear_address_record(0x0001),
            test::counting_record(0x0000, 8, 0x40),  test::end_of_file_record()};
}

Writes data_writes(bool wide) {
    if (wide) {
        return {"SYST:FIRM:DATA #255 [block addr=0x00000000 len=48 ok]", error_query,
                "SYST:FIRM:DATA #215 [block addr=0x00010000 len=8 ok]", error_query};
    }
    return {"SYST:FIRM:DATA #254 [block addr=0x00000000 len=48 ok]", error_query,
            "SYST:FIRM:DATA #214 [block addr=0x00010000 len=8 ok]", error_query};
}

const Writes short_preparation = {":SYSTEM:FIRMWARE:PREPARE"};
const Writes full_preparation = {":SYST:PRES", ":SYST:MEM:DEL:ZUBNORAQ", ":SYST:UNPR;*SAV 0", reset,
                                 ":SYSTEM:FIRMWARE:PREPARE"};
// The completion query and the operation-complete command reach a counter already flashing.
const Writes polling_burn = {"SYST:FIRM:UPD;*OPC", "*OPC? [while flashing]", error_query};
const Writes gpib_burn = {"*ESE 128;:*SRE 32;:*PSC 0", "*CLS", "SYST:FIRM:UPD", "*ESR?",
                          "*ESE 0;:*SRE 0"};
const Writes usb_burn = {"*CLS",  "*ESE 1;:*SRE 32", "SYST:FIRM:UPD;:*OPC", "*OPC [while flashing]",
                         "*ESR?", "*ESE 0;:*SRE 0"};

Writes join(std::initializer_list<Writes> parts) {
    Writes all;
    for (const Writes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

struct Variant {
    const char* name;
    const char* resource;
    const char* idn;
    Writes writes;  // connect to the end of the burn
    std::vector<std::string> timeouts;
    std::size_t preparation_reports;
    bool io_delay;
};

std::vector<Variant> variants() {
    const std::vector<std::string> polling_timeouts = {"1000", "10000", "1000", "1000"};
    const std::vector<std::string> request_timeouts = {"1000", "10000", "100", "1000", "1000"};
    return {
        {"version 100 polls", gpib, "VALDMORE,HX-40,123456,V1.00",
         join({{identify}, short_preparation, data_writes(false), polling_burn}), polling_timeouts,
         0, false},
        {"version 101 on GPIB", gpib, "DWERN,RV2260,123456,V1.01",
         join({{identify}, short_preparation, data_writes(false), gpib_burn}), request_timeouts, 0,
         false},
        {"version 106 on GPIB", gpib, "QUORVELAN,LTA5000,123456,V1.06",
         join({{identify}, short_preparation, data_writes(false), gpib_burn}), request_timeouts, 0,
         false},
        {"version 101 on USB", usb, "VALDMORE,HX-41,100000,V1.01",
         join({{identify}, short_preparation, data_writes(false), usb_burn}), request_timeouts, 0,
         true},
        {"version 106 on USB", usb, "VALDMORE,HX-40XL,100000,V1.06",
         join({{identify}, short_preparation, data_writes(false), usb_burn}), request_timeouts, 0,
         true},
        {"version 107 on USB", usb, "VALDMORE,HX-40XL,100000,V1.07",
         join({{identify}, short_preparation, data_writes(true), usb_burn}), request_timeouts, 0,
         true},
        {"version 110 on GPIB", gpib, "DWERN,RV2261,654321,V1.10",
         join({{identify}, short_preparation, data_writes(true), gpib_burn}), request_timeouts, 0,
         false},
        {"version 111 on USB", usb, "VALDMORE,HX-40XL,100000,V1.11",
         join({{identify}, full_preparation, data_writes(true), usb_burn}), request_timeouts, 23,
         false},
        {"version 115 on GPIB", gpib, "QUORVELAN,LMA5060,123456,V1.15",
         join({{identify}, full_preparation, data_writes(true), gpib_burn}), request_timeouts, 23,
         false},
    };
}

// Pauses the session's I/O delay must have taken: one per successful write and per
// non-empty read after the first connection set its time-out.
std::size_t io_delay_points(const std::vector<std::string>& lines) {
    std::size_t points = 0;
    bool connected = false;
    for (const std::string& line : lines) {
        if (line.rfind("viSetAttribute ", 0) == 0) {
            connected = true;
        } else if (connected && line.rfind("viWrite ", 0) == 0 &&
                   line.find(" -> VI_SUCCESS") != std::string::npos) {
            ++points;
        } else if (connected && line.rfind("viRead ", 0) == 0 &&
                   line.find(" -> VI_SUCCESS ") != std::string::npos) {
            ++points;
        }
    }
    return points;
}

TEST(SimTranscript, WholeUpdateOfEachVariant) {
    for (const Variant& v : variants()) {
        SCOPED_TRACE(v.name);
        test::RecordingClock clock;
        test::SimCounter sim(v.resource, std::string("idn ") + v.idn +
                                             "\nnew_version V2.00 01 Feb 2021\nburn_ms 450");
        ASSERT_TRUE(sim.available());
        const std::vector<HexRecord> records = small_image();
        CounterProtocol protocol;
        const auto run = test::run_update(protocol, v.resource, records);
        EXPECT_EQ(run->failed_step, "");
        // Back after the flash, reset, and identified again on a new session.
        EXPECT_EQ(protocol.identity().version_number, 200);
        EXPECT_EQ(protocol.identity().firmware_version, "V2.00 01 Feb 2021");
        EXPECT_EQ(run->outcome.after.firmware_version, "V2.00 01 Feb 2021");

        EXPECT_EQ(sim.writes(), join({v.writes, {identify, reset, identify}}));
        EXPECT_EQ(sim.timeouts(), join({v.timeouts, {"1000"}}));  // the reconnection
        EXPECT_EQ(run->preparation.calls.size(), v.preparation_reports);
        for (std::size_t i = 0; i < run->preparation.calls.size(); ++i) {
            EXPECT_EQ(run->preparation.calls[i], std::make_pair(std::uint32_t(i + 1), 23u));
        }
        using P = std::pair<std::uint32_t, std::uint32_t>;
        EXPECT_EQ(run->transfer.calls, (std::vector<P>{{5, 6}, {6, 6}, {6, 6}}));
        if (v.timeouts.size() == 5) {
            // One tick for the drain of old requests (and on USB the 1000 ms before the order
            // in ticks of 100 ms); the counter completes 450 ms after the order: four expired
            // waits of 100 ms, then the 1000 ms before and after the re-open in ticks.
            const std::size_t before_order = std::string(v.resource).rfind("USB", 0) == 0 ? 11 : 1;
            std::vector<int> ticks(before_order + 4 + 10 + 10);
            std::iota(ticks.begin(), ticks.end(), 1);
            EXPECT_EQ(run->burn_ticks, ticks);
        } else {
            EXPECT_TRUE(run->burn_ticks.empty());
        }
        EXPECT_EQ(sim.received_image(), test::raw_image(test::memory_of(records)));

        const auto delays = static_cast<std::size_t>(
            std::count(clock.pauses.begin(), clock.pauses.end(), std::int64_t{200}));
        EXPECT_EQ(delays, v.io_delay ? io_delay_points(sim.lines()) : 0u);
        EXPECT_EQ(protocol.session().io_delay(), v.io_delay ? 200u : 0u);
    }
}

TEST(SimTranscript, ServiceRequestBurnPausesAndEventCalls) {
    test::RecordingClock clock;
    test::SimCounter sim(usb, "idn VALDMORE,HX-40XL,100000,V1.15\nburn_ms 450");
    ASSERT_TRUE(sim.available());
    CounterProtocol protocol;
    ASSERT_TRUE(protocol.connect(usb));
    ASSERT_TRUE(protocol.prepare(nullptr, nullptr));
    clock.pauses.clear();
    const std::vector<HexRecord> records = small_image();
    ASSERT_TRUE(protocol.send_firmware("image.hex", records, false, false, nullptr, nullptr));
    ASSERT_TRUE(protocol.burn(nullptr, nullptr));
    // 1000 ms before the order on USB, each expired wait made up to its 100 ms (the library
    // answers at once here), 1000 ms before and after the re-open: all in ticks of 100 ms.
    const std::vector<std::int64_t> pauses(10 + 4 + 10 + 10, 100);
    EXPECT_EQ(clock.pauses, pauses);
    const auto waits = sim.calls("viWaitOnEvent");
    ASSERT_EQ(waits.size(), 6u);  // one expired drain, four expired waits, the request
    EXPECT_NE(waits[0].find("timeout=100 -> VI_ERROR_TMO"), std::string::npos);
    EXPECT_NE(waits[5].find("timeout=100 -> VI_SUCCESS"), std::string::npos);
    EXPECT_EQ(sim.calls("viEnableEvent").size(), 1u);
    EXPECT_EQ(sim.calls("viOpen").size(), 2u);
}

}  // namespace
}  // namespace hx4x
