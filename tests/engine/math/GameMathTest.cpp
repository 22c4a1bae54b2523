#include "engine/math/GameMath.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/Random.h"
#include "engine/math/PolygonF.h"

namespace ZQ2 {
namespace {

using GameMath::Mod;

TEST(GameMath, ModTakesTheDivisorsSign) {
    struct Case {
        int a, b, expected;
    };
    const Case cases[] = {{-1, 5, 4}, {1, -5, -4}, {7, 5, 2}, {-7, -5, -2}, {10, 5, 0}, {-10, 5, 0}, {0, -3, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(Mod(c.a, c.b), c.expected) << c.a << " mod " << c.b;

    EXPECT_FLOAT_EQ(Mod(-1.5f, 5.0f), 3.5f);
    EXPECT_FLOAT_EQ(Mod(1.5f, -5.0f), -3.5f);
    EXPECT_FLOAT_EQ(Mod(7.5f, 5.0f), 2.5f);
    EXPECT_FLOAT_EQ(Mod(-7.5f, -5.0f), -2.5f);
    EXPECT_TRUE(std::isnan(Mod(1.0f, 0.0f)));
    // A remainder too small to add to b must not come out as b itself.
    EXPECT_LT(Mod(-1e-10f, 5.0f), 5.0f);
}

TEST(GameMath, ModByZeroOrMinusOneDoesNotTrap) {
    EXPECT_EQ(Mod(5, 0), 0);
    EXPECT_EQ(Mod(INT32_MIN, -1), 0);
}

TEST(GameMath, DistancesAndAngles) {
    EXPECT_FLOAT_EQ(GameMath::CalcDistance(0.0f, 0.0f, 3.0f, 4.0f), 5.0f);
    EXPECT_DOUBLE_EQ(GameMath::CalcDistance(1.0, 1.0, 4.0, 5.0), 5.0);
    EXPECT_EQ(GameMath::CalcDistance(0, 0, 1, 1), 1);  // 1.414 truncated

    const float pi = 3.1415927f;
    EXPECT_FLOAT_EQ(GameMath::CalcLineAngle(1.0f, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(GameMath::CalcLineAngle(0.0f, 1.0f), pi / 2);
    EXPECT_FLOAT_EQ(GameMath::CalcLineAngle(-1.0f, 0.0f), pi);
    EXPECT_FLOAT_EQ(GameMath::CalcLineAngle(-1.0f, -1.0f), -3 * pi / 4);
    EXPECT_FLOAT_EQ(GameMath::CalcLineAngle(0.0f, 0.0f), 0.0f);

    float nx = 0, ny = 0;
    GameMath::CalcNormal(0, 0, 10, 0, nx, ny);
    EXPECT_FLOAT_EQ(nx, 0.0f);
    EXPECT_FLOAT_EQ(ny, 1.0f);
    GameMath::CalcNormal(2, 2, 2, 2, nx, ny);
    EXPECT_EQ(nx, 0.0f);
    EXPECT_EQ(ny, 0.0f);
}

TEST(GameMath, FindNearestPoint) {
    const Point_t<float> a(0, 0), b(10, 0);
    struct Case {
        Point_t<float> p;
        Point_t<float> nearest;
        float result;
    };
    const Case cases[] = {
        {{4, 3}, {4, 0}, 0.0f},     // inside the segment
        {{-2, 5}, {0, 0}, -20.0f},  // before a: (p - a).(b - a) = -20
        {{13, 1}, {10, 0}, 30.0f},  // beyond b: -(p - b).(a - b) = 30
    };
    for (const Case& c : cases) {
        Point_t<float> out(-1, -1);
        EXPECT_FLOAT_EQ(GameMath::FindNearestPoint(c.p, a, b, &out), c.result);
        EXPECT_FLOAT_EQ(out.x, c.nearest.x);
        EXPECT_FLOAT_EQ(out.y, c.nearest.y);
    }
    EXPECT_FLOAT_EQ(GameMath::FindNearestPoint({5, 5}, a, b, nullptr), 0.0f);
    // A segment of zero length through p itself must not divide 0 by 0.
    Point_t<float> out;
    GameMath::FindNearestPoint(a, a, a, &out);
    EXPECT_EQ(out, a);

    const Point_t<float> avg = GameMath::Average(a, b, 0.25f);
    EXPECT_FLOAT_EQ(avg.x, 2.5f);
}

TEST(GameMath, MotionAcceleratesBrakesAndLandsExactlyOnTheTarget) {
    float position = 0, speed = 0;
    EXPECT_TRUE(GameMath::CalculateNewSpeedAndPosition(100, position, 100, speed, 50, 100, 100, false));
    EXPECT_FLOAT_EQ(speed, 10.0f);  // 100 px/s^2 for 0.1 s
    EXPECT_FLOAT_EQ(position, 1.0f);

    speed = 50;
    position = 0;
    GameMath::CalculateNewSpeedAndPosition(100, position, 100, speed, 50, 100, 100, false);
    EXPECT_FLOAT_EQ(speed, 50.0f);  // capped at the maximum

    // Braking distance 50^2 / 200 = 12.5 exceeds the 10 px left: slow down.
    position = 90;
    speed = 50;
    GameMath::CalculateNewSpeedAndPosition(100, position, 100, speed, 50, 100, 100, false);
    EXPECT_FLOAT_EQ(speed, 40.0f);

    // A step that would pass the target ends on it, at rest.
    position = 99;
    speed = 5;
    EXPECT_TRUE(GameMath::CalculateNewSpeedAndPosition(1000, position, 100, speed, 50, 1, 1000, false));
    EXPECT_EQ(position, 100.0f);
    EXPECT_EQ(speed, 0.0f);

    // A target behind is approached only when reversing is allowed.
    position = 10;
    speed = 0;
    EXPECT_FALSE(GameMath::CalculateNewSpeedAndPosition(100, position, 0, speed, 50, 100, 100, false));
    EXPECT_EQ(position, 10.0f);
    GameMath::CalculateNewSpeedAndPosition(100, position, 0, speed, 50, 100, 100, true);
    EXPECT_FLOAT_EQ(speed, -10.0f);
    EXPECT_FLOAT_EQ(position, 9.0f);
}

class Distribution : public ::testing::Test {
protected:
    void SetUp() override { Random::CreateInstance(); }
    void TearDown() override { Random::ReleaseInstance(); }
};

TEST_F(Distribution, DrawsOnlyIndicesWithWeight) {
    const int weights[] = {0, 3, 0, 1};
    int hits[4] = {0, 0, 0, 0};
    for (int i = 0; i < 400; ++i)
        ++hits[GameMath::GetRandomFromDistribution(weights, 4)];
    EXPECT_EQ(hits[0], 0);
    EXPECT_EQ(hits[2], 0);
    EXPECT_GT(hits[1], hits[3]);
    EXPECT_GT(hits[3], 0);
}

TEST_F(Distribution, NoWeightGivesTheLastIndexWithoutDrawing) {
    const int zeros[] = {0, 0, 0};
    Random copy(*Random::g_Instance);
    EXPECT_EQ(GameMath::GetRandomFromDistribution(zeros, 3), 2);
    EXPECT_EQ(Random::g_Instance->Next(32), copy.Next(32));
    EXPECT_EQ(GameMath::GetRandomFromDistribution(zeros, 0), -1);
}

TEST(GameMath, SplineRunsFromP0ToP1WithTheGivenTangents) {
    ZQVector<float> samples;
    GameMath::ComputeSpline(2.0f, 6.0f, 0.0f, 0.0f, 4, samples);
    ASSERT_EQ(samples.size(), 5);
    EXPECT_FLOAT_EQ(samples[0], 2.0f);
    EXPECT_FLOAT_EQ(samples[2], 4.0f);  // symmetric ease: half way at t = 0.5
    EXPECT_FLOAT_EQ(samples[4], 6.0f);

    ZQVector<float> line;
    GameMath::ComputeSpline(0.0f, 1.0f, 1.0f, 1.0f, 2, line);
    ASSERT_EQ(line.size(), 3);
    EXPECT_FLOAT_EQ(line[1], 0.5f);

    ZQVector<float> none;
    GameMath::ComputeSpline(0.0f, 1.0f, 0.0f, 0.0f, 0, none);
    GameMath::ComputeSpline(0.0f, 1.0f, 0.0f, 0.0f, -3, none);
    EXPECT_EQ(none.size(), 0);
}

TEST(GameMath, ContractInnerPolygonPullsInTheRightAndBottomEdges) {
    PolygonF square(Rectangle_t<float>(0, 0, 10, 10));
    GameMath::ContractInnerPolygon(square);
    const float expected[4][2] = {{0, 0}, {9, 0}, {9, 9}, {0, 9}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(square.Get(k).x, expected[k][0]) << k;
        EXPECT_FLOAT_EQ(square.Get(k).y, expected[k][1]) << k;
    }
    EXPECT_EQ(square.GetBoundingRect(), Rectangle_t<float>(0, 0, 9, 9));

    PolygonF point;
    point.Add(PolygonPointF(1, 1));
    GameMath::ContractInnerPolygon(point);  // nothing to contract
    EXPECT_EQ(point.Get(0).x, 1.0f);
}

TEST(GameMath, SmoothenPolygonInsertsSplinePoints) {
    PolygonF line;
    line.SetClosed(false);
    line.Add(PolygonPointF(0, 0));
    line.Add(PolygonPointF(10, 0));
    line.Add(PolygonPointF(20, 0));
    PolygonF smooth;
    GameMath::SmoothenPolygon(line, smooth, 4, false);
    ASSERT_EQ(smooth.GetCount(), 9);  // 2 segments of 4 steps, plus the end point
    EXPECT_FALSE(smooth.IsClosed());
    for (int k = 0; k < smooth.GetCount(); ++k) {
        EXPECT_NEAR(smooth.Get(k).x, 2.5f * static_cast<float>(k), 1e-4f) << k;  // a straight line stays straight
        EXPECT_NEAR(smooth.Get(k).y, 0.0f, 1e-4f) << k;
    }

    PolygonF square(Rectangle_t<float>(0, 0, 10, 10));
    PolygonF round;
    GameMath::SmoothenPolygon(square, round, 3, false);
    EXPECT_EQ(round.GetCount(), 12);  // a closed outline does not repeat its start
    EXPECT_EQ(round.Get(0).x, 0.0f);
    EXPECT_EQ(round.Get(3).x, 10.0f);

    GameMath::SmoothenPolygon(square, round, 0, false);  // no steps: a copy
    EXPECT_EQ(round.GetCount(), 4);
}

}  // namespace
}  // namespace ZQ2
