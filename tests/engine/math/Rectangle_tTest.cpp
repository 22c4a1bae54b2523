#include "engine/math/Rectangle_t.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/math/Point_t.h"

namespace ZQ2 {
namespace {

TEST(Point_t, LengthNormalizeAndRoundDown) {
    Point_t<float> p(3, -4);
    EXPECT_FLOAT_EQ(p.Length(), 5.0f);
    p.Normalize();
    EXPECT_FLOAT_EQ(p.x, 0.6f);
    EXPECT_FLOAT_EQ(p.y, -0.8f);

    Point_t<float> zero;
    zero.Normalize();  // must stay (0, 0), not NaN
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);

    Point_t<float> r(2.7f, -0.5f);
    r.RoundDown();
    EXPECT_EQ(r.x, 2.0f);
    EXPECT_EQ(r.y, -1.0f);
}

TEST(Rectangle_t, ContainsPointIncludesOnlyTheLeftAndTopEdges) {
    const Rectangle_t<float> r(0, 0, 10, 10);
    struct Case {
        float x, y;
        bool inside;
    };
    const Case cases[] = {{0, 0, true}, {9.99f, 9.99f, true}, {10, 5, false}, {5, 10, false}, {-0.01f, 5, false}};
    for (const Case& c : cases)
        EXPECT_EQ(r.Contains(c.x, c.y), c.inside) << c.x << "," << c.y;
    EXPECT_TRUE(Rectangle_t<int>(0, 0, 10, 10).Contains(9, 9));
    EXPECT_FALSE(Rectangle_t<int>(0, 0, 10, 10).Contains(10, 9));
}

TEST(Rectangle_t, RectangleContainmentAndIntersection) {
    const Rectangle_t<float> r(0, 0, 10, 10);
    struct Case {
        Rectangle_t<float> other;
        bool contains, intersects;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, true, true},   // itself
        {{2, 2, 3, 3}, true, true},     // inside
        {{5, 5, 10, 10}, false, true},  // overlapping
        {{10, 0, 5, 5}, false, false},  // touching the right edge
        {{0, -5, 5, 5}, false, false},  // touching the top edge
        {{-5, -5, 30, 30}, false, true},
        {{2, 2, 0, 0}, true, true},     // an empty one inside still counts
        {{2, 2, -1, 3}, false, false},  // negative size
    };
    for (const Case& c : cases) {
        EXPECT_EQ(r.Contains(c.other), c.contains) << c.other.x << "," << c.other.y << " " << c.other.width;
        EXPECT_EQ(r.Intersects(c.other), c.intersects) << c.other.x << "," << c.other.y << " " << c.other.width;
    }
    const Rectangle_t<float> empty(0, 0, 0, 10);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_FALSE(empty.Contains(0, 0));
    EXPECT_FALSE(empty.Contains(empty));
    EXPECT_FALSE(empty.Intersects(empty));
    EXPECT_FALSE(empty.Intersects(r));
}

TEST(Rectangle_t, EdgeSettersMoveWithoutResizing) {
    Rectangle_t<float> r(0, 0, 10, 4);
    r.SetMaxX(30);
    r.SetMinY(5);
    EXPECT_EQ(r, Rectangle_t<float>(20, 5, 10, 4));
    r.SetMinX(1);
    r.SetMaxY(2);
    EXPECT_EQ(r, Rectangle_t<float>(1, -2, 10, 4));

    Rectangle_t<int> flipped(0, 0, -10, -4);  // a negative size spans to the left and up
    flipped.SetMinX(0);
    flipped.SetMaxY(0);
    EXPECT_EQ(flipped, Rectangle_t<int>(10, 0, -10, -4));
    flipped.SetMaxX(3);
    flipped.SetMinY(3);
    EXPECT_EQ(flipped, Rectangle_t<int>(3, 7, -10, -4));
}

TEST(Rectangle_t, RegionConversions) {
    const Region_t<float> region(Rectangle_t<float>(10, 10, -4, 6));
    EXPECT_EQ(region.minX, 6.0f);
    EXPECT_EQ(region.maxX, 10.0f);
    EXPECT_EQ(region.minY, 10.0f);
    EXPECT_EQ(region.maxY, 16.0f);
    EXPECT_EQ(Rectangle_t<float>(region), Rectangle_t<float>(6, 10, 4, 6));

    Region_t<float> grown = g_EmptyRegionF;
    EXPECT_TRUE(grown.IsEmpty());
    grown.AddPoint(3, -1);
    grown.AddPoint(-2, 4);
    EXPECT_FALSE(grown.IsEmpty());
    EXPECT_EQ(Rectangle_t<float>(grown), Rectangle_t<float>(-2, -1, 5, 5));
}

SmartPtr<PropertyNode> MakeNode(std::initializer_list<std::pair<const char*, const char*>> keys) {
    SmartPtr<PropertyNode> node(new PropertyNode("rect", "Rect"));
    for (const auto& key : keys)
        node->InsertProperty(new PropertyValue(key.first, std::string(key.second), true));
    return node;
}

TEST(Rectangle_t, ReadsPropertyDataInKeyOrder) {
    // The maximum edge is applied after the size, whatever the file order.
    const auto node = MakeNode({{"maxy", "20"}, {"x", "1.5"}, {"width", "10"}, {"height", "4"}});
    EXPECT_EQ(Rectangle_t<float>(node.Get()), Rectangle_t<float>(1.5f, 16, 10, 4));

    const auto ints = MakeNode({{"x", "2.7"}, {"width", "#10"}, {"height", "0x8"}, {"maxx", "100"}});
    EXPECT_EQ(Rectangle_t<int>(ints.Get()), Rectangle_t<int>(84, 0, 16, 8));

    EXPECT_EQ(Rectangle_t<float>(static_cast<AbstractProperty*>(nullptr)), Rectangle_t<float>());
    SmartPtr<PropertyValue> notANode(new PropertyValue("x", std::string("5")));
    EXPECT_EQ(Rectangle_t<float>(notANode.Get()), Rectangle_t<float>());
}

}  // namespace
}  // namespace ZQ2
