#include "engine/graphics/GraphicsSettings.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/math/PolygonF.h"

using namespace ZQ2;

namespace {

constexpr float kPi = 3.14159265f;

// Settings placed at a position, as sprites and the drawing context are.
class PlacedSettings : public GraphicsSettings {
public:
    float GetDestX() const override { return m_fX; }
    float GetDestY() const override { return m_fY; }
    void Place(float x, float y) {
        m_fX = x;
        m_fY = y;
        SetDirty();
    }

private:
    float m_fX = 0.0f;
    float m_fY = 0.0f;
};

::testing::AssertionResult MatrixNear(const Matrix3x3& actual, const Matrix3x3& expected, float tolerance = 1e-4f) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            if (std::fabs(actual(r, c) - expected(r, c)) > tolerance)
                return ::testing::AssertionFailure()
                       << "element (" << r << ", " << c << ") is " << actual(r, c) << ", expected " << expected(r, c);
        }
    }
    return ::testing::AssertionSuccess();
}

Rectangle_t<float> DestBounds(const GraphicsSettings& settings) {
    PolygonF out;
    EXPECT_TRUE(settings.CreateDestPolygon(out));
    return out.GetBoundingRect();
}

void ExpectRect(const Rectangle_t<float>& r, float x, float y, float w, float h) {
    EXPECT_NEAR(r.x, x, 1e-3f);
    EXPECT_NEAR(r.y, y, 1e-3f);
    EXPECT_NEAR(r.width, w, 1e-3f);
    EXPECT_NEAR(r.height, h, 1e-3f);
}

}  // namespace

TEST(GraphicsSettings, DefaultsDrawUntransformed) {
    GraphicsSettings settings;
    EXPECT_TRUE(settings.IsDirty());
    EXPECT_FALSE(settings.IsTransformCoordiantes());
    EXPECT_FALSE(settings.IsDirty());
    EXPECT_EQ(settings.GetColor(), 0xFFFFFF);
    EXPECT_EQ(settings.GetAlpha(), 255);
    EXPECT_EQ(settings.GetBlendMode(), BLENDMODE_BLEND);
    EXPECT_TRUE(settings.IsUseAlphaChannel());
    EXPECT_TRUE(settings.LinkAnchorAndPivot());
    Matrix3x3 m;
    EXPECT_FALSE(settings.CreateDestPolyMatrix(m));
    EXPECT_EQ(m, Matrix3x3::IdentityMatrix);
    PolygonF out(Rectangle_t<float>(0, 0, 5, 5));
    EXPECT_FALSE(settings.CreateDestPolygon(out));
    EXPECT_EQ(out.GetCount(), 0);
}

// Whole turns and near-1 scales count as nothing; just beyond the tolerance
// they count.
TEST(GraphicsSettings, ToleranceDecidesWhetherToTransform) {
    struct Case {
        const char* name;
        float rotation;
        float scale;
        float skew;
        bool transforms;
    };
    const Case cases[] = {
        {"full turn", 6.2831855f, 1.0f, 0.0f, false},
        {"two turns back", -2 * 6.2831855f, 1.0f, 0.0f, false},
        {"just short of a turn", 6.2831855f - 0.0005f, 1.0f, 0.0f, false},
        {"scale 1.0005", 0.0f, 1.0005f, 0.0f, false},
        {"scale 0.9995", 0.0f, 0.9995f, 0.0f, false},
        {"scale 1.002", 0.0f, 1.002f, 0.0f, true},
        {"rotation 0.002", 0.002f, 1.0f, 0.0f, true},
        {"half turn", kPi, 1.0f, 0.0f, true},
        {"skew 0.0005", 0.0f, 1.0f, 0.0005f, false},
        {"skew 0.01", 0.0f, 1.0f, 0.01f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GraphicsSettings settings;
        settings.SetRotation(c.rotation);
        settings.SetScale(c.scale);
        settings.SetSkewX(c.skew);
        EXPECT_EQ(settings.IsTransformCoordiantes(), c.transforms);
        if (!c.transforms) {
            EXPECT_EQ(settings.GetTransformationMatrix(), Matrix3x3::IdentityMatrix);
            EXPECT_EQ(settings.GetInvTransformationMatrix(), Matrix3x3::IdentityMatrix);
        }
    }
}

TEST(GraphicsSettings, MatrixShearsThenScalesThenTurnsAboutThePivot) {
    PlacedSettings settings;
    settings.Place(30.0f, 40.0f);
    settings.SetPivotPoint(5.0f, 7.0f);
    settings.SetSkewX(0.2f);
    settings.SetSkewY(-0.1f);
    settings.SetScaleX(2.0f);
    settings.SetScaleY(0.5f);
    settings.SetRotation(0.7f);
    ASSERT_TRUE(settings.IsTransformCoordiantes());

    const float c = std::cos(0.7f);
    const float s = std::sin(0.7f);
    const float m00 = c * 2.0f - s * 0.5f * -0.1f;
    const float m01 = c * 2.0f * 0.2f - s * 0.5f;
    const float m10 = s * 2.0f + c * 0.5f * -0.1f;
    const float m11 = s * 2.0f * 0.2f + c * 0.5f;
    // t = position + p - L p with p the pivot seen from the anchor (0, 0).
    const float tx = 30.0f + 5.0f - (m00 * 5.0f + m01 * 7.0f);
    const float ty = 40.0f + 7.0f - (m10 * 5.0f + m11 * 7.0f);
    const Matrix3x3 expected(m00, m01, tx, m10, m11, ty, 0, 0, 1);
    EXPECT_TRUE(MatrixNear(settings.GetTransformationMatrix(), expected));
    EXPECT_TRUE(MatrixNear(settings.GetTransformationMatrix() * settings.GetInvTransformationMatrix(),
                           Matrix3x3::IdentityMatrix));

    // The inverse follows a change even when the forward matrix was rebuilt
    // first, and a copy taken in between rebuilds its own.
    settings.SetRotation(1.1f);
    const Matrix3x3 turned = settings.GetTransformationMatrix();
    const PlacedSettings copy = settings;
    EXPECT_TRUE(MatrixNear(turned * settings.GetInvTransformationMatrix(), Matrix3x3::IdentityMatrix));
    EXPECT_TRUE(MatrixNear(turned * copy.GetInvTransformationMatrix(), Matrix3x3::IdentityMatrix));
}

TEST(GraphicsSettings, AnchorLandsOnThePosition) {
    PlacedSettings settings;
    settings.SetPolygon(Rectangle_t<float>(0, 0, 100, 50));
    settings.SetAnchorPoint(10.0f, 20.0f);
    // The anchor alone is no transformation, but it moves the polygon.
    EXPECT_FALSE(settings.IsTransformCoordiantes());
    ExpectRect(DestBounds(settings), -10, -20, 100, 50);

    settings.Place(200.0f, 100.0f);
    ExpectRect(DestBounds(settings), 190, 80, 100, 50);
}

TEST(GraphicsSettings, QuarterTurnAboutTheCentreKeepsTheCentre) {
    SmartPtr<ImageData> data(new ImageDataOpenGL(100, 50, 128, 64, true));
    SmartPtr<ImageFrame> frame(new ImageFrame(data));
    PlacedSettings settings;
    settings.SetImageFrame(frame);
    settings.SetPolygon(Rectangle_t<float>(0, 0, 100, 50));
    settings.SetAnchorPoint(ANCHOR_CENTER);
    // Linked: the pivot followed the anchor to the frame's centre.
    EXPECT_FLOAT_EQ(settings.GetPivotPointX(), 50.0f);
    EXPECT_FLOAT_EQ(settings.GetPivotPointY(), 25.0f);
    settings.Place(300.0f, 200.0f);
    settings.SetRotation(kPi / 2);
    ExpectRect(DestBounds(settings), 275, 150, 50, 100);

    // The same turn about the top-left corner swings the picture around it.
    settings.SetPivotPoint(ANCHOR_TOPLEFT);
    EXPECT_FALSE(settings.LinkAnchorAndPivot());
    ExpectRect(DestBounds(settings), 200, 175, 50, 100);
}

TEST(GraphicsSettings, PivotSetterEndsTheLink) {
    SmartPtr<ImageData> data(new ImageDataOpenGL(40, 20, 64, 32, true));
    SmartPtr<ImageFrame> frame(new ImageFrame(data));
    GraphicsSettings settings;
    settings.SetImageFrame(frame);
    settings.SetAnchorPoint(ANCHOR_BOTTOMRIGHT);
    EXPECT_EQ(settings.GetPivotPoint().GetType(), ANCHOR_BOTTOMRIGHT);
    EXPECT_FLOAT_EQ(settings.GetPivotPointX(), 40.0f);

    settings.SetPivotPoint(3.0f, 4.0f);
    EXPECT_FALSE(settings.LinkAnchorAndPivot());
    settings.SetAnchorPoint(ANCHOR_CENTER);
    settings.SetAnchorPoint(AnchorPoint(1.0f, 2.0f));
    settings.SetAnchorPoint(8.0f, 9.0f);
    EXPECT_FLOAT_EQ(settings.GetPivotPointX(), 3.0f);
    EXPECT_FLOAT_EQ(settings.GetPivotPointY(), 4.0f);
    EXPECT_FLOAT_EQ(settings.GetTransformationPivotPoint().x, 3.0f - 8.0f);
    EXPECT_FLOAT_EQ(settings.GetTransformationPivotPoint().y, 4.0f - 9.0f);
}

// Only a real change of a placing value invalidates the matrices.
TEST(GraphicsSettings, DirtyOnlyOnRealChange) {
    using Setter = void (*)(GraphicsSettings&, float);
    struct Case {
        const char* name;
        Setter set;
        float current;
    };
    const Case cases[] = {
        {"skew x", [](GraphicsSettings& s, float v) { s.SetSkewX(v); }, 0.0f},
        {"skew y", [](GraphicsSettings& s, float v) { s.SetSkewY(v); }, 0.0f},
        {"scale x", [](GraphicsSettings& s, float v) { s.SetScaleX(v); }, 1.0f},
        {"scale y", [](GraphicsSettings& s, float v) { s.SetScaleY(v); }, 1.0f},
        {"scale", [](GraphicsSettings& s, float v) { s.SetScale(v); }, 1.0f},
        {"rotation", [](GraphicsSettings& s, float v) { s.SetRotation(v); }, 0.0f},
        {"free anchor", [](GraphicsSettings& s, float v) { s.SetAnchorPoint(v, v); }, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GraphicsSettings settings;
        c.set(settings, c.current);
        settings.UpdateTransformations();
        c.set(settings, c.current);
        EXPECT_FALSE(settings.IsDirty());
        c.set(settings, c.current + 0.5f);
        EXPECT_TRUE(settings.IsDirty());
    }

    GraphicsSettings settings;
    settings.SetColor(0x123456);
    settings.SetAlpha(7);
    settings.SetBlendMode(BLENDMODE_ADDITIVE);
    settings.SetFlipImageHorizontal(true);
    settings.UpdateTransformations();
    settings.SetPivotPoint(1.0f, 1.0f);
    settings.UpdateTransformations();
    settings.SetPivotPoint(1.0f, 1.0f);
    EXPECT_FALSE(settings.IsDirty()) << "the same pivot again, with the link already off";
    settings.AlignAnchorPoint(10.0f, 10.0f);
    EXPECT_TRUE(settings.IsDirty());
}

TEST(GraphicsSettings, SetSettingsSharesThePolygonUntilTheCopyReshapesIt) {
    SmartPtr<ImageData> data(new ImageDataOpenGL(8, 8, 8, 8, true));
    SmartPtr<ImageFrame> frame(new ImageFrame(data));
    PlacedSettings source;
    source.SetPolygon(Rectangle_t<float>(0, 0, 10, 10));
    source.SetImageFrame(frame);
    source.SetColor(0xABCDEF);
    source.SetAlpha(99);
    source.SetRotation(1.0f);
    source.SetPivotPoint(2.0f, 3.0f);
    PolygonF* shared = source.GetPolygon();
    ASSERT_EQ(shared->GetRefCount(), 1);

    GraphicsSettings copy;
    copy.UpdateTransformations();
    copy.SetSettings(source);
    EXPECT_EQ(copy.GetPolygon(), shared);
    EXPECT_EQ(shared->GetRefCount(), 2);
    EXPECT_EQ(frame->GetRefCount(), 3);  // the test, source and copy
    EXPECT_EQ(copy.GetColor(), 0xABCDEF);
    EXPECT_EQ(copy.GetAlpha(), 99);
    EXPECT_FLOAT_EQ(copy.GetRotation(), 1.0f);
    EXPECT_FALSE(copy.LinkAnchorAndPivot());
    EXPECT_TRUE(copy.IsDirty());

    copy.SetPolygon(Rectangle_t<float>(0, 0, 30, 30));
    EXPECT_NE(copy.GetPolygon(), shared);
    EXPECT_FLOAT_EQ(shared->GetWidth(), 10.0f);
    EXPECT_EQ(shared->GetRefCount(), 1);
    // Reshaping its own polygon works in place.
    PolygonF* own = copy.GetPolygon();
    copy.SetPolygon(Rectangle_t<float>(0, 0, 40, 40));
    EXPECT_EQ(copy.GetPolygon(), own);
    EXPECT_FLOAT_EQ(own->GetWidth(), 40.0f);

    copy.ResetSettings();
    EXPECT_EQ(copy.GetPolygon(), nullptr);
    EXPECT_EQ(copy.GetImageFrame(), nullptr);
    EXPECT_EQ(frame->GetRefCount(), 2);
    EXPECT_EQ(copy.GetColor(), 0xFFFFFF);
    EXPECT_TRUE(copy.LinkAnchorAndPivot());
}

TEST(GraphicsSettings, CopyKeepsMatricesAndSettingTheSameFrameIsSafe) {
    SmartPtr<ImageData> data(new ImageDataOpenGL(8, 8, 8, 8, true));
    ImageFrame* frame = new ImageFrame(data);
    {
        PlacedSettings source;
        source.SetImageFrame(frame);
        source.SetImageFrame(frame);
        EXPECT_EQ(frame->GetRefCount(), 1);
        source.SetScale(2.0f);
        ASSERT_TRUE(source.IsTransformCoordiantes());
        const GraphicsSettings copy(source);
        EXPECT_FALSE(copy.IsDirty());
        EXPECT_TRUE(copy.IsTransformCoordiantes());
        EXPECT_EQ(copy.GetTransformationMatrix(), source.GetTransformationMatrix());
        EXPECT_EQ(frame->GetRefCount(), 2);
        EXPECT_EQ(copy.GetImageFrameWidth(), 8);
    }
    // Both let go of the frame, which is gone with them.
    EXPECT_EQ(data->GetRefCount(), 1);
}

TEST(GraphicsSettings, MapUVToPolygonPositionUsesTheFrameSize) {
    SmartPtr<ImageData> data(new ImageDataOpenGL(20, 10, 32, 16, true));
    SmartPtr<ImageFrame> frame(new ImageFrame(data));
    GraphicsSettings settings;
    settings.SetPolygon(Rectangle_t<float>(0, 0, 10, 5));
    settings.MapUVToPolygonPosition();
    EXPECT_FLOAT_EQ(settings.GetPolygon()->Get(2).u, 1.0f);
    settings.SetImageFrame(frame);
    settings.MapUVToPolygonPosition();
    EXPECT_FLOAT_EQ(settings.GetPolygon()->Get(2).u, 0.5f);
    EXPECT_FLOAT_EQ(settings.GetPolygon()->Get(2).v, 0.5f);
}
