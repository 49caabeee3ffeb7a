#include "AuxLib/scope_guard.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace hx4x {
namespace {

void add_one(int* counter) {
    ++*counter;
}

TEST(ScopeGuard, RunsOnEveryWayOutUnlessDismissed) {
    int counter = 0;
    { ScopeGuard guard(&counter, add_one); }
    EXPECT_EQ(counter, 1);
    {
        ScopeGuard guard(&counter, add_one);
        guard.dismiss();
    }
    EXPECT_EQ(counter, 1);
    auto early_return = [&](bool fail) {
        ScopeGuard guard([&] { counter += 10; });
        if (fail) {
            return false;
        }
        guard.dismiss();
        return true;
    };
    EXPECT_FALSE(early_return(true));
    EXPECT_TRUE(early_return(false));
    EXPECT_EQ(counter, 11);
}

TEST(ScopeGuard, AThrowingCleanupIsDropped) {
    // A throw out of the destructor would terminate the run, so only the clean-up is checked.
    bool ran = false;
    {
        ScopeGuard guard([&] {
            ran = true;
            throw std::runtime_error("x");
        });
    }
    EXPECT_TRUE(ran);
}

TEST(ValueScopeGuard, RestoresTheSavedValue) {
    bool running = true;
    { ValueScopeGuard<bool> guard(running, false); }
    EXPECT_FALSE(running);
    running = true;
    {
        ValueScopeGuard<bool> guard(running, false);
        guard.dismiss();
    }
    EXPECT_TRUE(running);
}

}  // namespace
}  // namespace hx4x
