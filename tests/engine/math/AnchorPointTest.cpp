#include "engine/math/AnchorPoint.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ZQ2 {
namespace {

TEST(AnchorPoint, NamedTypesAlignInTheFrameAndFloorHalfSizes) {
    struct Case {
        eAnchorPoint type;
        float x, y;
    };
    // A frame of 5 by 3: the half sizes 2.5 and 1.5 are floored.
    const Case cases[] = {
        {ANCHOR_TOPLEFT, 0, 0}, {ANCHOR_TOP, 2, 0},       {ANCHOR_TOPRIGHT, 5, 0},
        {ANCHOR_LEFT, 0, 1},    {ANCHOR_CENTER, 2, 1},    {ANCHOR_RIGHT, 5, 1},
        {ANCHOR_BOTTOMLEFT, 0, 3}, {ANCHOR_BOTTOM, 2, 3}, {ANCHOR_BOTTOMRIGHT, 5, 3},
    };
    for (const Case& c : cases) {
        const AnchorPoint a(c.type, 5, 3);
        EXPECT_EQ(a.GetX(), c.x) << c.type;
        EXPECT_EQ(a.GetY(), c.y) << c.type;
        EXPECT_TRUE(a.IsRoundDown());
    }

    AnchorPoint exact(ANCHOR_CENTER, 0, 0);
    exact.SetRoundDown(false);
    exact.AlignToAnchorType(5, 3);
    EXPECT_EQ(exact.GetX(), 2.5f);
    EXPECT_EQ(exact.GetY(), 1.5f);
}

TEST(AnchorPoint, FreeAnchorsKeepTheirCoordinates) {
    AnchorPoint free(2.5f, 7.25f);
    EXPECT_EQ(free.GetType(), ANCHOR_FREE);
    free.AlignToAnchorType(100, 100);
    free.RoundDownCoordinates();
    EXPECT_EQ(free.GetX(), 2.5f);
    EXPECT_EQ(free.GetY(), 7.25f);
    EXPECT_EQ(AnchorPoint(Point_t<float>(1, 2)).GetType(), ANCHOR_FREE);

    AnchorPoint named(ANCHOR_BOTTOMRIGHT, 10, 10);
    named.SetPosition(3, 4);
    EXPECT_EQ(named, AnchorPoint(3, 4));
    EXPECT_TRUE(named.GetRTTI().DerivesFrom(AnchorPoint::rtti));
    EXPECT_EQ(named.GetRTTI().GetName(), "AnchorPoint");
}

TEST(AnchorPoint, EqualityComparesPositionsOnlyForFreeAnchors) {
    EXPECT_EQ(AnchorPoint(ANCHOR_CENTER, 10, 10), AnchorPoint(ANCHOR_CENTER, 20, 20));
    EXPECT_NE(AnchorPoint(ANCHOR_CENTER, 10, 10), AnchorPoint(ANCHOR_TOP, 10, 10));
    EXPECT_NE(AnchorPoint(1, 2), AnchorPoint(1, 3));
    EXPECT_EQ(AnchorPoint(1, 2), AnchorPoint(1, 2));
    EXPECT_NE(AnchorPoint(NAN, 2), AnchorPoint(NAN, 2));

    AnchorPoint copy(ANCHOR_LEFT, 8, 8);
    copy.SetRoundDown(false);
    AnchorPoint assigned(0, 0);
    assigned = copy;
    EXPECT_EQ(assigned.GetType(), ANCHOR_LEFT);
    EXPECT_EQ(assigned.GetY(), 4.0f);
    EXPECT_FALSE(assigned.IsRoundDown());
}

}  // namespace
}  // namespace ZQ2
