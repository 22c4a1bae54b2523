#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/math/PolygonF.h"
#include "engine/modifier/ModifierAlpha.h"
#include "engine/modifier/ModifierFractionFunc.h"
#include "engine/modifier/ModifierLocationLine.h"
#include "engine/modifier/ModifierLocationPolygonicPath.h"
#include "engine/modifier/ModifierRotation.h"
#include "engine/modifier/ModifierScale.h"
#include "engine/modifier/ModifierSkew.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/Sprite.h"

using namespace ZQ2;

namespace {

constexpr float kPi = 3.14159265f;

// A sprite as the client, ticked with fixed frame steps.
class InterpolationTest : public ::testing::Test {
protected:
    // m is held here; the sprite is its client.
    template <class M>
    M* Attach(M* m) {
        m_Held.emplace_back(m);
        static_cast<Modifier*>(m)->SetClient(static_cast<GameNode*>(m_Sprite.Get()));
        return m;
    }

    SmartPtr<Sprite> m_Sprite{new Sprite(0.0f, 0.0f, 100.0f, 50.0f)};
    std::vector<SmartPtr<Modifier>> m_Held;
};

TEST_F(InterpolationTest, AlphaFadesLinearlyTruncatingAndEndsExactly) {
    auto* fade = Attach(new ModifierAlpha(255, 0, 1000));
    EXPECT_EQ(fade->GetTarget(), static_cast<GraphicsSettings*>(m_Sprite.Get()));
    fade->Tick(500);
    EXPECT_EQ(m_Sprite->GetAlpha(), 127);  // 127.5 truncated
    EXPECT_FALSE(fade->IsDone());
    fade->Tick(499);
    EXPECT_EQ(m_Sprite->GetAlpha(), 0);  // 0.255 truncated
    EXPECT_FALSE(fade->IsDone());
    fade->Tick(1);
    EXPECT_EQ(m_Sprite->GetAlpha(), 0);
    EXPECT_TRUE(fade->IsDone());
    EXPECT_FLOAT_EQ(fade->GetFraction(), 1.0f);

    m_Sprite->SetAlpha(10);
    auto* instant = Attach(new ModifierAlpha(10, 200, 0));
    instant->Tick(0);
    EXPECT_TRUE(instant->IsDone());
    EXPECT_EQ(m_Sprite->GetAlpha(), 200);
}

TEST_F(InterpolationTest, AlphaOnAPlainNodeOrAnOutsideTargetNeedsNoNode) {
    SmartPtr<GameNode> node(new GameNode("plain"));
    SmartPtr<ModifierAlpha> fade(new ModifierAlpha(0, 255, 100));
    fade->SetClient(node.Get());
    EXPECT_EQ(fade->GetTarget(), nullptr);
    fade->Tick(50);
    fade->Tick(50);
    EXPECT_TRUE(fade->IsDone());

    GraphicsSettings settings;
    SmartPtr<ModifierAlpha> outside(new ModifierAlpha(0, 200, 100));
    outside->SetClient(&settings);
    outside->Tick(25);
    EXPECT_EQ(settings.GetAlpha(), 50);
    EXPECT_EQ(outside->GetClient(), nullptr);
}

TEST_F(InterpolationTest, EasedLineMoveHitsQuarterAndMidpointFromTheStartPoint) {
    auto* move = Attach(new ModifierLocationLine(0.0f, 100.0f, 400.0f, 300.0f, 1000, true));
    move->Tick(250);
    EXPECT_FLOAT_EQ(m_Sprite->GetX(), 400.0f * 0.15625f);
    EXPECT_FLOAT_EQ(m_Sprite->GetY(), 100.0f + 200.0f * 0.15625f);
    move->Tick(250);
    EXPECT_FLOAT_EQ(m_Sprite->GetX(), 200.0f);
    EXPECT_FLOAT_EQ(m_Sprite->GetY(), 200.0f);
    // Moving the client meanwhile does not shift the path.
    m_Sprite->SetX(-50.0f);
    move->Tick(500);
    EXPECT_EQ(m_Sprite->GetX(), 400.0f);
    EXPECT_EQ(m_Sprite->GetY(), 300.0f);
    EXPECT_TRUE(move->IsDone());
}

// The game compares positions for equality once a move has ended.
TEST_F(InterpolationTest, MovesLandExactlyOnAwkwardTargets) {
    const float toX = 1234.567f;
    const float toY = -0.1f;
    for (bool ease : {false, true}) {
        auto* move = Attach(new ModifierLocationLine(0.3f, 77.7f, toX, toY, 1000, ease));
        for (int i = 0; i < 3; ++i)
            move->Tick(333);
        EXPECT_NE(m_Sprite->GetX(), toX);
        move->Tick(333);
        EXPECT_EQ(m_Sprite->GetX(), toX);
        EXPECT_EQ(m_Sprite->GetY(), toY);
    }
}

TEST_F(InterpolationTest, LocationAppliesOnlyTheSwitchedOnAxes) {
    auto* move = Attach(new ModifierLocationLine(0.0f, 0.0f, 10.0f, 20.0f, 100, false));
    m_Sprite->SetY(5.0f);
    move->SetApplyY(false);
    move->Tick(100);
    EXPECT_EQ(m_Sprite->GetX(), 10.0f);
    EXPECT_EQ(m_Sprite->GetY(), 5.0f);
    EXPECT_EQ(move->GetCurrentY(), 20.0f);

    auto* wait = Attach(new ModifierLocation(3.0f, 4.0f, 200));
    wait->Tick(199);
    EXPECT_FALSE(wait->IsDone());
    EXPECT_EQ(m_Sprite->GetX(), 10.0f);
    wait->Tick(1);
    EXPECT_TRUE(wait->IsDone());
}

TEST_F(InterpolationTest, ScaleAndSkewMoveBothAxesOrEach) {
    auto* scale = Attach(new ModifierScale(1.0f, 3.0f, 1000, false));
    scale->Tick(500);
    EXPECT_FLOAT_EQ(m_Sprite->GetScaleX(), 2.0f);
    EXPECT_FLOAT_EQ(m_Sprite->GetScaleY(), 2.0f);
    scale->Tick(500);
    EXPECT_EQ(m_Sprite->GetScaleX(), 3.0f);
    EXPECT_EQ(m_Sprite->GetScaleY(), 3.0f);

    auto* skew = Attach(new ModifierSkew(0.0f, 0.0f, 0.4f, -0.2f, 1000, true));
    skew->Tick(250);
    EXPECT_FLOAT_EQ(m_Sprite->GetSkewX(), 0.4f * 0.15625f);
    EXPECT_FLOAT_EQ(m_Sprite->GetSkewY(), -0.2f * 0.15625f);
    skew->EndModifier();
    EXPECT_EQ(m_Sprite->GetSkewX(), 0.4f);
    EXPECT_EQ(m_Sprite->GetSkewY(), -0.2f);
}

class PolygonPathTest : public InterpolationTest {
protected:
    PolygonPathTest() {
        for (const auto& p : {PolygonPointF(0, 0), PolygonPointF(100, 0), PolygonPointF(100, 100),
                              PolygonPointF(0, 100)})
            m_spSquare->Add(p);
        m_spSquare->SetClosed(true);
    }
    void ExpectAt(float x, float y) {
        EXPECT_FLOAT_EQ(m_Sprite->GetX(), x);
        EXPECT_FLOAT_EQ(m_Sprite->GetY(), y);
    }
    SmartPtr<PolygonF> m_spSquare{new PolygonF()};
};

TEST_F(PolygonPathTest, SquareWalkReachesCornersAndPassesTwoInOneTick) {
    auto* path = Attach(new ModifierLocationPolygonicPath(m_spSquare, 4000, false, false, 0));
    path->Tick(1000);  // shows the start point; the time is added afterwards
    ExpectAt(0.0f, 0.0f);
    path->Tick(1000);
    ExpectAt(100.0f, 0.0f);  // after 1000 ms: the second corner
    path->Tick(500);
    ExpectAt(100.0f, 100.0f);  // 2000 ms: the third
    path->Tick(1000);
    ExpectAt(50.0f, 100.0f);  // 2500 ms: half along the bottom side
    path->Tick(500);
    ExpectAt(0.0f, 50.0f);  // 3500 ms: half up the left side
    EXPECT_FALSE(path->IsDone());
    path->Tick(16);  // 4000 ms: the end, on the first corner of the closed square
    ExpectAt(0.0f, 0.0f);
    EXPECT_TRUE(path->IsDone());
}

TEST_F(PolygonPathTest, OneTickPassingTwoCornersLandsOnTheRightSide) {
    auto* path = Attach(new ModifierLocationPolygonicPath(m_spSquare, 4000, false, false, 0));
    path->Tick(500);
    path->Tick(2250);  // 500 ms: on the top side
    ExpectAt(50.0f, 0.0f);
    path->Tick(16);  // 2750 ms: past the corners (100, 0) and (100, 100)
    ExpectAt(25.0f, 100.0f);
}

TEST_F(PolygonPathTest, LoopingPathStartsOverAtItsStartIndexAndNeverEnds) {
    auto* path = Attach(new ModifierLocationPolygonicPath(m_spSquare, 4000, true, false, 2));
    EXPECT_EQ(path->GetCurrentX(), 100.0f);
    EXPECT_EQ(path->GetCurrentY(), 100.0f);
    for (int i = 0; i < 40; ++i)
        path->Tick(100);  // elapsed reaches 4000
    EXPECT_FALSE(path->IsDone());
    path->Tick(100);  // restarts with zero time: back on the start corner
    ExpectAt(100.0f, 100.0f);
    path->Tick(100);
    ExpectAt(90.0f, 100.0f);
    EXPECT_FALSE(path->IsDone());
}

TEST_F(PolygonPathTest, OpenPolylineEndsOnItsLastPointAndDegeneratePathsStayPut) {
    SmartPtr<PolygonF> line(new PolygonF());
    line->Add(PolygonPointF(0, 0));
    line->Add(PolygonPointF(30, 40));
    line->SetClosed(false);
    auto* path = Attach(new ModifierLocationPolygonicPath(line, 100, false, true, 0));
    path->Tick(50);
    path->Tick(50);
    path->Tick(50);
    EXPECT_TRUE(path->IsDone());
    ExpectAt(30.0f, 40.0f);

    m_Sprite->SetX(7.0f);
    SmartPtr<PolygonF> empty(new PolygonF());
    auto* none = Attach(new ModifierLocationPolygonicPath(empty, 100, true, false, 0));
    auto* nullPath = Attach(new ModifierLocationPolygonicPath(nullptr, 0, false, false, 0));
    SmartPtr<PolygonF> dot(new PolygonF());
    dot->Add(PolygonPointF(5, 5));
    auto* point = Attach(new ModifierLocationPolygonicPath(dot, 100, false, false, 3));
    for (int i = 0; i < 5; ++i) {
        none->Tick(60);
        nullPath->Tick(60);
    }
    EXPECT_TRUE(nullPath->IsDone());
    EXPECT_FALSE(none->IsDone());
    ExpectAt(7.0f, 40.0f);
    point->Tick(50);
    point->Tick(50);
    point->Tick(50);
    EXPECT_TRUE(point->IsDone());
    ExpectAt(5.0f, 5.0f);
}

TEST_F(InterpolationTest, RotationShowsTheStartFirstAndEndsOnTheTarget) {
    auto* turn = Attach(new ModifierRotation(0.0f, 1.0f, 1000));
    turn->Tick(500);
    EXPECT_EQ(m_Sprite->GetRotation(), 0.0f);
    turn->Tick(500);
    EXPECT_FLOAT_EQ(m_Sprite->GetRotation(), 0.5f);
    EXPECT_FALSE(turn->IsDone());
    turn->Tick(16);  // begins with the whole time spent
    EXPECT_TRUE(turn->IsDone());
    EXPECT_EQ(m_Sprite->GetRotation(), 1.0f);

    auto* eased = Attach(new ModifierRotation(0.0f, 1.0f, 1000));
    eased->SetEase(true);
    eased->Tick(250);
    eased->Tick(0);
    EXPECT_FLOAT_EQ(m_Sprite->GetRotation(), 0.15625f);
}

TEST_F(InterpolationTest, ContinuousRotationTurnsUntilEndedFromOutside) {
    auto* spin = Attach(new ModifierRotation(2000, true, 0.25f));
    spin->Tick(500);
    spin->Tick(16);
    EXPECT_NEAR(m_Sprite->GetRotation(), 0.25f + kPi / 2.0f, 1e-5f);
    auto* back = Attach(new ModifierRotation(2000, false, 0.0f));
    back->Tick(4000);
    back->Tick(0);
    EXPECT_NEAR(m_Sprite->GetRotation(), -4.0f * kPi, 1e-4f);  // not wrapped
    for (int i = 0; i < 100; ++i)
        spin->Tick(1000);
    EXPECT_FALSE(spin->IsDone());
    spin->EndModifier();
    EXPECT_TRUE(spin->IsDone());
    EXPECT_EQ(m_Sprite->GetRotation(), 0.25f);
}

struct Calls {
    static void Record(BaseObject* target, BaseObject* sender) {
        auto* calls = static_cast<Calls*>(static_cast<void*>(target));
        calls->m_Times.push_back(static_cast<ModifierFraction*>(static_cast<ModifierFractionFunc*>(sender))->GetElapsed());
    }
    std::vector<int> m_Times;
};

TEST_F(InterpolationTest, FractionFuncCallsStrictlyAfterEachIntervalNeverAtTheEnd) {
    Calls calls;
    auto* target = static_cast<BaseObject*>(static_cast<void*>(&calls));
    SmartPtr<ModifierFractionFunc> timed(new ModifierFractionFunc(1000, target, Calls::Record, 250));
    EXPECT_NE(timed->QueryInterface(iGuiMethod::rtti), nullptr);
    EXPECT_EQ(timed->QueryInterface(Modifier::rtti), nullptr);
    timed->Tick(250);
    EXPECT_TRUE(calls.m_Times.empty());
    timed->Tick(600);  // 850: past 250, 500 and 750
    EXPECT_EQ(calls.m_Times, (std::vector<int>{850, 850, 850}));
    timed->Tick(1000);
    EXPECT_TRUE(timed->IsDone());
    EXPECT_EQ(calls.m_Times.size(), 3u);

    Calls every;
    SmartPtr<ModifierFractionFunc> eachTick(
        new ModifierFractionFunc(100, static_cast<BaseObject*>(static_cast<void*>(&every)), Calls::Record, 0));
    eachTick->Tick(60);
    eachTick->Tick(60);
    EXPECT_EQ(every.m_Times, (std::vector<int>{60, 100}));
}

TEST_F(InterpolationTest, AlphaFadeInTheTreeEndsWithItsClientAndChildrenStartThen) {
    SmartPtr<AnimTree> tree(new AnimTree());
    AnimTree::m_AutoDeleteModifiers = true;
    Modifier* fade = tree->LinkNode(new ModifierAlpha(255, 0, 1000), m_Sprite);
    AnimTree::LinkNodeUnder(fade, new ModifierScale(1.0f, 2.0f, 0, false), m_Sprite);
    for (int i = 0; i < 4; ++i) {
        tree->VisitAnimTree(250);
        tree->PurgeAnimTree();
    }
    EXPECT_EQ(m_Sprite->GetAlpha(), 0);
    EXPECT_EQ(m_Sprite->GetScaleX(), 2.0f);
    EXPECT_EQ(tree->GetFirstChild(), nullptr);
}

}  // namespace
