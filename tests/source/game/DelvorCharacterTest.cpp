// Walking figures: scripted routes walked in the time their speed gives,
// the picture code of each leg, the shadow under them, the start-of-day
// speed, and a speed of 0 that still arrives.
#include "source/game/DelvorCharacter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/sprite/GameTree.h"
#include "source/game/DVPathFinder.h"
#include "source/game/DelvorBoss.h"
#include "source/game/DelvorHole.h"
#include "source/game/Dovidi.h"
#include "tests/engine/io/SaveFolder.h"
#include "tests/source/GameHarness.h"

using gametest::LevelHarness;
using gametest::Var;

namespace {

DVNode* Route(std::initializer_list<std::pair<float, float>> points) {
    DVNode* head = nullptr;
    DVNode* last = nullptr;
    for (const auto& p : points) {
        last = DVPathFinder::CreateNode(p.first, p.second, last);
        if (!head)
            head = last;
    }
    return head;
}

class Walking : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        m_pHarness = std::make_unique<LevelHarness>(Var("total_seconds", 600));
        // Out of the workers' walk-in, whose walking speed is its own.
        ASSERT_GE(m_pHarness->StepUntilState(SceneGame::STATE_START_DIALOG), 0);
        m_spFigure = new DelvorCharacter(0.0f, 300.0f, nullptr);
        ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), m_spFigure.Get());
    }
    // Frames until the figure stops walking.
    int FramesToArrive(int budget = 1000) {
        for (int i = 1; i <= budget; ++i) {
            m_pHarness->Step(1);
            if (m_spFigure->GetState() != DelvorCharacter::STATE_WALKING)
                return i;
        }
        return -1;
    }
    // Frames until another figure stops walking.
    int FramesFor(DelvorCharacter* figure, int budget = 1000) {
        for (int i = 1; i <= budget; ++i) {
            m_pHarness->Step(1);
            if (figure->GetState() != DelvorCharacter::STATE_WALKING)
                return i;
        }
        return -1;
    }
    std::unique_ptr<LevelHarness> m_pHarness;
    ZQ2::SmartPtr<DelvorCharacter> m_spFigure;
};

}  // namespace

TEST_F(Walking, ARouteTakesTheTimeItsSpeedGivesAndEndsExactly) {
    m_spFigure->SetWalkSpeed(100);
    m_spFigure->Walk(Route({{0, 300}, {96, 300}, {96, 396}, {0, 396}}), nullptr);
    EXPECT_EQ(m_spFigure->GetState(), DelvorCharacter::STATE_WALKING);
    EXPECT_EQ(m_spFigure->GetWalkImages(), (std::vector<int>{7, 5, -7}));
    // Three legs of 960 ms at 16 ms a frame: 180 frames, give or take the
    // frame in which each step of the chain hands over to the next.
    const int frames = FramesToArrive();
    EXPECT_GE(frames, 3 * 60 - 3);
    EXPECT_LE(frames, 3 * 60 + 8);
    EXPECT_EQ(m_spFigure->GetX(), 0.0f);
    EXPECT_EQ(m_spFigure->GetY(), 396.0f);
    EXPECT_EQ(m_spFigure->GetState(), DelvorCharacter::STATE_ELSEWHERE);
    EXPECT_EQ(m_spFigure->GetImageCode(), 2);
    // The shadow lies just under the figure, drawn before it.
    ASSERT_NE(m_spFigure->GetShadow(), nullptr);
    EXPECT_EQ(m_spFigure->GetShadow()->GetY(), 386.0f);
    EXPECT_EQ(m_spFigure->GetShadow()->GetNextSibling(), m_spFigure.Get());
}

TEST_F(Walking, UpwardLegsAndARouteOfOneNode) {
    m_spFigure->Walk(Route({{0, 300}, {0, 200}}), nullptr);
    EXPECT_EQ(m_spFigure->GetWalkImages(), (std::vector<int>{3}));
    FramesToArrive();
    m_spFigure->Walk(Route({{0, 200}}), nullptr);
    EXPECT_TRUE(m_spFigure->GetWalkImages().empty());
    EXPECT_GT(FramesToArrive(), 0);
    EXPECT_EQ(m_spFigure->GetY(), 200.0f);
}

TEST_F(Walking, SpeedsZeroAndStartOfDay) {
    m_spFigure->SetWalkSpeed(0);
    EXPECT_EQ(m_spFigure->GetEffectiveWalkSpeed(), DelvorCharacter::MIN_WALK_SPEED);
    m_spFigure->SetWalkSpeed(-40);
    EXPECT_EQ(m_spFigure->GetEffectiveWalkSpeed(), DelvorCharacter::MIN_WALK_SPEED);
    m_spFigure->SetWalkSpeed(100);
    m_pHarness->Level()->SetGameState(SceneGame::STATE_WORKERS_WALK_IN);
    EXPECT_EQ(m_spFigure->GetEffectiveWalkSpeed(), 250);
    m_pHarness->Level()->SetGameState(3);
    EXPECT_EQ(m_spFigure->GetEffectiveWalkSpeed(), 250);
    // No shadow before the workers have walked in.
    m_spFigure->SetLocation(10.0f, 310.0f);
    EXPECT_EQ(m_spFigure->GetShadow(), nullptr);
}

namespace {

// A boss at home that records what it used.
class CountingBoss : public DelvorBoss {
public:
    CountingBoss() : DelvorBoss(0.0f, 300.0f, nullptr) {}
    bool IsInHomeArea() const override { return true; }
    bool UseItem(ClickObject* target) override {
        m_pUsed = target;
        return true;
    }
    ClickObject* m_pUsed = nullptr;
};

ZQ2::Sprite* Named(ZQ2::GameNode* parent, const char* name, float y) {
    auto* node = new ZQ2::Sprite(0.0f, y, nullptr);
    node->SetName(name);
    ZQ2::GameTree::LinkNodeUnder(parent, node);
    return node;
}

// The names of the named nodes under parent, in drawing order.
std::string Order(ZQ2::GameNode* parent) {
    std::string names;
    for (ZQ2::GameNode* node = parent->GetFirstChild(); node; node = node->GetNextSibling())
        if (!node->GetName().empty() && node->GetName() != "SHADOW")
            names += (names.empty() ? "" : " ") + node->GetName();
    return names;
}

}  // namespace

TEST_F(Walking, ABossUsesWhatItWalkedToAndClearsItsDestination) {
    ZQ2::SmartPtr<CountingBoss> boss(new CountingBoss());
    ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), boss.Get());
    ZQ2::SmartPtr<DelvorHole> hole(new DelvorHole(0.0f, 200.0f, nullptr));
    boss->SetNextDestination(hole.Get());
    boss->Walk(Route({{0, 300}}), hole.Get());
    EXPECT_GT(FramesFor(boss.Get()), 0);
    EXPECT_EQ(boss->m_pUsed, hole.Get());
    EXPECT_EQ(boss->GetNextDestination(), nullptr);
    EXPECT_EQ(boss->GetState(), DelvorCharacter::STATE_HOME);
}

TEST_F(Walking, AWalkEndTakesTheNextQueuedJob) {
    ZQ2::SmartPtr<Dovidi> dovidi(new Dovidi(0.0f, 300.0f, nullptr));
    ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), dovidi.Get());
    ZQ2::SmartPtr<DelvorHole> hole(new DelvorHole(40.0f, 300.0f, nullptr));
    dovidi->AddToStack(hole.Get());
    dovidi->Walk(Route({{0, 300}, {10, 300}}), nullptr);
    for (int i = 0; i < 100 && !dovidi->GetStack().empty(); ++i)
        m_pHarness->Step(1);
    EXPECT_TRUE(dovidi->GetStack().empty());
    EXPECT_EQ(dovidi->GetState(), DelvorCharacter::STATE_WALKING);
}

TEST_F(Walking, WinLossAnimationShowsItsPicturesUntilEnded) {
    m_spFigure->DoWinLossAnimation(nullptr, true);
    EXPECT_EQ(m_spFigure->GetImageCode(), 17);
    ASSERT_NE(m_spFigure->GetWalkModifier(), nullptr);
    // It replays with the day's own result for as long as it runs.
    for (int i = 0; i < 200 && m_spFigure->GetImageCode() == 17; ++i)
        m_pHarness->Step(1);
    EXPECT_EQ(m_spFigure->GetImageCode(), m_pHarness->Level()->ExceededGoal() ? 17 : 18);
    m_spFigure->EndWinLossAnimation();
    EXPECT_EQ(m_spFigure->GetImageCode(), 1);
    EXPECT_EQ(m_spFigure->GetWalkModifier(), nullptr);
}

TEST_F(Walking, AWalkingFigureIsDrawnBetweenWhatStandsBehindAndInFront) {
    ZQ2::SmartPtr<ZQ2::Sprite> site(new ZQ2::Sprite(0.0f, 0.0f, nullptr));
    ZQ2::GameTree::LinkNodeUnder(m_pHarness->Level(), site.Get());
    Named(site.Get(), "BG_BACK", 0.0f);
    Named(site.Get(), "NEAR", 200.0f);
    Named(site.Get(), "FAR", 400.0f);
    Named(site.Get(), "BG_FRONT", 0.0f);
    m_spFigure->SetName("FIGURE");
    ZQ2::GameTree::LinkNodeUnder(site.Get(), m_spFigure.Get());
    // Standing figures keep their place.
    m_spFigure->SetY(300.0f);
    EXPECT_EQ(Order(site.Get()), "BG_BACK NEAR FAR BG_FRONT FIGURE");
    m_spFigure->SetState(DelvorCharacter::STATE_WALKING);
    m_spFigure->SetY(301.0f);
    EXPECT_EQ(Order(site.Get()), "BG_BACK NEAR FAR BG_FRONT FIGURE");
    ZQ2::GameTree::LinkNodeBefore(site->GetChild("BG_FRONT", false), m_spFigure.Get());
    m_spFigure->SetY(300.0f);
    EXPECT_EQ(Order(site.Get()), "BG_BACK NEAR FIGURE FAR BG_FRONT");
    m_spFigure->SetY(100.0f);
    EXPECT_EQ(Order(site.Get()), "BG_BACK FIGURE NEAR FAR BG_FRONT");
    m_spFigure->SetY(500.0f);
    EXPECT_EQ(Order(site.Get()), "BG_BACK NEAR FAR FIGURE BG_FRONT");
    m_spFigure->SetY(50.0f);  // the back row
    EXPECT_EQ(Order(site.Get()), "BG_BACK FIGURE NEAR FAR BG_FRONT");
    // The shadow follows the figure.
    ASSERT_NE(m_spFigure->GetShadow(), nullptr);
    EXPECT_EQ(m_spFigure->GetShadow()->GetNextSibling(), m_spFigure.Get());
    m_spFigure->SetState(DelvorCharacter::STATE_HOME);
}
