#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "record_builder.hpp"
#include "recording_clock.hpp"
#include "sim_counter.hpp"
#include "update/counter_protocol.hpp"
#include "update/protocol_timing.hpp"

namespace hx4x {
namespace {

const char* const usb = "USB0::0x5D3C::0x0090::100000::INSTR";
const char* const gpib = "GPIB0::12::INSTR";

// The ticks and the moment of each on the loader's clock.
struct TickTimes {
    Clock* clock = nullptr;
    std::vector<int> counts;
    std::vector<std::int64_t> times;
    static void callback(void* context, int count) {
        auto& self = *static_cast<TickTimes*>(context);
        self.counts.push_back(count);
        self.times.push_back(self.clock->now());
    }
};

// However the counter comes back, or fails to, the window's bar is told to move through all
// of the loader's waiting after the burn order, never more than one wait apart; the
// verdicts still come from the counter.
TEST(SimBurnTicks, NoWaitAfterTheOrderGoesWithoutTicks) {
    struct Case {
        const char* name;
        const char* resource;
        const char* keys;
        const char* global_keys;
        bool burnt;
        bool back;
    };
    const Case cases[] = {
        // Sixty refused re-opens after the request: six seconds of attempts.
        {"ReopenRefusedForSixSeconds", usb, "idn VALDMORE,HX-40XL,100000,V1.15\nrefuse_reopen 60",
         "", true, true},
        // The library reports the session gone: the counter is looked for again every tenth
        // wait, and answers once it has flashed.
        {"SessionLostWhileFlashing", gpib, "idn DWERN,RV2260,123456,V1.05\nburn_answer no",
         "fail viWaitOnEvent 1 VI_ERROR_CONN_LOST 0", true, true},
        // No request: two minutes of waits, then the single re-open.
        {"RequestThatNeverComes", gpib, "idn DWERN,RV2260,123456,V1.05\nno_srq", "", true, true},
        // Never back: the re-open's minute, then the look-ups up to the two minutes' bound.
        {"NeverBackAfterTheRequest", usb, "idn VALDMORE,HX-40XL,100000,V1.15\nrefuse_reopen 100000",
         "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::RecordingClock clock;
        test::SimCounter sim(c.resource, c.keys, c.global_keys);
        CounterProtocol protocol;
        const std::vector<HexRecord> records = {test::counting_record(0x0000, 16),
                                                test::end_of_file_record()};
        ASSERT_TRUE(protocol.connect(c.resource));
        ASSERT_TRUE(protocol.prepare(nullptr, nullptr));
        ASSERT_TRUE(protocol.send_firmware("image.hex", records, false, false, nullptr, nullptr));

        TickTimes ticks{&clock, {}, {}};
        EXPECT_EQ(protocol.burn(TickTimes::callback, &ticks), c.burnt);
        EXPECT_EQ(protocol.wait_until_back(TickTimes::callback, &ticks), c.back);
        const std::int64_t end = clock.now();

        ASSERT_FALSE(ticks.counts.empty());
        std::vector<int> expected(ticks.counts.size());
        std::iota(expected.begin(), expected.end(), 1);
        EXPECT_EQ(ticks.counts, expected);
        ticks.times.push_back(end);
        for (std::size_t i = 1; i < ticks.times.size(); ++i) {
            ASSERT_LE(ticks.times[i] - ticks.times[i - 1], std::int64_t{service_request_wait_ms})
                << "after tick " << i << " of " << ticks.counts.size();
        }
    }
}

}  // namespace
}  // namespace hx4x
