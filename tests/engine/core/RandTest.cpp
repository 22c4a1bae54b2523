#include "engine/core/Rand.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "engine/core/Random.h"

namespace ZQ2 {
namespace {

TEST(Rand, KnownSequences) {
    Rand zero(0);
    EXPECT_EQ(zero.Next(32), -1155484576);
    EXPECT_EQ(zero.Next(32), -723955400);

    Rand answer(42);
    EXPECT_EQ(answer.Next(32), -1170105035);
}

TEST(Rand, SetSeedRestartsTheSequenceAndCopiesCarryOn) {
    Rand a(7);
    const int first = a.Next(32);
    a.Next(32);
    Rand copy(a);
    EXPECT_EQ(copy.Next(32), a.Next(32));
    a.SetSeed(7);
    EXPECT_EQ(a.Next(32), first);
}

TEST(Rand, SmallDrawsAreTheTopBitsOfTheState) {
    Rand wide(0);
    Rand narrow(0);
    const uint32_t full = static_cast<uint32_t>(wide.Next(32));
    EXPECT_EQ(static_cast<uint32_t>(narrow.Next(8)), full >> 24);
}

TEST(Rand, DerivedDrawsStayInRange) {
    Rand r(12345);
    for (int i = 0; i < 2000; ++i) {
        const float f = r.NextFloat();
        ASSERT_GE(f, 0.0f);
        ASSERT_LT(f, 1.0f);
        const double d = r.NextDouble();
        ASSERT_GE(d, 0.0);
        ASSERT_LT(d, 1.0);
        const int n = r.GetInt(-3, 4);
        ASSERT_GE(n, -3);
        ASSERT_LT(n, 4);
    }
}

TEST(Rand, NextLongJoinsTwoDrawsWithASignedLowHalf) {
    Rand a(0);
    Rand b(0);
    const long long high = a.Next(32);
    const long long low = a.Next(32);
    EXPECT_EQ(b.NextLong(), static_cast<long long>((static_cast<uint64_t>(high) << 32) + static_cast<uint64_t>(low)));
}

TEST(Rand, NextBytesSendsTheLowestByteFirstAndStopsAtTheCount) {
    Rand a(3);
    Rand b(3);
    char bytes[7] = {0, 0, 0, 0, 0, 0, 0x55};
    a.NextBytes(bytes, 6);
    const uint32_t w0 = static_cast<uint32_t>(b.Next(32));
    const uint32_t w1 = static_cast<uint32_t>(b.Next(32));
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), w0 & 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[3]), w0 >> 24);
    EXPECT_EQ(static_cast<unsigned char>(bytes[4]), w1 & 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[5]), (w1 >> 8) & 0xFF);
    EXPECT_EQ(bytes[6], 0x55);
    // Both generators drew exactly twice.
    EXPECT_EQ(a.Next(32), b.Next(32));
}

TEST(Rand, DegenerateRangesGiveTheMinimum) {
    Rand r(9);
    Rand untouched(9);
    // An empty range must neither divide by zero nor draw.
    EXPECT_EQ(r.GetInt(5, 5), 5);
    EXPECT_EQ(r.Next(32), untouched.Next(32));
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(r.GetInt(0, 1), 0);
}

TEST(Rand, FullIntRangeDoesNotOverflow) {
    Rand r(1);
    for (int i = 0; i < 100; ++i)
        r.GetInt(INT32_MIN, INT32_MAX);
    SUCCEED();
}

class RandomInstance : public ::testing::Test {
protected:
    void TearDown() override { Random::ReleaseInstance(); }
};

TEST_F(RandomInstance, GetIntInRangeIncludesBothEnds) {
    Random::CreateInstance();
    ASSERT_NE(Random::g_Instance, nullptr);
    EXPECT_EQ(Random::GetIntInRange(3, 3), 3);
    std::set<int> seen;
    for (int i = 0; i < 500; ++i) {
        const int n = Random::GetIntInRange(1, 3);
        ASSERT_GE(n, 1);
        ASSERT_LE(n, 3);
        seen.insert(n);
    }
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_LE(Random::GetIntInRange(INT32_MAX - 1, INT32_MAX), INT32_MAX);
}

TEST_F(RandomInstance, IsCreatedOnFirstUseAndRecreatingReplacesIt) {
    ASSERT_EQ(Random::g_Instance, nullptr);
    Random::GetIntInRange(0, 9);
    ASSERT_NE(Random::g_Instance, nullptr);
    EXPECT_EQ(Random::g_Instance->GetRefCount(), 1);
    Random::CreateInstance();  // must release the first one (the leak checker watches)
    EXPECT_EQ(Random::g_Instance->GetRefCount(), 1);
    EXPECT_TRUE(Random::g_Instance->GetRTTI().DerivesFrom(Rand::rtti));
}

}  // namespace
}  // namespace ZQ2
