#include "instrument/counter_lock.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "environment.hpp"
#include "platform/process_info.hpp"
#include "temp_dir.hpp"

namespace hx4x {
namespace {

// Two claims in one process stand for two processes: each holds its own lock.
TEST(CounterLockTest, OneHolderPerCounterWhateverTheLetterCase) {
    const testing_support::TempDir dir;
    // The claims live in the runtime folder on POSIX: a folder of the test's own.
    const testing_support::ScopedEnvironment runtime("XDG_RUNTIME_DIR", dir.path().string());
    const std::string name =
        "USB0::0x5D3C::0x0090::" + std::to_string(platform::process_id()) + "::INSTR";
    std::string lower = name;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }

    CounterLock first;
    CounterLock second;
    ASSERT_EQ(first.take(name), CounterLock::Claim::taken);
    EXPECT_EQ(first.take(lower), CounterLock::Claim::taken) << "already held by this one";
    EXPECT_TRUE(first.holds(lower));
    EXPECT_EQ(second.take(lower), CounterLock::Claim::held_elsewhere);
    EXPECT_FALSE(second.holds(name));
    EXPECT_EQ(second.take(name + "X"), CounterLock::Claim::taken) << "another counter is free";
    first.release();
    EXPECT_EQ(second.take(name), CounterLock::Claim::taken);
    EXPECT_FALSE(second.holds(name + "X")) << "the other counter was given up";

    // Names that differ only in what the token name cannot spell stay apart.
    EXPECT_NE(CounterLock::token_name("GPIB0::1::INSTR"), CounterLock::token_name("GPIB0;1;INSTR"));
}

}  // namespace
}  // namespace hx4x
