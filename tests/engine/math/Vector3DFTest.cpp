#include "engine/math/Vector3DF.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ZQ2 {
namespace {

TEST(Vector3DF, LengthsAndNormalizing) {
    Vector3DF v(3, 4, 12);
    EXPECT_FLOAT_EQ(v.Length(), 13.0f);
    EXPECT_FLOAT_EQ(v.Length2D(), 5.0f);
    EXPECT_FLOAT_EQ(v.Module2D(Vector3DF(3, 4, 0)), 5.0f);
    Vector3DF unit;
    EXPECT_FLOAT_EQ(v.NormalizeTo(unit), 13.0f);
    EXPECT_FLOAT_EQ(unit.Length(), 1.0f);
    EXPECT_EQ(v, Vector3DF(3, 4, 12));  // NormalizeTo leaves the source alone

    Vector3DF zero;
    EXPECT_EQ(zero.Normalize(), 0.0f);
    EXPECT_EQ(zero, Vector3DF());
}

TEST(Vector3DF, ExtremeComponentsKeepTheEarlierAxisOnTies) {
    eAxis axis = AXIS_Z;
    EXPECT_EQ(Vector3DF(-5, 5, 1).GetMaxAbsComponent(axis), 5.0f);
    EXPECT_EQ(axis, AXIS_X);
    EXPECT_EQ(Vector3DF(2, -7, 3).GetMaxAbsComponent(axis), 7.0f);
    EXPECT_EQ(axis, AXIS_Y);
    EXPECT_EQ(Vector3DF(4, -1, 1).GetMinAbsComponent(axis), 1.0f);
    EXPECT_EQ(axis, AXIS_Y);
    EXPECT_EQ(Vector3DF(4, 2, 0).GetMinAbsComponent(axis), 0.0f);
    EXPECT_EQ(axis, AXIS_Z);
}

TEST(Vector3DF, DecomposeAndParallelTest) {
    Vector3DF parallel, perpendicular;
    Vector3DF(2, 0, 0).Decompose(Vector3DF(3, 4, 5), parallel, perpendicular);
    EXPECT_EQ(parallel, Vector3DF(3, 0, 0));
    EXPECT_EQ(perpendicular, Vector3DF(0, 4, 5));

    EXPECT_TRUE(Vector3DF(1, 2, 3).IsParallelTo(Vector3DF(-2, -4, -6)));
    EXPECT_FALSE(Vector3DF(1, 2, 3).IsParallelTo(Vector3DF(1, 2, 4)));
}

TEST(Vector3DF, ArbitraryNormalIsPerpendicularAndNonZero) {
    const Vector3DF cases[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 2, 3},
                               {-3, 2, 1}, {0.0001f, 5, 7}, {2, 2, 2}, {0, -4, 0.5f}};
    for (const Vector3DF& v : cases) {
        Vector3DF n;
        v.ArbitraryNormal(n);
        EXPECT_NEAR(v.Dot(n), 0.0f, 1e-5f) << v.x << "," << v.y << "," << v.z;
        EXPECT_GT(n.Length(), 0.0f) << v.x << "," << v.y << "," << v.z;
    }
}

}  // namespace
}  // namespace ZQ2
