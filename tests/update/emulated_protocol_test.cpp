#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <vector>

#include "app/emulated_version.hpp"
#include "instrument/emulation.hpp"
#include "record_builder.hpp"
#include "recording_clock.hpp"
#include "update/counter_protocol.hpp"

namespace hx4x {
namespace {

using test::counting_record;
using test::end_of_file_record;

struct ProgressLog {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> calls;
    std::size_t cancel_at = 0;  // 1-based call that answers false; 0 never
};

bool log_progress(void* context, std::uint32_t done, std::uint32_t total) {
    auto* log = static_cast<ProgressLog*>(context);
    log->calls.emplace_back(done, total);
    return log->calls.size() != log->cancel_at;
}

void log_tick(void* context, int count) {
    static_cast<std::vector<int>*>(context)->push_back(count);
}

class EmulatedProtocol : public ::testing::Test {
  protected:
    void TearDown() override { set_emulated_version(0); }

    void connect(std::uint32_t version) {
        set_emulated_version(version);
        ASSERT_TRUE(protocol.connect(emulated_resource_name));
    }

    test::RecordingClock clock;
    CounterProtocol protocol;
};

TEST_F(EmulatedProtocol, ConnectTakesTheEmulatedIdentityWithoutDelays) {
    connect(105);
    const CounterIdentity& identity = protocol.identity();
    EXPECT_EQ(identity.resource_name, emulated_resource_name);
    EXPECT_EQ(identity.manufacturer, "Valdmore Instruments");
    EXPECT_EQ(identity.model, "HX-40XL-Emulated");
    EXPECT_EQ(identity.serial_number, "777777");
    EXPECT_EQ(identity.firmware_version, "X1.05 30 Jun 1908 07:14");
    EXPECT_EQ(identity.version_number, 105);
    EXPECT_EQ(protocol.session().io_delay(), 0u);
    EXPECT_TRUE(protocol.check_error_queue());

    protocol.disconnect();
    EXPECT_EQ(protocol.identity(), CounterIdentity{});
    EXPECT_FALSE(protocol.session().is_open());
}

TEST_F(EmulatedProtocol, PreparationFrom111ReportsTwentyThreeStepsWithItsPauses) {
    connect(111);
    ProgressLog log;
    ASSERT_TRUE(protocol.prepare(log_progress, &log));
    ASSERT_EQ(log.calls.size(), 23u);
    for (std::uint32_t i = 0; i < 23; ++i) {
        EXPECT_EQ(log.calls[i], std::make_pair(i + 1, 23u));
    }
    std::vector<std::int64_t> expected(23, 100);
    expected.push_back(1000);
    EXPECT_EQ(clock.pauses, expected);
}

TEST_F(EmulatedProtocol, PreparationBelow111IsThePrepareCommandAlone) {
    connect(110);
    ProgressLog log;
    ASSERT_TRUE(protocol.prepare(log_progress, &log));
    EXPECT_TRUE(log.calls.empty());
    EXPECT_EQ(clock.pauses, std::vector<std::int64_t>{1000});
}

TEST_F(EmulatedProtocol, PreparationStepsRunWithoutACallback) {
    connect(111);
    ASSERT_TRUE(protocol.prepare(nullptr, nullptr));
    EXPECT_EQ(clock.pauses.size(), 24u);
    EXPECT_EQ(clock.slept(), 3300);
}

TEST_F(EmulatedProtocol, PreparationCancelStopsAtOnce) {
    for (std::size_t cancel_at : {1u, 2u, 3u, 22u, 23u}) {
        connect(111);
        clock.pauses.clear();
        ProgressLog log;
        log.cancel_at = cancel_at;
        EXPECT_FALSE(protocol.prepare(log_progress, &log));
        EXPECT_EQ(log.calls.size(), cancel_at);
        // No pause after the cancel: the final 1000 ms belongs to the prepare command.
        EXPECT_EQ(clock.pauses.size(), cancel_at);
    }
}

TEST_F(EmulatedProtocol, BurnAt100PollsAndReturnsAtOnce) {
    connect(100);
    std::vector<int> ticks;
    EXPECT_TRUE(protocol.burn(log_tick, &ticks));
    EXPECT_TRUE(ticks.empty());
    EXPECT_TRUE(clock.pauses.empty());
}

TEST_F(EmulatedProtocol, BurnAt101WaitsFiveHundredOneStepsThenOneSecond) {
    connect(101);
    std::vector<int> ticks;
    EXPECT_TRUE(protocol.burn(log_tick, &ticks));
    // A tick for each of the 501 steps and for each tenth of the second after the re-open.
    ASSERT_EQ(ticks.size(), 511u);
    EXPECT_EQ(ticks.front(), 1);
    EXPECT_EQ(ticks.back(), 511);
    // USB: 1 ms before the burn order, 501 steps of 2 ms, no pause before the re-open and
    // 1000 ms after it, in ticks of 100 ms.
    ASSERT_EQ(clock.pauses.size(), 512u);
    EXPECT_EQ(clock.pauses.front(), 1);
    EXPECT_EQ(clock.pauses[1], 2);
    EXPECT_EQ(clock.pauses[501], 2);
    EXPECT_EQ(std::vector<std::int64_t>(clock.pauses.begin() + 502, clock.pauses.end()),
              std::vector<std::int64_t>(10, 100));
    EXPECT_TRUE(protocol.session().is_open());
    EXPECT_EQ(protocol.session().resource_name(), emulated_resource_name);
}

TEST_F(EmulatedProtocol, TransferTakesEveryBlockAndReportsRecordsSent) {
    connect(115);
    // Three blocks: a run of two records, a gap, then one record after a linear address.
    const std::vector<HexRecord> records = {
        counting_record(0x0000, 16),    counting_record(0x0010, 16), counting_record(0x0100, 16),
        test::linear_address_record(1), counting_record(0x0000, 16), end_of_file_record()};
    ProgressLog log;
    ASSERT_TRUE(protocol.send_firmware("none.hex", records, false, false, log_progress, &log));
    using P = std::pair<std::uint32_t, std::uint32_t>;
    EXPECT_EQ(log.calls, (std::vector<P>{{3, 6}, {5, 6}, {6, 6}, {6, 6}}));
    // 1 ms per data command, no dump open.
    EXPECT_EQ(clock.pauses, (std::vector<std::int64_t>{1, 1, 1}));
}

TEST_F(EmulatedProtocol, OlderCountersPauseFromThe635thCommandOn) {
    struct Case {
        std::uint32_t version;
        std::size_t blocks;
        std::int64_t expected_slept;
    };
    // One record per block (gaps); each block costs 1 ms, and from the 635th on, 1 ms more.
    const Case cases[] = {{110, 634, 634}, {110, 635, 636}, {110, 700, 766}, {111, 700, 700}};
    for (const Case& c : cases) {
        connect(c.version);
        clock.reset();
        std::vector<HexRecord> records;
        for (std::size_t i = 0; i < c.blocks; ++i) {
            records.push_back(counting_record(static_cast<std::uint16_t>(i * 32), 4));
        }
        records.push_back(end_of_file_record());
        ASSERT_TRUE(protocol.send_firmware("none.hex", records, false, false, nullptr, nullptr));
        EXPECT_EQ(clock.slept(), c.expected_slept) << c.version << " " << c.blocks;
    }
}

TEST_F(EmulatedProtocol, TransferCancelAndRefusedFinalReportFail) {
    connect(115);
    const std::vector<HexRecord> records = {counting_record(0x0000, 16),
                                            counting_record(0x0100, 16), end_of_file_record()};
    for (std::size_t cancel_at : {1u, 2u, 3u}) {
        ProgressLog log;
        log.cancel_at = cancel_at;
        EXPECT_FALSE(protocol.send_firmware("none.hex", records, false, false, log_progress, &log));
        EXPECT_EQ(log.calls.size(), cancel_at);
    }
}

TEST_F(EmulatedProtocol, ImageWithARecordNoBlockCanCarryIsRefusedBeforeAnyDump) {
    connect(106);  // one-byte length field: at most 249 bytes
    const auto dir = std::filesystem::temp_directory_path() / "hx4x_update_refused";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "image.hex").string();
    std::filesystem::remove(dir / "image.sending");
    std::filesystem::remove(dir / "image.firmware");
    const std::vector<HexRecord> records = {counting_record(0x0000, 16),
                                            counting_record(0x0010, 250), end_of_file_record()};
    ProgressLog log;
    EXPECT_FALSE(protocol.send_firmware(path, records, true, true, log_progress, &log));
    EXPECT_TRUE(log.calls.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "image.sending"));
    EXPECT_FALSE(std::filesystem::exists(dir / "image.firmware"));
    EXPECT_TRUE(clock.pauses.empty());

    // The same image goes through with two-byte length fields.
    connect(107);
    EXPECT_TRUE(protocol.send_firmware(path, records, false, false, log_progress, &log));
}

}  // namespace
}  // namespace hx4x
