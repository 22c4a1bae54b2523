#include "engine/math/PolygonF.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/Rand.h"
#include "engine/core/SmartPtr.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/math/Matrix3x3.h"

namespace ZQ2 {
namespace {

PolygonF Make(std::initializer_list<std::pair<float, float>> points) {
    PolygonF polygon;
    for (const auto& p : points)
        polygon.Add(PolygonPointF(p.first, p.second));
    return polygon;
}

// Twice the signed area; positive for clockwise on screen (y down).
float Area(const PolygonF& polygon) {
    float sum = 0;
    for (int i = 0; i < polygon.GetCount(); ++i) {
        const PolygonPointF& a = polygon.Get(i);
        const PolygonPointF& b = polygon.Get(i + 1);
        sum += a.x * b.y - b.x * a.y;
    }
    return sum / 2;
}

std::set<std::pair<float, float>> Corners(const PolygonF& polygon) {
    std::set<std::pair<float, float>> corners;
    for (const PolygonPointF& p : polygon)
        corners.insert({std::round(p.x * 1000) / 1000, std::round(p.y * 1000) / 1000});
    return corners;
}

TEST(PolygonF, RectanglesAreClockwiseFromTheTopLeft) {
    const PolygonF square(Rectangle_t<float>(0, 0, 1, 1));
    EXPECT_TRUE(square.IsRectangle());
    EXPECT_TRUE(square.IsConvex());
    ASSERT_EQ(square.GetCount(), 4);
    const float expected[4][4] = {{0, 0, 0, 0}, {1, 0, 1, 0}, {1, 1, 1, 1}, {0, 1, 0, 1}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(square.Get(k).x, expected[k][0]);
        EXPECT_EQ(square.Get(k).y, expected[k][1]);
        EXPECT_EQ(square.Get(k).u, expected[k][2]);
        EXPECT_EQ(square.Get(k).v, expected[k][3]);
    }

    const PolygonF anticlockwise = Make({{0, 0}, {0, 1}, {1, 1}, {1, 0}});
    EXPECT_FALSE(anticlockwise.IsRectangle());
    EXPECT_FALSE(anticlockwise.IsConvex());

    // A negative size spans the other way; the corners still start top left.
    PolygonF flipped;
    flipped = Rectangle_t<float>(10, 10, -4, -2);
    EXPECT_TRUE(flipped.IsRectangle());
    EXPECT_EQ(flipped.Get(0).x, 6.0f);
    EXPECT_EQ(flipped.Get(0).y, 8.0f);
    EXPECT_EQ(flipped.GetBoundingRect(), Rectangle_t<float>(6, 8, 4, 2));
    EXPECT_TRUE(flipped.GetRTTI().DerivesFrom(BaseObject::rtti));
}

TEST(PolygonF, ResetKeepsColoursOfExistingPoints) {
    PolygonF polygon = Make({{5, 5}, {6, 6}});
    polygon.At(0).color = 0x11223344;
    polygon.ResetToRect(Rectangle_t<float>(0, 0, 2, 2));
    EXPECT_EQ(polygon.Get(0).color, 0x11223344u);
    EXPECT_EQ(polygon.Get(3).color, 0xFFFFFFFFu);
}

TEST(PolygonF, ContainsPoint) {
    const PolygonF square(Rectangle_t<float>(0, 0, 10, 10));
    const PolygonF diamond = Make({{5, 0}, {10, 5}, {5, 10}, {0, 5}});
    ASSERT_TRUE(diamond.IsConvex());
    struct Case {
        float x, y;
        bool inSquare, inDiamond;
    };
    const Case cases[] = {
        {5, 5, true, true},  {0, 0, true, false},  {0, 5, true, true},    {10, 5, false, false},
        {5, 10, false, false}, {1, 1, true, false}, {2.5f, 2.5f, true, true}, {-1, 5, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(square.Contains(PolygonPointF(c.x, c.y)), c.inSquare) << c.x << "," << c.y;
        EXPECT_EQ(diamond.Contains(PolygonPointF(c.x, c.y)), c.inDiamond) << c.x << "," << c.y;
    }
    EXPECT_FALSE(PolygonF().Contains(PolygonPointF(0, 0)));

    EXPECT_TRUE(square.Contains(diamond));
    EXPECT_FALSE(diamond.Contains(square));
    EXPECT_TRUE(square.Contains(Make({{50, 50}, {60, 60}})));  // fewer than three points
    EXPECT_FALSE(Make({{0, 0}, {1, 1}}).Contains(square));

    EXPECT_TRUE(PolygonF::TriangleContainsPoint({1, 1}, {0, 0}, {4, 0}, {0, 4}));
    EXPECT_TRUE(PolygonF::TriangleContainsPoint({2, 2}, {0, 0}, {4, 0}, {0, 4}));  // on an edge
    EXPECT_FALSE(PolygonF::TriangleContainsPoint({3, 3}, {0, 0}, {4, 0}, {0, 4}));
}

TEST(PolygonF, CachesFollowEveryChange) {
    PolygonF polygon(Rectangle_t<float>(0, 0, 10, 10));
    EXPECT_EQ(polygon.GetWidth(), 10.0f);
    polygon.At(2).x = 20;  // modifiable access
    EXPECT_EQ(polygon.GetWidth(), 20.0f);
    EXPECT_FALSE(polygon.IsRectangle());
    polygon.Translate(Point_t<float>(5, -5));
    EXPECT_EQ(polygon.GetBoundingRect(), Rectangle_t<float>(5, -5, 20, 10));
    polygon.Erase(2);
    EXPECT_EQ(polygon.GetWidth(), 10.0f);
    polygon.Insert(99, PolygonPointF(0, 100));  // clamped to the end
    EXPECT_EQ(polygon.Get(-1).y, 100.0f);
    polygon.Erase(-1);
    polygon.Erase(42);
    EXPECT_EQ(polygon.GetCount(), 4);
    polygon.Insert(polygon.begin() == nullptr ? nullptr : &polygon.At(0), PolygonPointF(1, 1));
    EXPECT_EQ(polygon.Get(0).x, 1.0f);
    EXPECT_EQ(polygon.GetIdx(-1), 4);
    EXPECT_EQ(polygon.GetIdx(11), 1);
    polygon.Clear();
    EXPECT_EQ(polygon.GetBoundingRect(), Rectangle_t<float>());

    Region_t<float> region = g_EmptyRegionF;
    PolygonF(Rectangle_t<float>(1, 2, 3, 4)).GetMaxRegion(region);
    EXPECT_EQ(region.maxX, 4.0f);
    EXPECT_EQ(region.maxY, 6.0f);
}

TEST(PolygonF, LinesPerimeterAndEnds) {
    PolygonF polygon = Make({{0, 0}, {3, 0}, {3, 4}});
    EXPECT_EQ(polygon.GetLineCount(), 3);
    EXPECT_FLOAT_EQ(polygon.GetPerimeter(), 12.0f);
    polygon.SetClosed(false);
    EXPECT_EQ(polygon.GetLineCount(), 2);
    EXPECT_FLOAT_EQ(polygon.GetPerimeter(), 7.0f);
    EXPECT_TRUE(polygon.EqualsFront(PolygonPointF(0.0005f, 0), PointFlags(POINT_POSITION)));
    EXPECT_TRUE(polygon.EqualsBack(PolygonPointF(3, 4), PointFlags(POINT_POSITION)));
    EXPECT_FALSE(polygon.EqualsBack(PolygonPointF(3, 4.01f), PointFlags(POINT_POSITION)));
    EXPECT_FALSE(PolygonF().EqualsFront(PolygonPointF(), PointFlags(POINT_POSITION)));
}

TEST(PolygonPointF, EqualitySidesAndDistances) {
    PolygonPointF a(1, 2);
    PolygonPointF b(1.0009f, 2);
    b.color = 0x00FFFFFF;
    EXPECT_TRUE(a.Equals(b, PointFlags(POINT_POSITION | POINT_COLOR)));
    EXPECT_FALSE(a.Equals(b, PointFlags(POINT_ALPHA)));
    b.u = 0.5f;
    EXPECT_FALSE(a.Equals(b, PointFlags(POINT_U)));
    EXPECT_TRUE(a.Equals(b, PointFlags(POINT_V)));

    const Point_t<float> from(0, 0), to(10, 0);
    EXPECT_EQ(PolygonPointF(5, 5).CalcSideOfLine(from, to), LINESIDE_INNER);  // below, y down
    EXPECT_EQ(PolygonPointF(5, 0).CalcSideOfLine(from, to), LINESIDE_ON);
    EXPECT_EQ(PolygonPointF(5, -5).CalcSideOfLine(from, to), LINESIDE_OUTER);

    EXPECT_FLOAT_EQ(PolygonPointF(3, 4).DistanceTo(Point_t<float>(0, 0)), 5.0f);
    EXPECT_FLOAT_EQ(PolygonPointF(3, 4).DistanceToSquared(Point_t<float>(0, 0)), 25.0f);
    EXPECT_FLOAT_EQ(PolygonPointF(5, -3).DistanceFromLine(from, to), 3.0f);
    EXPECT_FLOAT_EQ(PolygonPointF(3, 4).DistanceFromLine(from, from), 5.0f);
}

TEST(PolygonF, LineIntersectStates) {
    struct Case {
        PolygonPointF a0, a1, b0, b1;
        int state;
    };
    const Case cases[] = {
        {{0, 0}, {10, 0}, {0, 5}, {10, 5}, LINES_PARALLEL},
        {{0, 0}, {10, 0}, {5, 0}, {15, 0}, LINES_ON_ONE_LINE},
        {{0, 0}, {10, 0}, {5, -5}, {5, 5}, LINES_CROSSING},  // b ends on a's inner side
        {{0, 0}, {10, 0}, {5, 5}, {5, -5}, LINES_APART},     // b leaves a's inner side
        {{0, 0}, {10, 0}, {20, -5}, {20, 5}, LINES_APART},   // beyond a's end
        {{0, 0}, {10, 0}, {10, -5}, {10, 5}, LINES_APART},   // at a's end point: t = 1 is excluded
    };
    for (const Case& c : cases)
        EXPECT_EQ(PolygonF::GetLineIntersectState(c.a0, c.a1, c.b0, c.b1, nullptr), c.state)
            << c.b0.x << "," << c.b0.y << " -> " << c.b1.x << "," << c.b1.y;

    IntersectionResult r;
    ASSERT_EQ(PolygonF::GetLineIntersectState({0, 0}, {10, 0}, {2.5f, -5}, {2.5f, 15}, &r), LINES_CROSSING);
    EXPECT_FLOAT_EQ(r.x, 2.5f);
    EXPECT_FLOAT_EQ(r.y, 0.0f);
    EXPECT_FLOAT_EQ(r.fractionFirst, 0.75f);
    EXPECT_FLOAT_EQ(r.fractionSecond, 0.75f);
    EXPECT_TRUE(r.newPoint);

    // A crossing at a0 itself gives a0, with all its attributes, as an old point.
    PolygonPointF a0(0, 0);
    a0.color = 0x12345678;
    ASSERT_EQ(PolygonF::GetLineIntersectState(a0, {10, 0}, {0, -5}, {0, 5}, &r), LINES_CROSSING);
    EXPECT_FALSE(r.newPoint);
    EXPECT_EQ(r.fractionFirst, 1.0f);
    EXPECT_EQ(r.color, 0x12345678u);
}

TEST(PolygonF, IntersectStateFindsTheFirstCrossingEdges) {
    const PolygonF a(Rectangle_t<float>(0, 0, 100, 100));
    const PolygonF b(Rectangle_t<float>(50, 50, 100, 100));
    int mine = 7, theirs = 7;
    EXPECT_EQ(a.GetIntersectState(b, &mine, &theirs), LINES_CROSSING);
    EXPECT_EQ(mine, 1);  // a's right edge
    EXPECT_EQ(theirs, 0);  // b's top edge
    const PolygonF apart(Rectangle_t<float>(200, 0, 10, 10));
    EXPECT_EQ(a.GetIntersectState(apart, &mine, &theirs), LINES_APART);
    EXPECT_EQ(mine, -1);
    EXPECT_EQ(theirs, -1);
    EXPECT_EQ(a.GetIntersectState(b, nullptr, nullptr), LINES_CROSSING);
}

TEST(PolygonF, ClipStates) {
    const PolygonF clip(Rectangle_t<float>(0, 0, 100, 100));
    const PolygonF diamond = Make({{50, 0}, {100, 50}, {50, 100}, {0, 50}});
    struct Case {
        const char* name;
        PolygonF clip, drawn;
        int state;
    };
    const Case cases[] = {
        {"smaller rectangle inside", clip, PolygonF(Rectangle_t<float>(10, 10, 20, 20)), CLIP_INSIDE},
        {"larger rectangle, both rectangles", clip, PolygonF(Rectangle_t<float>(-10, -10, 200, 200)), CLIP_PARTIAL},
        {"larger rectangle around a diamond clip", diamond, PolygonF(Rectangle_t<float>(-10, -10, 200, 200)),
         CLIP_CONTAINED},
        {"apart", clip, PolygonF(Rectangle_t<float>(200, 0, 10, 10)), CLIP_OUTSIDE},
        {"touching", clip, PolygonF(Rectangle_t<float>(100, 0, 10, 10)), CLIP_OUTSIDE},
        {"diamond inside a rectangle clip", clip, diamond, CLIP_INSIDE},
        {"diamond overlapping", diamond, Make({{60, 60}, {200, 60}, {200, 200}, {60, 200}}), CLIP_PARTIAL},
        {"bounds overlap, shapes do not", diamond, Make({{90, 90}, {100, 90}, {100, 100}, {90, 100}}),
         CLIP_OUTSIDE},
        {"triangle inside a diamond", diamond, Make({{40, 40}, {60, 40}, {50, 60}}), CLIP_INSIDE},
        {"diamond inside a triangle", Make({{40, 45}, {60, 45}, {50, 55}}), diamond, CLIP_CONTAINED},
        {"too few points", clip, Make({{1, 1}, {2, 2}}), CLIP_OUTSIDE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.clip.GetClipState(c.drawn), c.state) << c.name;
}

TEST(PolygonF, ConvexClippingGivesEachOverlapCornerOnce) {
    const PolygonF a(Rectangle_t<float>(0, 0, 100, 100));
    const PolygonF b(Rectangle_t<float>(50, 50, 100, 100));
    PolygonF out;
    a.Intersect(b, out, PointFlags(0));
    EXPECT_EQ(out.GetCount(), 4);
    const std::set<std::pair<float, float>> expected = {{50, 50}, {100, 50}, {100, 100}, {50, 100}};
    EXPECT_EQ(Corners(out), expected);
    EXPECT_TRUE(out.IsConvex());
    EXPECT_FLOAT_EQ(Area(out), 2500.0f);

    // The same the other way round.
    PolygonF reverse;
    b.Intersect(a, reverse, PointFlags(0));
    EXPECT_EQ(Corners(reverse), expected);

    // A square cut by a diamond: an octagon of 4600 square pixels.
    const PolygonF diamond = Make({{50, 0}, {100, 50}, {50, 100}, {0, 50}});
    PolygonF octagon;
    diamond.Intersect(PolygonF(Rectangle_t<float>(10, 10, 80, 80)), octagon, PointFlags(0));
    EXPECT_EQ(octagon.GetCount(), 8);
    EXPECT_TRUE(octagon.IsConvex());
    EXPECT_NEAR(Area(octagon), 4600.0f, 0.01f);
}

TEST(PolygonF, ClippingCarriesColourAndTextureCoordinates) {
    // The drawn picture b: texture 0..1 across, black on the left, white on the right.
    const PolygonF a(Rectangle_t<float>(0, 0, 100, 100));
    PolygonF b(Rectangle_t<float>(50, 50, 100, 100));
    b.At(0).color = b.At(3).color = 0xFF000000;
    b.At(1).color = b.At(2).color = 0xFFFFFFFF;
    PolygonF out;
    a.Intersect(b, out, PointFlags(POINT_COLOR_ALPHA | POINT_UV));
    ASSERT_EQ(out.GetCount(), 4);
    for (const PolygonPointF& p : out) {
        EXPECT_NEAR(p.u, (p.x - 50) / 100, 0.01f) << p.x << "," << p.y;
        EXPECT_NEAR(p.v, (p.y - 50) / 100, 0.01f) << p.x << "," << p.y;
        const unsigned int grey = p.x == 50 ? 0x00 : 0x7F;  // half way across: 0x7F
        EXPECT_EQ(p.color & 0x00FFFFFFu, grey << 16 | grey << 8 | grey) << std::hex << p.color;
        // Each weighted byte is rounded down on its own, so a blend of two
        // opaque colours comes out at 0xFE; b's own corner keeps 0xFF.
        const unsigned int alpha = p.x == 50 && p.y == 50 ? 0xFF : 0xFE;
        EXPECT_EQ(p.color >> 24, alpha) << p.x << "," << p.y;
    }
}

// A clockwise regular polygon.
PolygonF RegularPolygon(float cx, float cy, float radius, int sides, float turn) {
    PolygonF polygon;
    for (int k = 0; k < sides; ++k) {
        const float angle = turn + 6.2831853f * static_cast<float>(k) / static_cast<float>(sides);
        polygon.Add(PolygonPointF(cx + radius * std::cos(angle), cy + radius * std::sin(angle)));
    }
    return polygon;
}

// Reference area of the overlap: the other polygon cut by each edge of clip in turn.
float ReferenceOverlapArea(const PolygonF& clip, const PolygonF& other) {
    std::vector<Point_t<float>> shape;
    for (const PolygonPointF& p : other)
        shape.push_back(p);
    for (int e = 0; e < clip.GetCount() && !shape.empty(); ++e) {
        const Point_t<float> a = clip.Get(e), b = clip.Get(e + 1);
        auto side = [&](const Point_t<float>& p) { return (a.x - p.x) * (b.y - p.y) - (b.x - p.x) * (a.y - p.y); };
        std::vector<Point_t<float>> cut;
        for (size_t k = 0; k < shape.size(); ++k) {
            const Point_t<float> p = shape[k], q = shape[(k + 1) % shape.size()];
            const float sp = side(p), sq = side(q);
            if (sp >= 0)
                cut.push_back(p);
            if ((sp >= 0) != (sq >= 0))
                cut.push_back(p + (q - p) * (sp / (sp - sq)));
        }
        shape = cut;
    }
    float sum = 0;
    for (size_t k = 0; k < shape.size(); ++k) {
        const Point_t<float>& a = shape[k];
        const Point_t<float>& b = shape[(k + 1) % shape.size()];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum / 2;
}

TEST(PolygonF, ConvexClippingAgreesWithAReferenceOnManyShapes) {
    Rand random(2024);
    int partial = 0;
    for (int n = 0; n < 2000; ++n) {
        const PolygonF clip = RegularPolygon(50, 50, 20 + 40 * random.NextFloat(), 3 + random.GetInt(0, 6),
                                             6.3f * random.NextFloat());
        const PolygonF drawn = RegularPolygon(100 * random.NextFloat(), 100 * random.NextFloat(),
                                              5 + 60 * random.NextFloat(), 3 + random.GetInt(0, 6),
                                              6.3f * random.NextFloat());
        ASSERT_TRUE(clip.IsConvex());
        ASSERT_TRUE(drawn.IsConvex());
        if (clip.GetClipState(drawn) != CLIP_PARTIAL)
            continue;
        ++partial;
        PolygonF out;
        clip.Intersect(drawn, out, PointFlags(POINT_POSITION));
        const float expected = ReferenceOverlapArea(clip, drawn);
        EXPECT_NEAR(Area(out), expected, 0.01f * expected + 0.05f) << "shape pair " << n;
    }
    EXPECT_GT(partial, 500);
}

TEST(PolygonF, NonConvexPolygonsAreNotClipped) {
    const PolygonF arrow = Make({{0, 0}, {100, 0}, {50, 20}, {100, 100}, {0, 100}});
    ASSERT_FALSE(arrow.IsConvex());
    PolygonF out = Make({{1, 1}});
    arrow.Intersect(PolygonF(Rectangle_t<float>(50, 50, 100, 100)), out, PointFlags(0));
    EXPECT_EQ(out.GetCount(), 1);

    // Outlines that only touch give nothing to draw: at most a flat outline.
    for (const Rectangle_t<float>& neighbour : {Rectangle_t<float>(10, 0, 10, 10), Rectangle_t<float>(10, 2, 10, 5),
                                                Rectangle_t<float>(20, 0, 10, 10)}) {
        PolygonF touching;
        PolygonF(Rectangle_t<float>(0, 0, 10, 10)).Intersect(PolygonF(neighbour), touching, PointFlags(0));
        EXPECT_LE(touching.GetCount(), 2) << neighbour.x << "," << neighbour.y;
        EXPECT_EQ(Area(touching), 0.0f);
    }
}

TEST(PolygonF, TransformKeepsTheClockwiseWinding) {
    PolygonF polygon(Rectangle_t<float>(0, 0, 10, 20));
    polygon.Transform(Matrix3x3('x'));  // mirrored: x -> -x
    EXPECT_TRUE(polygon.IsConvex());
    EXPECT_GT(Area(polygon), 0.0f);
    EXPECT_EQ(polygon.GetBoundingRect(), Rectangle_t<float>(-10, 0, 10, 20));

    Matrix3x3 move;
    Matrix3x3::MakeTranslationMatrix(move, 5, 5);
    PolygonF moved(Rectangle_t<float>(0, 0, 10, 20));
    moved.Transform(move);
    EXPECT_TRUE(moved.IsRectangle());
    EXPECT_EQ(moved.Get(0).x, 5.0f);
}

TEST(PolygonF, GrowMovesEveryEdgeOutwards) {
    PolygonF square(Rectangle_t<float>(0, 0, 10, 10));
    square.Grow(1);
    EXPECT_EQ(square.GetBoundingRect(), Rectangle_t<float>(-1, -1, 12, 12));
    EXPECT_TRUE(square.IsRectangle());
    PolygonF single = Make({{3, 3}});
    single.Grow(5);
    EXPECT_EQ(single.Get(0).x, 3.0f);
}

TEST(PolygonF, Colours) {
    PolygonF polygon(Rectangle_t<float>(0, 0, 1, 1));
    polygon.SetComposedColor(0x80FF4020);
    polygon.SetColor(0x123456);
    EXPECT_EQ(polygon.Get(0).color, 0x80123456u);

    polygon.SetComposedColor(0xC8FF6420);
    polygon.MultiplyComposedColor(0xFEFEFEFE);
    polygon.MultiplyComposedColor(0xFFFFFFFF);
    EXPECT_EQ(polygon.Get(1).color, 0xC8FF6420u);
    polygon.MultiplyComposedColor(0x80FFFF40);  // alpha halved, blue a quarter
    EXPECT_EQ(polygon.Get(2).color, 0x64FF6408u);

    // Points of different colours, each scaled on its own.
    polygon.At(0).color = 0x00000000u;
    polygon.At(1).color = 0xFFFFFFFFu;
    polygon.At(3).color = 0x10203040u;
    polygon.MultiplyComposedColor(0x80FE4001);
    EXPECT_EQ(polygon.Get(0).color, 0x00000000u);
    EXPECT_EQ(polygon.Get(1).color, 0x7FFF3F00u);
    EXPECT_EQ(polygon.Get(2).color, 0x32FF1900u);
    EXPECT_EQ(polygon.Get(3).color, 0x08200C00u);
}

// A known rectangle moved or stretched along the axes takes a short way;
// its points, bounds and shape must be those of the general transform.
TEST(PolygonF, TransformedRectanglesMatchTheGeneralTransform) {
    const Matrix3x3 matrices[] = {
        Matrix3x3(1, 0, 123.456f, 0, 1, -7.25f, 0, 0, 1),   // moved
        Matrix3x3(2.5f, 0, 0.1f, 0, 0.75f, 3.3f, 0, 0, 1),  // stretched
        Matrix3x3(-1, 0, 40, 0, 1, 0, 0, 0, 1),             // mirrored: the general way
        Matrix3x3(0, 1, 0, -1, 0, 0, 0, 0, 1),              // turned: the general way
    };
    for (const Matrix3x3& m : matrices) {
        PolygonF rectangle(Rectangle_t<float>(1.5f, 2.25f, 31.7f, 32.1f));
        PolygonF general;
        for (const PolygonPointF& p : rectangle)
            general.Add(p);  // the same points, nothing known of their shape
        PolygonF copy;
        copy = rectangle;
        copy.Transform(m);
        general.Transform(m);
        ASSERT_EQ(copy.GetCount(), general.GetCount());
        for (int i = 0; i < copy.GetCount(); ++i) {
            EXPECT_EQ(copy.Get(i).x, general.Get(i).x) << i;
            EXPECT_EQ(copy.Get(i).y, general.Get(i).y) << i;
            EXPECT_EQ(copy.Get(i).u, general.Get(i).u) << i;
        }
        EXPECT_EQ(copy.GetBoundingRect(), general.GetBoundingRect());
        EXPECT_EQ(copy.IsConvex(), general.IsConvex());
        EXPECT_EQ(copy.IsRectangle(), general.IsRectangle());
    }
}

TEST(PolygonF, TextureCoordinates) {
    PolygonF polygon(Rectangle_t<float>(0, 0, 40, 20));
    polygon.TransformUV(0.5f, 0.25f, 0.5f, 0.5f, true, false);
    EXPECT_FLOAT_EQ(polygon.Get(0).u, 1.0f);  // flipped: 1 - 0, then 0.5 + 0.5 * 1
    EXPECT_FLOAT_EQ(polygon.Get(0).v, 0.25f);
    EXPECT_FLOAT_EQ(polygon.Get(2).u, 0.5f);
    EXPECT_FLOAT_EQ(polygon.Get(2).v, 0.75f);
    polygon.MapUVToPosition(80, 40);
    EXPECT_FLOAT_EQ(polygon.Get(2).u, 0.5f);
    EXPECT_FLOAT_EQ(polygon.Get(2).v, 0.5f);
    polygon.MapUVToPosition(0, 0);  // no size: no division by zero
    EXPECT_EQ(polygon.Get(2).u, 0.0f);
}

TEST(PolygonF, Interpolation) {
    PolygonPointF a, b, out;
    a.color = 0xFF0000FF;
    b.color = 0x00FF0000;
    a.u = 1;
    b.u = 0;
    PolygonF::InterpolatePoint(out, a, b, 0.25f, PointFlags(POINT_COLOR_ALPHA | POINT_UV));
    EXPECT_EQ(out.color, 0x3FBF003Fu);  // a weighs 64/256, b 192/256
    EXPECT_FLOAT_EQ(out.u, 0.25f);

    PolygonPointF untouched;
    PolygonF::InterpolatePoint(untouched, a, b, 0.25f, PointFlags(POINT_COLOR | POINT_U));  // half groups
    EXPECT_EQ(untouched.color, 0xFFFFFFFFu);
    EXPECT_EQ(untouched.u, 0.0f);

    float f[3];
    EXPECT_TRUE(PolygonF::GetBarycentricFractions({1, 1}, {0, 0}, {4, 0}, {0, 4}, f));
    EXPECT_FLOAT_EQ(f[0], 0.5f);
    EXPECT_FLOAT_EQ(f[1], 0.25f);
    EXPECT_FLOAT_EQ(f[2], 0.25f);
    EXPECT_FALSE(PolygonF::GetBarycentricFractions({1, 1}, {0, 0}, {1, 1}, {2, 2}, f));
    EXPECT_TRUE(std::isfinite(f[0]));

    float fa, fb;
    PolygonF::GetBarycentricFractions({3, 7}, {0, 0}, {4, 0}, fa, fb);
    EXPECT_FLOAT_EQ(fa, 0.75f);
    PolygonF::GetBarycentricFractions({9, 3}, {0, 0}, {0, 4}, fa, fb);
    EXPECT_FLOAT_EQ(fa, 0.75f);
    PolygonF::GetBarycentricFractions({9, 3}, {1, 1}, {1, 1}, fa, fb);
    EXPECT_FLOAT_EQ(fa, 0.5f);
    EXPECT_FLOAT_EQ(fb, 0.5f);

    PolygonF picture(Rectangle_t<float>(0, 0, 100, 50));
    PolygonPointF inside(25, 10);
    EXPECT_TRUE(picture.InterpolatePoint(inside, PointFlags(POINT_UV)));
    EXPECT_FLOAT_EQ(inside.u, 0.25f);
    EXPECT_FLOAT_EQ(inside.v, 0.2f);
    PolygonPointF outside(150, 10);
    outside.u = 0.9f;
    outside.color = 0x12345678;
    EXPECT_FALSE(picture.InterpolatePoint(outside, PointFlags(POINT_UV | POINT_COLOR_ALPHA)));
    EXPECT_EQ(outside.u, 0.0f);
    EXPECT_EQ(outside.color, 0xFFFFFFFFu);

    PolygonF clip = Make({{50, 0}, {100, 25}, {50, 50}});
    picture.InterpolatePointsOf(clip, PointFlags(POINT_UV));
    EXPECT_FLOAT_EQ(clip.Get(1).u, 1.0f);
    EXPECT_FLOAT_EQ(clip.Get(1).v, 0.5f);
}

TEST(PolygonF, ReadsPropertyData) {
    SmartPtr<PropertyVector> points(new PropertyVector("polygon"));
    const char* coords[3][3] = {{"0", "0", "#FF0000"}, {"10", "0", nullptr}, {"5", "8.5", nullptr}};
    for (const auto& c : coords) {
        PropertyNode* node = new PropertyNode("", "Point");
        node->InsertProperty(new PropertyValue("x", std::string(c[0]), true));
        node->InsertProperty(new PropertyValue("y", std::string(c[1]), true));
        if (c[2])
            node->InsertProperty(new PropertyValue("color", std::string(c[2]), true));
        points->InsertProperty(node);
    }
    PolygonF fromVector(points.Get());
    ASSERT_EQ(fromVector.GetCount(), 3);
    EXPECT_EQ(fromVector.Get(2).y, 8.5f);
    EXPECT_EQ(fromVector.Get(0).color, 0xFF0000u);
    EXPECT_EQ(fromVector.Get(1).color, 0xFFFFFFFFu);
    EXPECT_EQ(fromVector.GetBoundingRect(), Rectangle_t<float>(0, 0, 10, 8.5f));

    SmartPtr<PropertyNode> rect(new PropertyNode("clip", "Rect"));
    rect->InsertProperty(new PropertyValue("width", std::string("30"), true));
    rect->InsertProperty(new PropertyValue("height", std::string("20"), true));
    PolygonF fromNode(rect.Get());
    EXPECT_TRUE(fromNode.IsRectangle());
    EXPECT_EQ(fromNode.GetBoundingRect(), Rectangle_t<float>(0, 0, 30, 20));

    SmartPtr<PropertyValue> value(new PropertyValue("x", std::string("1")));
    EXPECT_EQ(PolygonF(value.Get()).GetCount(), 0);
    EXPECT_EQ(PolygonF(static_cast<AbstractProperty*>(nullptr)).GetCount(), 0);
}

}  // namespace
}  // namespace ZQ2
