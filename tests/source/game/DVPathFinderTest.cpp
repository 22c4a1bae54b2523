// The path finder: routes around the site's blocks leg by leg, its clipping
// rules, block switching, and the cap on a layout it cannot solve.
#include "source/game/DVPathFinder.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Route = std::vector<std::pair<float, float>>;
using P = ZQ2::Point_t<float>;

Route Plan(const DVPathFinder& finder, P start, P dest, int h = 1, int v = 0) {
    DVNode* head = nullptr;
    finder.FindPath(start, dest, h, v, &head);
    Route route;
    for (DVNode* node = head; node; node = node->m_pFirst)
        route.emplace_back(node->m_fX, node->m_fY);
    DVPathFinder::FreePath(head);
    return route;
}

// The site's fixed blocks around a tool table at (500, 60) of 120 x 60.
DVPathFinder SiteLayout() {
    DVPathFinder finder;
    finder.AddBlock(500.0f - 35.0f, 100.0f, 220.0f, 110.0f, true);
    finder.AddBlock(0.0f, 95.0f, 120.0f, 30.0f, true);
    return finder;
}

bool IsAxisAligned(const Route& route) {
    for (size_t i = 1; i < route.size(); ++i)
        if (route[i].first != route[i - 1].first && route[i].second != route[i - 1].second)
            return false;
    return true;
}

}  // namespace

TEST(PathFinder, AnOpenSiteGoesAcrossThenDown) {
    DVPathFinder finder;
    finder.AddBlock(200.0f, 0.0f, 50.0f, 50.0f, false);  // switched off
    EXPECT_EQ(Plan(finder, {10, 300}, {400, 500}), (Route{{10, 300}, {400, 300}, {400, 500}}));
    EXPECT_EQ(Plan(finder, {10, 300}, {10, 300}), (Route{{10, 300}}));
}

TEST(PathFinder, ClippingRules) {
    DVPathFinder finder;
    const DVBlock block(100.0f, 100.0f, 50.0f, 40.0f, true);
    struct Case {
        P from, to;
        bool clipped;
        P clippedTo;
    };
    const Case cases[] = {
        {{0, 120}, {300, 120}, true, {100, 120}},    // right into the left edge
        {{300, 120}, {0, 120}, true, {149, 120}},    // left into the right column
        {{120, 0}, {120, 300}, true, {120, 100}},    // down onto the top row
        {{120, 300}, {120, 0}, true, {120, 139}},    // up onto the bottom row
        {{0, 100}, {300, 100}, false, {300, 100}},   // along the top row
        {{0, 139}, {300, 139}, false, {300, 139}},   // along the bottom row
        {{100, 0}, {100, 300}, false, {100, 300}},   // along the left column
        {{0, 120}, {90, 120}, false, {90, 120}},     // stops short
        {{120, 120}, {120, 120}, false, {120, 120}}, // no length
    };
    for (const Case& c : cases) {
        P to = c.to;
        EXPECT_EQ(finder.ModifySegmentIfBlockInPath(block, c.from, to), c.clipped) << c.from.x << "," << c.from.y;
        EXPECT_EQ(to.x, c.clippedTo.x);
        EXPECT_EQ(to.y, c.clippedTo.y);
    }
    P to(300, 120);
    EXPECT_FALSE(finder.ModifySegmentIfBlockInPath(DVBlock(100.0f, 100.0f, 50.0f, 40.0f, false), {0, 120}, to));
}

TEST(PathFinder, BlocksAreSwitchedByIndexAndInactiveOnesStillTouch) {
    DVPathFinder finder;
    EXPECT_EQ(finder.AddBlock(100.0f, 100.0f, 50.0f, 40.0f, false), 0);
    EXPECT_EQ(finder.AddBlock(ZQ2::Rectangle_t<float>(300.0f, 0.0f, 10.0f, 10.0f), true), 1);
    finder.ActivateBlock(7, true);
    finder.ActivateBlock(-1, true);
    EXPECT_FALSE(finder.GetBlock(0)->IsActive());
    const DVBlock* touching = nullptr;
    EXPECT_TRUE(finder.GetTouchingBlock({100, 120}, nullptr, &touching));
    EXPECT_EQ(touching, finder.GetBlock(0));
    EXPECT_FALSE(finder.GetTouchingBlock({120, 120}, nullptr, &touching));  // inside, not on an edge
    finder.ActivateBlock(0, true);
    EXPECT_TRUE(finder.GetBlock(0)->IsActive());
    finder.ClearBlocks();
    EXPECT_EQ(finder.GetBlockCount(), 0);
}

TEST(PathFinder, RoutesGoAroundBlocks) {
    DVPathFinder finder;
    finder.AddBlock(100.0f, 100.0f, 50.0f, 40.0f, true);
    // Across into a narrow block: the walk stops at its edge and goes round it.
    const Route across = Plan(finder, {0, 120}, {300, 120});
    EXPECT_EQ(across.front(), std::make_pair(0.0f, 120.0f));
    EXPECT_EQ(across.back(), std::make_pair(300.0f, 120.0f));
    EXPECT_TRUE(IsAxisAligned(across));
    EXPECT_EQ(across[1], std::make_pair(100.0f, 120.0f));
    // A destination under a wide block: the route walks round its nearer end.
    DVPathFinder wide;
    wide.AddBlock(100.0f, 200.0f, 300.0f, 40.0f, true);
    const Route round = Plan(wide, {120, 100}, {150, 400}, 0, 1);
    EXPECT_EQ(round.back(), std::make_pair(150.0f, 400.0f));
    EXPECT_TRUE(IsAxisAligned(round));
    EXPECT_EQ(round[1], std::make_pair(120.0f, 200.0f));
    EXPECT_EQ(round[2], std::make_pair(100.0f, 200.0f));
}

TEST(PathFinder, EveryRouteOnTheSiteStaysUnderTheCap) {
    const DVPathFinder finder = SiteLayout();
    const P spots[] = {{20, 300}, {780, 300}, {560, 90}, {50, 80}, {400, 580}, {700, 150}, {600, 230}, {10, 140}};
    for (const P& from : spots) {
        for (const P& to : spots) {
            for (int h : {1, -1}) {
                const Route route = Plan(finder, from, to, h, 0);
                EXPECT_LE(route.size(), static_cast<size_t>(DVPathFinder::MAX_LEGS + 1));
                EXPECT_TRUE(IsAxisAligned(route));
            }
        }
    }
    // The spots outside every block are reached.
    EXPECT_EQ(Plan(finder, {20, 300}, {780, 300}).back(), std::make_pair(780.0f, 300.0f));
    EXPECT_EQ(Plan(finder, {400, 580}, {700, 150}).back(), std::make_pair(700.0f, 150.0f));
}

TEST(PathFinder, AnUnreachableDestinationEndsAtTheCap) {
    DVPathFinder finder;
    // A walled-in destination: the alternation can never reach it.
    finder.AddBlock(200.0f, 200.0f, 200.0f, 10.0f, true);
    finder.AddBlock(200.0f, 390.0f, 200.0f, 10.0f, true);
    finder.AddBlock(200.0f, 200.0f, 10.0f, 200.0f, true);
    finder.AddBlock(390.0f, 200.0f, 10.0f, 200.0f, true);
    const Route route = Plan(finder, {0, 0}, {300, 300});
    EXPECT_LE(route.size(), static_cast<size_t>(DVPathFinder::MAX_LEGS + 1));
    EXPECT_NE(route.back(), std::make_pair(300.0f, 300.0f));
}
