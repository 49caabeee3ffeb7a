#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "job_run.hpp"
#include "record_builder.hpp"
#include "recording_clock.hpp"
#include "sim_counter.hpp"
#include "update/counter_protocol.hpp"

namespace hx4x {
namespace {

const std::string reset = ":ABOR; *rst; *PSC 0; *CLS";
const std::string error_query = "SYST:ERR?";
const char* const usb = "USB0::0x5D3C::0x0090::100000::INSTR";
const char* const gpib = "GPIB0::12::INSTR";

// Three blocks of one record each.
std::vector<HexRecord> three_blocks() {
    return {test::counting_record(0x0000, 16), test::counting_record(0x0100, 16),
            test::counting_record(0x0200, 16), test::end_of_file_record()};
}

bool is_data(const std::string& write) {
    return write.rfind("SYST:FIRM:DATA #", 0) == 0;
}

std::size_t count_of(const std::vector<std::string>& writes, const std::string& text) {
    return static_cast<std::size_t>(std::count(writes.begin(), writes.end(), text));
}

struct CounterSetup {
    const char* name;
    const char* resource;
    const char* idn;
};

const CounterSetup setups[] = {
    {"polling on GPIB", gpib, "VALDMORE,HX-40,123456,V1.00"},
    {"request on GPIB", gpib, "DWERN,RV2260,123456,V1.05"},
    {"request on USB, full preparation", usb, "VALDMORE,HX-40XL,100000,V1.15"},
};

// The writes of a clean update, to know what each write index is.
std::vector<std::string> clean_writes(const CounterSetup& setup) {
    test::RecordingClock clock;
    test::SimCounter sim(setup.resource, std::string("idn ") + setup.idn);
    CounterProtocol protocol;
    const auto records = three_blocks();
    EXPECT_EQ(test::run_update(protocol, setup.resource, records)->failed_step, "");
    return sim.writes();
}

// Whether no reset reached the counter from its burn order until it answered again: while
// it may be flashing, a reset could ruin the flash.
bool no_reset_while_flashing(const std::vector<std::string>& writes) {
    const auto order = std::find_if(writes.begin(), writes.end(), [](const std::string& write) {
        return write.rfind("SYST:FIRM:UPD", 0) == 0;
    });
    const auto answered = std::find(order, writes.end(), ":ABOR; *IDN?");
    return std::find(order, answered, reset) == answered;
}

// Where the burn order stands among the writes.
std::size_t order_index(const std::vector<std::string>& writes) {
    return static_cast<std::size_t>(std::find_if(writes.begin(), writes.end(),
                                                 [](const std::string& write) {
                                                     return write.rfind("SYST:FIRM:UPD", 0) == 0;
                                                 }) -
                                    writes.begin());
}

// The step a failure at this write must end, given where the write stands in a clean run:
// the connection, the preparation, the blocks and their queries (a failed query is retried),
// the burn, the wait for the counter after the flash (retried), the job's reset (a failure
// there is only reported) and the reconnection.
std::string step_of(const std::vector<std::string>& writes, std::size_t index) {
    const auto first_data = std::find_if(writes.begin(), writes.end(), is_data) - writes.begin();
    const auto last_data =
        writes.rend() - std::find_if(writes.rbegin(), writes.rend(), is_data) - 1;
    const std::size_t back_again = writes.size() - 3;
    if (index == 0) {
        return "connect";
    }
    if (index < static_cast<std::size_t>(first_data)) {
        return "prepare";
    }
    if (index <= static_cast<std::size_t>(last_data)) {
        return is_data(writes[index]) ? "send" : "";
    }
    if (index == static_cast<std::size_t>(last_data) + 1) {
        return "";
    }
    if (index < back_again) {
        return "burn";
    }
    return index == writes.size() - 1 ? "reconnect" : "";
}

TEST(SimFaults, FailedWriteAtEveryCommand) {
    for (const CounterSetup& setup : setups) {
        const std::vector<std::string> clean = clean_writes(setup);
        ASSERT_GT(clean.size(), 10u);
        for (std::size_t index = 0; index < clean.size(); ++index) {
            SCOPED_TRACE(std::string(setup.name) + ", write " + std::to_string(index + 1) + " " +
                         clean[index]);
            test::RecordingClock clock;
            test::SimCounter sim(setup.resource, std::string("idn ") + setup.idn,
                                 "fail viWrite " + std::to_string(index + 1) + " VI_ERROR_IO 1");
            CounterProtocol protocol;
            const auto records = three_blocks();
            const auto run = test::run_update(protocol, setup.resource, records);
            const std::string step = step_of(clean, index);
            EXPECT_EQ(run->failed_step, step);
            const std::vector<std::string> writes = sim.writes();
            if (step.empty()) {
                if (is_data(clean[index - 1])) {
                    // The block goes again and the update goes on.
                    ASSERT_EQ(writes.size(), clean.size() + 2);
                    EXPECT_EQ(writes[index + 1], clean[index - 1]);
                }
                EXPECT_EQ(count_of(writes, reset), count_of(clean, reset));
            } else if (step == "burn" && index < order_index(clean)) {
                // Before the burn order: the job's reset follows at once.
                EXPECT_EQ(writes.size(), index + 2);
                EXPECT_EQ(writes.back(), reset);
            } else if (step == "prepare" || step == "send") {
                // Only the job's reset follows the failed write: the counter is not left
                // in loading mode.
                EXPECT_EQ(writes.size(), index + 2);
                EXPECT_EQ(writes.back(), reset);
            } else if (step == "burn") {
                EXPECT_TRUE(no_reset_while_flashing(writes));
            } else {
                // Nothing follows a failed connection.
                EXPECT_EQ(writes.size(), index + 1);
            }
        }
    }
}

TEST(SimFaults, ReadTimeOutAtEveryQuery) {
    for (const CounterSetup& setup : setups) {
        std::size_t clean_reads = 0;
        {
            test::RecordingClock clock;
            test::SimCounter sim(setup.resource, std::string("idn ") + setup.idn);
            CounterProtocol protocol;
            const auto records = three_blocks();
            ASSERT_EQ(test::run_update(protocol, setup.resource, records)->failed_step, "");
            clean_reads = sim.calls("viRead").size();
        }
        for (std::size_t read = 1; read <= clean_reads; ++read) {
            SCOPED_TRACE(std::string(setup.name) + ", read " + std::to_string(read));
            test::RecordingClock clock;
            test::SimCounter sim(
                setup.resource,
                std::string("idn ") + setup.idn + "\ntimeout_read " + std::to_string(read) + " 1");
            CounterProtocol protocol;
            const auto records = three_blocks();
            const auto run = test::run_update(protocol, setup.resource, records);
            const std::vector<std::string> writes = sim.writes();
            if (read == 1) {
                EXPECT_EQ(run->failed_step, "connect");
            } else if (read == clean_reads) {
                EXPECT_EQ(run->failed_step, "reconnect");
            } else if (read == clean_reads - 1) {
                // The counter asked after the flash answers the next time.
                EXPECT_EQ(run->failed_step, "");
            } else if (read <= 4) {
                // A block's query: the unread reply is discarded by the next command, which
                // makes the next query report -410, so the block goes three times in all.
                EXPECT_EQ(run->failed_step, "");
                EXPECT_EQ(std::count_if(writes.begin(), writes.end(), is_data), 5);
            } else {
                EXPECT_EQ(run->failed_step, "burn");
            }
            // The full preparation's own reset and the job's, which a counter that may still
            // be flashing does not get; a failed query sends none.
            const bool full_preparation = std::string(setup.resource) == usb;
            EXPECT_TRUE(no_reset_while_flashing(writes));
            const std::size_t own = full_preparation ? 1u : 0u;
            if (read == 1) {
                EXPECT_EQ(count_of(writes, reset), 0u);
            } else if (run->failed_step == "burn") {
                EXPECT_LE(count_of(writes, reset), own + 1);
            } else {
                EXPECT_EQ(count_of(writes, reset), own + 1);
            }
        }
    }
}

TEST(SimFaults, BlockRejectedOnceTwiceAndThreeTimes) {
    for (int rejections = 1; rejections <= 3; ++rejections) {
        SCOPED_TRACE(rejections);
        test::RecordingClock clock;
        test::SimCounter sim(
            gpib, "idn DWERN,RV2260,123456,V1.05\nreject_block 2 " + std::to_string(rejections));
        CounterProtocol protocol;
        ASSERT_TRUE(protocol.connect(gpib));
        ASSERT_TRUE(protocol.prepare(nullptr, nullptr));
        test::ProgressLog progress;
        const auto records = three_blocks();
        const bool sent = protocol.send_firmware("image.hex", records, false, false,
                                                 test::ProgressLog::callback, &progress);
        const std::vector<std::string> writes = sim.writes();
        const std::string second = "SYST:FIRM:DATA #222 [block addr=0x00000100 len=16 ok]";
        const std::string refused = "SYST:FIRM:DATA #222 [block addr=0x00000100 len=16 error=-300]";
        using P = std::pair<std::uint32_t, std::uint32_t>;
        if (rejections < 3) {
            EXPECT_TRUE(sent);
            EXPECT_EQ(count_of(writes, refused), static_cast<std::size_t>(rejections));
            EXPECT_EQ(count_of(writes, second), 1u);
            EXPECT_EQ(count_of(writes, reset), 0u);
            // Each refused attempt reports the same position again.
            std::vector<P> calls(static_cast<std::size_t>(1 + rejections), P{2, 4});
            calls.insert(calls.end(), {{3, 4}, {4, 4}, {4, 4}});
            EXPECT_EQ(progress.calls, calls);
        } else {
            EXPECT_FALSE(sent);
            // Three attempts, each asked about, then the reset and nothing more.
            const std::vector<std::string> tail(writes.end() - 7, writes.end());
            EXPECT_EQ(tail, (std::vector<std::string>{refused, error_query, refused, error_query,
                                                      refused, error_query, reset}));
            EXPECT_EQ(progress.calls, (std::vector<P>(4, P{2, 4})));
        }
    }
}

TEST(SimFaults, ServiceRequestThatNeverComes) {
    struct Case {
        const char* name;
        const char* keys;
        bool burnt;
        bool back;  // answers after the flash, so it is reset and opened again
    };
    const Case cases[] = {
        // The counter burnt and restarted: its event status confirms it.
        {"restarted without a request", "no_srq", true, true},
        // Still burning (or never told): no power-on bit, so no success.
        {"never completes", "burn_ms 100000000", false, false},
        // The single re-open after the time-out fails; the counter answers later.
        {"does not come back", "no_srq\nrefuse_reopen 1", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::RecordingClock clock;
        test::SimCounter sim(gpib, std::string("idn DWERN,RV2260,123456,V1.05\n") + c.keys);
        CounterProtocol protocol;
        const auto records = three_blocks();
        const auto run = test::run_update(protocol, gpib, records);
        EXPECT_EQ(run->failed_step, c.burnt ? "" : "burn");
        // A tick for the drain, one for each of the 1201 expired waits after it, and ten in
        // the pause before the re-open.
        ASSERT_EQ(run->burn_ticks.size(), 1212u);
        EXPECT_EQ(run->burn_ticks.back(), 1212);
        EXPECT_EQ(sim.calls("viWaitOnEvent").size(), 1202u);
        EXPECT_EQ(sim.calls("viOpen").size(), c.back ? 3u : 2u);
        // One 1000 ms pause before the re-open, in ticks of 100 ms, none after it: the only
        // whole second left is the preparation's.
        EXPECT_EQ(std::vector<std::int64_t>(clock.pauses.end() - 10, clock.pauses.end()),
                  std::vector<std::int64_t>(10, 100));
        EXPECT_EQ(std::count(clock.pauses.begin(), clock.pauses.end(), std::int64_t{1000}), 1);
        // Never while it may still be flashing.
        EXPECT_EQ(count_of(sim.writes(), reset), c.back ? 1u : 0u);
    }
}

TEST(SimFaults, ReopenThatFailsForAWhileAndOneThatNeverSucceeds) {
    {
        test::RecordingClock clock;
        test::SimCounter sim(usb, "idn VALDMORE,HX-40XL,100000,V1.15\nrefuse_reopen 5");
        CounterProtocol protocol;
        const auto records = three_blocks();
        EXPECT_EQ(test::run_update(protocol, usb, records)->failed_step, "");
        EXPECT_EQ(sim.calls("viOpen").size(), 1u + 6u + 1u);  // and the reconnection
        // The preparation's steps, the 1000 ms before the order in ticks of 100 ms, the
        // burn's expired waits made up to 100 ms, the re-opens, and the 1000 ms before and
        // after them in ticks.
        EXPECT_EQ(std::count(clock.pauses.begin(), clock.pauses.end(), std::int64_t{100}),
                  23 + 10 + 4 + 5 + 20);
    }
    {
        test::RecordingClock clock;
        test::SimCounter sim(usb, "idn VALDMORE,HX-40XL,100000,V1.15\nrefuse_reopen 100000");
        CounterProtocol protocol;
        const auto records = three_blocks();
        ASSERT_TRUE(protocol.connect(usb));
        ASSERT_TRUE(protocol.prepare(nullptr, nullptr));
        ASSERT_TRUE(protocol.send_firmware("image.hex", records, false, false, nullptr, nullptr));
        const std::int64_t start = clock.now();
        EXPECT_FALSE(protocol.burn(nullptr, nullptr));
        // About a minute of attempts, with a pause between them.
        EXPECT_EQ(sim.calls("viOpen").size(), 1u + 600u);
        EXPECT_GE(clock.now() - start, 60000);
        EXPECT_LE(clock.now() - start, 63000);
        EXPECT_FALSE(protocol.session().is_open());
    }
}

TEST(SimFaults, CounterDropsOffTheBusMidTransfer) {
    test::RecordingClock clock;
    test::SimCounter sim(gpib, "idn DWERN,RV2260,123456,V1.05\ndrop_after 2 SYST:FIRM:DATA");
    CounterProtocol protocol;
    const auto records = three_blocks();
    const auto run = test::run_update(protocol, gpib, records);
    EXPECT_EQ(run->failed_step, "send");
    const std::vector<std::string> writes = sim.writes();
    // The second block's query fails (its position is reported again), the retry's write
    // fails; the job's reset is the one write after it.
    EXPECT_EQ(std::count_if(writes.begin(), writes.end(), is_data), 3);
    EXPECT_EQ(count_of(writes, reset), 1u);
    EXPECT_EQ(writes.back(), reset);
    using P = std::pair<std::uint32_t, std::uint32_t>;
    EXPECT_EQ(run->transfer.calls, (std::vector<P>{{2, 4}, {2, 4}}));
}

TEST(SimFaults, CounterDropsOffTheBusAfterTheBurnOrder) {
    test::RecordingClock clock;
    test::SimCounter sim(gpib, "idn DWERN,RV2260,123456,V1.05\ndrop_after 1 SYST:FIRM:UPD");
    CounterProtocol protocol;
    const auto records = three_blocks();
    const auto run = test::run_update(protocol, gpib, records);
    EXPECT_EQ(run->failed_step, "burn");
    // The one re-open after the time-out, and the one the wait for the counter tries.
    EXPECT_EQ(sim.calls("viOpen").size(), 3u);
    EXPECT_EQ(count_of(sim.writes(), reset), 0u);
}

TEST(SimFaults, UnsendableRecordFailsBeforeAnyDataWithTheReset) {
    test::RecordingClock clock;
    test::SimCounter sim(gpib, "idn DWERN,RV2260,123456,V1.05");
    CounterProtocol protocol;
    ASSERT_TRUE(protocol.connect(gpib));
    const std::vector<HexRecord> records = {test::counting_record(0x0000, 16),
                                            test::counting_record(0x0010, 250),
                                            test::end_of_file_record()};
    EXPECT_FALSE(protocol.send_firmware("image.hex", records, false, false, nullptr, nullptr));
    EXPECT_EQ(sim.writes(), (std::vector<std::string>{":ABOR; *IDN?", reset}));
}

TEST(SimFaults, CancelDuringTheTransferSendsTheReset) {
    test::RecordingClock clock;
    test::SimCounter sim(gpib, "idn DWERN,RV2260,123456,V1.05");
    CounterProtocol protocol;
    ASSERT_TRUE(protocol.connect(gpib));
    ASSERT_TRUE(protocol.prepare(nullptr, nullptr));
    test::ProgressLog progress;
    progress.cancel_at = 2;
    const auto records = three_blocks();
    EXPECT_FALSE(protocol.send_firmware("image.hex", records, false, false,
                                        test::ProgressLog::callback, &progress));
    const std::vector<std::string> writes = sim.writes();
    EXPECT_EQ(std::count_if(writes.begin(), writes.end(), is_data), 2);
    EXPECT_EQ(writes.back(), reset);
}

}  // namespace
}  // namespace hx4x
