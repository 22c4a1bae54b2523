#include "platform/MonotonicClock.h"

#include <gtest/gtest.h>

namespace {

TEST(MonotonicClock, WrapsAtThirtyTwoBits) {
    const struct {
        uint64_t in;
        uint32_t out;
    } cases[] = {
        {0, 0},
        {4294967295ull, 4294967295u},
        {4294967296ull, 0},
        {4294967296ull + 5, 5},
        {3 * 4294967296ull + 7, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::MonotonicClock::Wrap(c.in), c.out) << c.in;
}

TEST(MonotonicClock, SleepLastsAtLeastTheTimeAsked) {
    const uint32_t before = platform::MonotonicClock::Milliseconds();
    platform::MonotonicClock::Sleep(20);
    // Unsigned subtraction stays right across a wrap of the clock.
    const uint32_t elapsed = platform::MonotonicClock::Milliseconds() - before;
    EXPECT_GE(elapsed, 20u);
}

}  // namespace
