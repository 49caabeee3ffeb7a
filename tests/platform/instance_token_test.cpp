#include "platform/instance_token.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

namespace hx4x {
namespace {

std::string fresh_name() {
    std::random_device random;
    return "HX4X_TEST_TOKEN_" + std::to_string(random()) + std::to_string(random());
}

// One holder at a time, within a process as between processes (a named event on Windows, a
// lock on a file elsewhere); the name is free again once the holder lets go.
TEST(InstanceToken, OneHolderUntilItIsReleased) {
    const std::string name = fresh_name();
    bool existed = true;
    std::unique_ptr<platform::InstanceToken> first = platform::claim_instance_token(name, existed);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(existed);

    bool again = false;
    EXPECT_EQ(platform::claim_instance_token(name, again), nullptr);
    EXPECT_TRUE(again) << "a second claim learns that the token is held";

    bool other = true;
    const auto unrelated = platform::claim_instance_token(name + "_OTHER", other);
    EXPECT_NE(unrelated, nullptr);
    EXPECT_FALSE(other);

    first.reset();
    bool after = true;
    EXPECT_NE(platform::claim_instance_token(name, after), nullptr);
    EXPECT_FALSE(after);
}

}  // namespace
}  // namespace hx4x
