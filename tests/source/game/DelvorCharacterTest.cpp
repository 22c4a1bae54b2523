// Walking figures: scripted routes walked in the time their speed gives,
// the picture code of each leg, the shadow under them, the start-of-day
// speed, and a speed of 0 that still arrives.
#include "source/game/DelvorCharacter.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/sprite/GameTree.h"
#include "source/game/DVPathFinder.h"
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
