#include "engine/math/Matrix3x3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace ZQ2 {
namespace {

constexpr float kPi = 3.14159265f;

void ExpectNear(const Matrix3x3& a, const Matrix3x3& b, float tolerance) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(a(r, c), b(r, c), tolerance) << "element " << r << "," << c;
    }
}

// Where the matrix takes the point (x, y).
Point_t<float> Apply(const Matrix3x3& m, float x, float y) {
    float in[3] = {x, y, 1.0f};
    float out[3];
    m.Multiply(in, out);
    return Point_t<float>(out[0], out[1]);
}

TEST(Matrix3x3, ConstructionAndCheckedAccess) {
    const Matrix3x3 m(1, 2, 3, 4, 5, 6, 7, 8, 10);
    EXPECT_EQ(m.ElementAt(1, 2), 6.0f);
    EXPECT_EQ(m.ElementAt(3, 0), -99999.0f);
    EXPECT_EQ(m.ElementAt(0, -1), -99999.0f);
    Matrix3x3 w(m);
    w.SetElementAt(0, 3, 42.0f);  // ignored
    w.SetElementAt(2, 2, 9.0f);
    EXPECT_EQ(w, Matrix3x3(1, 2, 3, 4, 5, 6, 7, 8, 9));

    EXPECT_EQ(m.GetTrace(), 16.0f);
    EXPECT_FLOAT_EQ(m.Determinant(), -3.0f);
    int index = -1;
    EXPECT_EQ(Matrix3x3(2, 0, 0, 0, 7, 0, 0, 0, 7).GetLargestDiagonalElement(index), 7.0f);
    EXPECT_EQ(index, 1);  // the first of equal ones

    Matrix3x3 t(m);
    t.Transpose();
    EXPECT_EQ(t, Matrix3x3(1, 4, 7, 2, 5, 8, 3, 6, 10));
    EXPECT_EQ(Matrix3x3(false), Matrix3x3::ZeroMatrix);
    EXPECT_EQ(Matrix3x3(), Matrix3x3::IdentityMatrix);
}

TEST(Matrix3x3, MirrorsByAxisLetter) {
    EXPECT_EQ(Matrix3x3('y'), Matrix3x3(1, 0, 0, 0, -1, 0, 0, 0, 1));
    EXPECT_EQ(Matrix3x3('X'), Matrix3x3(-1, 0, 0, 0, 1, 0, 0, 0, 1));
    EXPECT_EQ(Matrix3x3('z'), Matrix3x3(1, 0, 0, 0, 1, 0, 0, 0, -1));
    EXPECT_EQ(Matrix3x3('q'), Matrix3x3::IdentityMatrix);
}

TEST(Matrix3x3, EqualityToleranceIsStrict) {
    const Matrix3x3 a(Matrix3x3::IdentityMatrix);
    EXPECT_TRUE(a == a);
    Matrix3x3 b(a);
    b(1, 1) += 0.0000001f;
    EXPECT_EQ(a, b);
    Matrix3x3 c(Matrix3x3::ZeroMatrix);
    c(0, 0) = 0.000001f;  // exactly the tolerance: not equal
    EXPECT_NE(Matrix3x3::ZeroMatrix, c);
    Matrix3x3 n(a);
    n(0, 0) = NAN;
    EXPECT_NE(n, a);
    EXPECT_TRUE(n == n);  // the same object
}

TEST(Matrix3x3, ArithmeticAppliesTheRightFactorFirst) {
    Matrix3x3 translate;
    Matrix3x3::MakeTranslationMatrix(translate, 10, 0);
    Matrix3x3 scale;
    Matrix3x3::MakeScalingMatrix(scale, 2, 2);
    const Point_t<float> p = Apply(translate * scale, 1, 1);  // scale, then move
    EXPECT_FLOAT_EQ(p.x, 12.0f);
    EXPECT_FLOAT_EQ(p.y, 2.0f);

    Matrix3x3 m(translate);
    const Matrix3x3 copy = (m *= scale);
    EXPECT_EQ(copy, m);
    EXPECT_EQ(m, translate * scale);

    EXPECT_EQ(2.0f * Matrix3x3::IdentityMatrix, Matrix3x3(2.0f, 2.0f, 2.0f));
    EXPECT_EQ(Matrix3x3::IdentityMatrix + Matrix3x3::IdentityMatrix - Matrix3x3::IdentityMatrix,
              Matrix3x3::IdentityMatrix);
    const Vector3DF v = Matrix3x3(1, 2, 3, 4, 5, 6, 7, 8, 9) * Vector3DF(1, 0, -1);
    EXPECT_EQ(v, Vector3DF(-2, -2, -2));

    float inPlace[3] = {1, 2, 3};
    Matrix3x3(0, 1, 0, 1, 0, 0, 0, 0, 1).Multiply(inPlace, inPlace);
    EXPECT_EQ(inPlace[0], 2.0f);
    EXPECT_EQ(inPlace[1], 1.0f);

    Matrix3x3 rotation;
    Matrix3x3::MakeRotationZMatrix(rotation, kPi / 2);
    const Point_t<float> turned = Apply(rotation, 1, 0);
    EXPECT_NEAR(turned.x, 0.0f, 1e-6f);
    EXPECT_NEAR(turned.y, 1.0f, 1e-6f);
    Matrix3x3 skew;
    Matrix3x3::MakeSkewingMatrix(skew, 0.5f, 0.25f);
    EXPECT_EQ(skew, Matrix3x3(1, 0.5f, 0, 0.25f, 1, 0, 0, 0, 1));
}

TEST(Matrix3x3, TransformationWithoutRotationScaleOrSkewIsATranslation) {
    Matrix3x3 m(false);
    Matrix3x3::BuildTransformationMatrix(m, 7, -3, Point_t<float>(40, 25), 0, 1, 1, 0, 0);
    Matrix3x3 expected;
    Matrix3x3::MakeTranslationMatrix(expected, 7, -3);
    ExpectNear(m, expected, 1e-5f);
}

TEST(Matrix3x3, TransformationTurnsAboutThePivot) {
    Matrix3x3 m;
    const Point_t<float> pivot(10, 10);
    Matrix3x3::BuildTransformationMatrix(m, 0, 0, pivot, kPi / 2, 2, 1, 0, 0);
    const Point_t<float> still = Apply(m, 10, 10);  // the pivot stays where it is
    EXPECT_NEAR(still.x, 10.0f, 1e-4f);
    EXPECT_NEAR(still.y, 10.0f, 1e-4f);
    const Point_t<float> p = Apply(m, 11, 10);  // stretched to 2 px, then turned down
    EXPECT_NEAR(p.x, 10.0f, 1e-4f);
    EXPECT_NEAR(p.y, 12.0f, 1e-4f);
}

struct Placement {
    const char* name;
    float x, y, px, py, angle, sx, sy, kx, ky;
};

class Inverse : public ::testing::TestWithParam<Placement> {};

TEST_P(Inverse, UndoesTheTransformationExactly) {
    const Placement& a = GetParam();
    const Point_t<float> pivot(a.px, a.py);
    Matrix3x3 forward;
    Matrix3x3 inverse;
    Matrix3x3::BuildTransformationMatrix(forward, a.x, a.y, pivot, a.angle, a.sx, a.sy, a.kx, a.ky);
    Matrix3x3::BuildInvTransformationMatrix(inverse, a.x, a.y, pivot, a.angle, a.sx, a.sy, a.kx, a.ky);
    ExpectNear(inverse * forward, Matrix3x3::IdentityMatrix, 1e-4f);
    ExpectNear(forward * inverse, Matrix3x3::IdentityMatrix, 1e-4f);

    // A hit test: a corner of the frame taken to the screen comes back home.
    const Point_t<float> screen = Apply(forward, 64, 32);
    const Point_t<float> local = Apply(inverse, screen.x, screen.y);
    EXPECT_NEAR(local.x, 64.0f, 1e-3f);
    EXPECT_NEAR(local.y, 32.0f, 1e-3f);
}

INSTANTIATE_TEST_SUITE_P(
    Matrix3x3, Inverse,
    ::testing::Values(Placement{"Identity", 0, 0, 0, 0, 0, 1, 1, 0, 0},
                      Placement{"RotatedAndScaled", 120, 80, 16, 8, 0.7f, 2, 0.5f, 0, 0},
                      Placement{"SkewedOnX", 5, 6, 0, 0, 0, 1, 1, 0.5f, 0},
                      Placement{"SkewedOnBothAxes", 30, -20, 32, 16, 0, 1, 1, 0.5f, 0.5f},
                      Placement{"EverythingAtOnce", 300, 200, 50, 40, -1.2f, 1.5f, 0.75f, 0.3f, -0.6f},
                      Placement{"NearlyFlat", 0, 0, 10, 10, 0, 1, 1, -0.9f, -0.9f}),
    [](const ::testing::TestParamInfo<Placement>& info) { return std::string(info.param.name); });

TEST(Matrix3x3, InverseOfAFlattenedSkewStaysFinite) {
    // kx * ky = 1 maps the whole frame onto a line: no inverse exists, but the
    // result must not be infinite or NaN, and points off the line land far away.
    Matrix3x3 inverse;
    Matrix3x3::BuildInvTransformationMatrix(inverse, 0, 0, Point_t<float>(0, 0), 0, 1, 1, 2.0f, 0.5f);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            EXPECT_TRUE(std::isfinite(inverse(r, c))) << r << "," << c;
    }
    const Point_t<float> far = Apply(inverse, 10, 0);
    EXPECT_GT(std::fabs(far.x) + std::fabs(far.y), 1000.0f);
}

TEST(Matrix3x3, RotationsAndProducts) {
    EXPECT_EQ(Matrix3x3('x', kPi / 2) * Vector3DF(0, 1, 0), Matrix3x3::RotationMatrixX(kPi / 2) * Vector3DF(0, 1, 0));
    const Vector3DF y = Matrix3x3::RotationMatrixX(kPi / 2) * Vector3DF(0, 1, 0);
    EXPECT_NEAR(y.z, 1.0f, 1e-6f);
    const Vector3DF z = Matrix3x3::RotationMatrixY(kPi / 2) * Vector3DF(0, 0, 1);
    EXPECT_NEAR(z.x, 1.0f, 1e-6f);
    const Vector3DF x = Matrix3x3::RotationMatrixZ(kPi / 2) * Vector3DF(1, 0, 0);
    EXPECT_NEAR(x.y, 1.0f, 1e-6f);

    // Rotation about an axis agrees with the axis rotations.
    ExpectNear(Matrix3x3::RotationMatrix(Vector3DF(0, 0, 3), 0.4f), Matrix3x3::RotationMatrixZ(0.4f), 1e-6f);
    ExpectNear(Matrix3x3(Vector3DF(2, 0, 0), 1.1f), Matrix3x3::RotationMatrixX(1.1f), 1e-6f);

    const Vector3DF a(1, 2, 3), b(-2, 0.5f, 4);
    EXPECT_EQ(Matrix3x3::CrossProductMatrix(a) * b, a.Cross(b));
    EXPECT_EQ(Matrix3x3(a, b)(1, 2), 8.0f);
    EXPECT_EQ(Matrix3x3::ShearMatrix(Vector3DF(1, 0, 0), Vector3DF(0, 1, 0), 0.5f),
              Matrix3x3(1, 0.5f, 0, 0, 1, 0, 0, 0, 1));
    EXPECT_EQ(Matrix3x3::ScaleMatrix(1, 2, 3)(2, 2), 3.0f);
}

TEST(Matrix3x3, RotationBetweenDirections) {
    struct Case {
        Vector3DF from, to;
    };
    const Case cases[] = {
        {{1, 0, 0}, {0, 1, 0}}, {{1, 2, 3}, {-3, 1, 0.5f}}, {{0, 0, 1}, {0, 0, 5}}, {{1, 1, 0}, {-2, -2, 0}}};
    for (const Case& c : cases) {
        const Matrix3x3 r = Matrix3x3::RotationMatrix(c.from, c.to);
        Vector3DF turned = r * c.from;
        turned.Normalize();
        Vector3DF target = c.to;
        target.Normalize();
        EXPECT_NEAR(turned.Dot(target), 1.0f, 1e-5f);
        EXPECT_NEAR(r.Determinant(), 1.0f, 1e-4f);
    }

    const Matrix3x3 pair = Matrix3x3::RotationMatrix(Vector3DF(1, 0, 0), Vector3DF(0, 1, 0), Vector3DF(0, 0, 1),
                                                     Vector3DF(1, 0, 0));
    const Vector3DF first = pair * Vector3DF(1, 0, 0);
    const Vector3DF second = pair * Vector3DF(0, 1, 0);
    EXPECT_NEAR(first.z, 1.0f, 1e-6f);
    EXPECT_NEAR(second.x, 1.0f, 1e-6f);
}

TEST(Matrix3x3, MirrorEyeFrameAndAxisAngle) {
    const Matrix3x3 mirror = Matrix3x3::MirrorMatrix(Vector3DF(0, 3, 0));
    EXPECT_EQ(mirror, Matrix3x3('y'));
    EXPECT_EQ(Matrix3x3(Vector3DF(0, 0, 0)), Matrix3x3::IdentityMatrix);
    EXPECT_FALSE(mirror.IsRightHanded());

    const Matrix3x3 eye = Matrix3x3::EyeCoordinateSystem(Vector3DF(0, 0, -1), Vector3DF(0, 1, 0));
    EXPECT_TRUE(eye.IsOrthogonal());
    EXPECT_TRUE(eye.IsRightHanded());
    ExpectNear(eye, Matrix3x3::IdentityMatrix, 1e-6f);  // looking down -z with y up
    EXPECT_TRUE(Matrix3x3::EyeCoordinateSystem(Vector3DF(0, 1, 0), Vector3DF(0, 2, 0)).IsOrthogonal());

    struct Case {
        Vector3DF axis;
        float angle;
    };
    const Case cases[] = {{{0, 0, 1}, 0.5f}, {{1, 2, 2}, 2.0f}, {{0, 1, 0}, kPi}, {{1, 1, 0}, kPi}};
    for (const Case& c : cases) {
        Vector3DF axis;
        float angle = 0;
        Matrix3x3::RotationMatrix(c.axis, c.angle).ExtractAxisAngle(axis, angle);
        Vector3DF expected = c.axis;
        expected.Normalize();
        EXPECT_NEAR(angle, c.angle, 1e-3f);
        EXPECT_NEAR(std::fabs(axis.Dot(expected)), 1.0f, 1e-3f);
    }
    Vector3DF axis;
    float angle = 1;
    Matrix3x3::IdentityMatrix.ExtractAxisAngle(axis, angle);
    EXPECT_EQ(angle, 0.0f);
}

}  // namespace
}  // namespace ZQ2
