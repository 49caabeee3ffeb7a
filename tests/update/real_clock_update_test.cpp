#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/emulated_version.hpp"
#include "instrument/emulation.hpp"
#include "job_run.hpp"
#include "record_builder.hpp"
#include "sim_counter.hpp"
#include "update/counter_protocol.hpp"

namespace hx4x {
namespace {

// A few whole updates on the real clock, so that the pauses are the real ones at least here.
std::vector<HexRecord> image() {
    return {test::counting_record(0x0000, 200), test::counting_record(0x00C8, 200),
            test::end_of_file_record()};
}

TEST(RealClockUpdate, EmulatedCounterAt101) {
    set_emulated_version(101);
    CounterProtocol protocol;
    const auto records = image();
    const auto run = test::run_update(protocol, std::string(emulated_resource_name), records);
    set_emulated_version(0);
    EXPECT_EQ(run->failed_step, "");
    EXPECT_EQ(run->burn_ticks.size(), 511u);  // 501 waits, then 1000 ms in ticks
    using P = std::pair<std::uint32_t, std::uint32_t>;
    EXPECT_EQ(run->transfer.calls, (std::vector<P>{{2, 3}, {3, 3}, {3, 3}}));
}

TEST(RealClockUpdate, SimulatedCounterPollingAt100) {
    test::SimCounter sim("GPIB0::3::INSTR", "idn VALDMORE,HX-40,123456,V1.00\nburn_ms 200",
                         "timeouts real");
    CounterProtocol protocol;
    const auto records = image();
    const auto run = test::run_update(protocol, "GPIB0::3::INSTR", records);
    EXPECT_EQ(run->failed_step, "");
    const auto writes = sim.writes();
    ASSERT_GE(writes.size(), 4u);
    // The burn's last query, then back after the flash, reset and identified again.
    EXPECT_EQ(std::vector<std::string>(writes.end() - 4, writes.end()),
              (std::vector<std::string>{"SYST:ERR?", ":ABOR; *IDN?", ":ABOR; *rst; *PSC 0; *CLS",
                                        ":ABOR; *IDN?"}));
    EXPECT_EQ(sim.received_image().size(), 400u);
}

TEST(RealClockUpdate, SimulatedCounterServiceRequestOnUsbAt115) {
    const char* usb = "USB0::0x5D3C::0x0090::100000::INSTR";
    test::SimCounter sim(usb, "idn VALDMORE,HX-40XL,100000,V1.15\nburn_ms 300", "timeouts real");
    CounterProtocol protocol;
    const auto records = image();
    const auto run = test::run_update(protocol, usb, records);
    EXPECT_EQ(run->failed_step, "");
    EXPECT_EQ(run->preparation.calls.size(), 23u);
    EXPECT_FALSE(run->burn_ticks.empty());
    const auto writes = sim.writes();
    ASSERT_GE(writes.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(writes.end() - 4, writes.end()),
              (std::vector<std::string>{"*ESE 0;:*SRE 0", ":ABOR; *IDN?",
                                        ":ABOR; *rst; *PSC 0; *CLS", ":ABOR; *IDN?"}));
}

}  // namespace
}  // namespace hx4x
