#include "instrument/performance_timer.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "fake_clock.hpp"

namespace hx4x {
namespace {

constexpr std::int64_t max_count = std::numeric_limits<std::int64_t>::max();

TEST(Clock, SetClockReturnsThePreviousAndNullRestoresTheSteadyClock) {
    FakeClock fake;
    EXPECT_EQ(&current_clock(), &steady_clock());
    EXPECT_EQ(set_clock(&fake), &steady_clock());
    EXPECT_EQ(&current_clock(), &fake);
    EXPECT_EQ(set_clock(nullptr), &fake);
    EXPECT_EQ(&current_clock(), &steady_clock());
    {
        ScopedClock scoped(fake);
        EXPECT_EQ(&current_clock(), &fake);
    }
    EXPECT_EQ(&current_clock(), &steady_clock());
}

// The system's counter runs at its own rate (nanoseconds on POSIX, the performance
// counter's frequency on Windows); a pause of a hundredth of a second lasts at least that.
TEST(Clock, SystemClockCountsForwardAndPausesForItsCounts) {
    Clock& clock = steady_clock();
    const std::int64_t rate = clock.frequency();
    ASSERT_GT(rate, 0);
    const std::int64_t first = clock.now();
    clock.sleep_for(rate / 100);
    EXPECT_GE(clock.now() - first, rate / 100);
}

TEST(ElapsedCounts, WrapsPastTheLargestSignedValue) {
    EXPECT_EQ(elapsed_counts(10, 25), 15u);
    EXPECT_EQ(elapsed_counts(5, 5), 0u);
    EXPECT_EQ(elapsed_counts(max_count - 2, 3), 6u);  // -2..max, then 0..3
    EXPECT_EQ(elapsed_counts(max_count, 0), 1u);
    EXPECT_EQ(elapsed_counts(0, max_count), static_cast<std::uint64_t>(max_count));
}

TEST(PerformanceTimer, CountsWholeSecondsTruncated) {
    FakeClock fake(1000, 500);
    ScopedClock scoped(fake);
    PerformanceTimer timer;
    timer.start();
    EXPECT_EQ(timer.frequency(), 1000);
    EXPECT_EQ(timer.start_count(), 500);
    EXPECT_EQ(timer.elapsed_seconds(), 0u);
    fake.advance(1999);
    EXPECT_EQ(timer.elapsed_seconds(), 1u);
    fake.advance(1);
    EXPECT_EQ(timer.elapsed_seconds(), 2u);
}

TEST(PerformanceTimer, SurvivesAWrappedCounter) {
    FakeClock fake(10, max_count - 5);
    ScopedClock scoped(fake);
    PerformanceTimer timer;
    timer.start();
    fake.set_now(24);  // 6 counts up to the wrap, 25 after it
    EXPECT_EQ(timer.elapsed_seconds(), 3u);
}

TEST(PerformanceTimer, WithoutFrequencyReadsNothingAndDividesByNothing) {
    FakeClock fake(0, 1234);
    ScopedClock scoped(fake);
    PerformanceTimer timer;
    timer.start();
    EXPECT_EQ(timer.frequency(), 0);
    EXPECT_EQ(timer.start_count(), 0);
    fake.advance(100000);
    EXPECT_EQ(timer.elapsed_seconds(), 0u);
    EXPECT_EQ(wait_ms(500), 0u);
    EXPECT_EQ(fake.sleep_calls(), 0u);
}

TEST(WaitMs, SleepsOnceToTheDeadlineAndReportsTheTimePassed) {
    FakeClock fake;
    ScopedClock scoped(fake);
    EXPECT_EQ(wait_ms(100), 100u);
    EXPECT_EQ(fake.now(), 100);
    EXPECT_EQ(fake.sleep_calls(), 1u);
    EXPECT_EQ(wait_ms(0), 0u);
    EXPECT_EQ(fake.sleep_calls(), 1u);
}

TEST(WaitMs, RoundsTheDeadlineUpOnACoarseClock) {
    FakeClock fake(3);  // a count is 333.3 ms
    ScopedClock scoped(fake);
    EXPECT_EQ(wait_ms(400), 666u);
    EXPECT_EQ(fake.now(), 2);
}

// A clock whose sleeps end early: wait_ms must keep going until the time has passed.
class ShortSleepClock : public FakeClock {
  public:
    ShortSleepClock() : FakeClock(1'000'000) {}
    void sleep_for(std::int64_t counts) override { FakeClock::sleep_for(counts / 3 + 1); }
};

TEST(WaitMs, RepeatsSleepsThatEndEarly) {
    ShortSleepClock clock;
    ScopedClock scoped(clock);
    const std::uint64_t passed = wait_ms(50);
    EXPECT_GE(passed, 50u);
    EXPECT_LE(passed, 51u);
    EXPECT_GT(clock.sleep_calls(), 1u);
}

TEST(WaitMs, LongestPauseWithANanosecondClock) {
    FakeClock fake(1'000'000'000);
    ScopedClock scoped(fake);
    const std::uint32_t longest = std::numeric_limits<std::uint32_t>::max();
    EXPECT_EQ(wait_ms(longest), longest);
    EXPECT_EQ(fake.now(), static_cast<std::int64_t>(longest) * 1'000'000);
}

TEST(WaitMs, EndsWhenTheClockCannotMeasureTheRequest) {
    // At this rate the capped count is a few milliseconds, far below the request.
    FakeClock fake(max_count);
    ScopedClock scoped(fake);
    EXPECT_LT(wait_ms(60000), 60000u);
}

TEST(WaitMs, HoldsAcrossAWrap) {
    FakeClock fake(1000, max_count - 10);
    ScopedClock scoped(fake);
    // The fake's own count overflows only in unsigned terms; mimic the wrap by hand.
    class WrappingClock : public Clock {
      public:
        explicit WrappingClock(FakeClock& inner) : inner_(inner) {}
        std::int64_t now() override { return inner_.now(); }
        std::int64_t frequency() override { return inner_.frequency(); }
        void sleep_for(std::int64_t counts) override {
            const std::int64_t room = max_count - inner_.now();
            if (counts > room) {
                inner_.set_now(counts - room - 1);
            } else {
                inner_.advance(counts);
            }
        }

      private:
        FakeClock& inner_;
    } wrapping(fake);
    ScopedClock inner_scope(wrapping);
    EXPECT_EQ(wait_ms(30), 30u);
    EXPECT_EQ(fake.now(), 19);
}

}  // namespace
}  // namespace hx4x
