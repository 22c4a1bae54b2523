#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/modifier/ModifierAlpha.h"
#include "engine/modifier/ModifierBlink.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/modifier/ModifierVisible.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/Sprite.h"
#include "tests/engine/modifier/RecordingModifier.h"

using namespace ZQ2;
using test::RecordingModifier;

namespace {

class TimingTest : public ::testing::Test {
protected:
    void SetUp() override {
        AnimTree::m_AutoDeleteModifiers = true;
        AnimTree::m_PreviousTreeNode = nullptr;
    }

    template <class M>
    M* Attach(M* m) {
        m_Held.emplace_back(m);
        static_cast<Modifier*>(m)->SetClient(static_cast<GameNode*>(m_Sprite.Get()));
        return m;
    }

    // The alpha after each tick of stepMs.
    std::vector<int> Alphas(ModifierBlink* blink, int count, int stepMs, Sprite* watched = nullptr) {
        std::vector<int> alphas;
        for (int i = 0; i < count; ++i) {
            blink->Tick(stepMs);
            alphas.push_back((watched ? watched : m_Sprite.Get())->GetAlpha());
        }
        return alphas;
    }

    // One frame as the frame tasks run it.
    void Frame(int ms) {
        m_Sprite->TickUpdate(ms);
        m_Tree->VisitAnimTree(ms);
        m_Tree->PurgeAnimTree();
    }

    SmartPtr<AnimTree> m_Tree{new AnimTree()};
    SmartPtr<Sprite> m_Sprite{new Sprite(0.0f, 0.0f, 10.0f, 10.0f)};
    std::vector<SmartPtr<Modifier>> m_Held;
};

TEST_F(TimingTest, BlinkingCursorIsOnForItsOnTimeAndOffForItsOffTime) {
    // As the text field's cursor: on 300 ms, off 200 ms, no ramps, endless.
    ModifierBlink* cursor = Attach(new ModifierBlink(0, 255, 0, 0, 300, 200, 0));
    EXPECT_EQ(Alphas(cursor, 12, 100), (std::vector<int>{255, 255, 255, 0, 0, 255, 255, 255, 0, 0, 255, 255}));
    for (int i = 0; i < 1000; ++i)
        cursor->Tick(100);
    EXPECT_FALSE(cursor->IsDone());
    EXPECT_EQ(cursor->GetCompletedCycles(), 202);
}

TEST_F(TimingTest, BlinkRampsTruncateAndOneRepeatEndsOnTheFirstAlpha) {
    ModifierBlink* blink = Attach(new ModifierBlink(0, 200, 400, 400, 200, 0, 1));
    EXPECT_EQ(Alphas(blink, 14, 100), (std::vector<int>{0, 50, 100, 150, 200, 200, 200, 150, 100, 50, 0, 0, 0, 0}));
    EXPECT_TRUE(blink->IsDone());
    EXPECT_EQ(blink->GetCompletedCycles(), 1);
}

TEST_F(TimingTest, BlinkOnExtraTargetsLeavesTheClientAlone) {
    SmartPtr<Sprite> rows[3] = {new Sprite(0, 0, 1, 1), new Sprite(0, 0, 1, 1), new Sprite(0, 0, 1, 1)};
    ModifierBlink* highlight = Attach(new ModifierBlink(128, 255, 300, 300, 200, 0, 0));
    for (auto& row : rows)
        highlight->m_ExtraTargets.push_back(row.Get());
    m_Sprite->SetAlpha(77);
    EXPECT_EQ(Alphas(highlight, 9, 100, rows[2]), (std::vector<int>{128, 170, 212, 255, 255, 255, 212, 170, 128}));
    EXPECT_EQ(rows[0]->GetAlpha(), 128);
    EXPECT_EQ(m_Sprite->GetAlpha(), 77);
}

// Phases of no length must not hold the frame in the phase walk.
TEST_F(TimingTest, BlinkWithoutAnyPhaseTimeNeitherHangsNorCountsForever) {
    ModifierBlink* endless = Attach(new ModifierBlink(30, 255, 0, 0, 0, 0, 0));
    for (int i = 0; i < 5; ++i)
        endless->Tick(100);
    EXPECT_FALSE(endless->IsDone());
    EXPECT_EQ(m_Sprite->GetAlpha(), 30);

    ModifierBlink* twice = Attach(new ModifierBlink(30, 255, 0, 0, 0, 0, 2));
    twice->Tick(0);
    EXPECT_FALSE(twice->IsDone());
    twice->Tick(0);
    EXPECT_TRUE(twice->IsDone());

    // A huge step over short phases passes many cycles at once.
    ModifierBlink* fast = Attach(new ModifierBlink(0, 255, 1, 1, 1, 1, 0));
    fast->Tick(2000000000);
    fast->Tick(1);
    EXPECT_EQ(fast->GetCompletedCycles(), 500000000);
}

TEST_F(TimingTest, TwoFlipsRestoreVisibilityAndShowHideAreFixed) {
    ModifierVisible* flip = Attach(new ModifierVisible(VISIBLE_FLIP));
    flip->Tick(0);
    EXPECT_FALSE(m_Sprite->IsVisible());
    flip->EndModifier();  // ended again from outside: no second flip
    EXPECT_FALSE(m_Sprite->IsVisible());
    Attach(new ModifierVisible(VISIBLE_FLIP))->Tick(16);
    EXPECT_TRUE(m_Sprite->IsVisible());
    Attach(new ModifierVisible(false))->Tick(16);
    EXPECT_FALSE(m_Sprite->IsVisible());
    ModifierVisible* show = Attach(new ModifierVisible(true));
    show->Tick(16);
    EXPECT_TRUE(show->IsDone());
    EXPECT_TRUE(m_Sprite->IsVisible());
}

TEST_F(TimingTest, DelayWaitsItsTimeAndBlocksTheNextInANodeList) {
    auto* delay = new ModifierDelay(250);
    EXPECT_TRUE(delay->HasOption(Modifier::OPTION_BLOCKING));
    SmartPtr<RecordingModifier> after(new RecordingModifier("after", 0));
    m_Sprite->AddModifier(delay);
    m_Sprite->AddModifier(after);
    Frame(100);
    Frame(100);
    EXPECT_TRUE(after->m_Ticks.empty());
    Frame(100);  // 300: the delay ends, the next one runs from the next frame
    Frame(100);
    EXPECT_FALSE(after->m_Ticks.empty());

    ModifierDelay* zero = Attach(new ModifierDelay(0));
    zero->Tick(0);
    EXPECT_TRUE(zero->IsDone());
}

TEST_F(TimingTest, DelayWatchingAModifierOrANodeHoldsThemAlive) {
    auto* watched = new RecordingModifier("watched", 200);
    ModifierDelay* forModifier = Attach(new ModifierDelay(watched));
    EXPECT_EQ(watched->GetRefCount(), 1);
    SmartPtr<Sprite> busy(new Sprite(0, 0, 1, 1));
    busy->AddModifier(new RecordingModifier("work", 100));
    ModifierDelay* forNode = Attach(new ModifierDelay(busy.Get()));
    forModifier->Tick(1000);
    forNode->Tick(1000);
    EXPECT_FALSE(forModifier->IsDone());
    EXPECT_FALSE(forNode->IsDone());
    watched->Tick(200);
    busy->TickUpdate(100);
    busy->TickUpdate(0);
    forModifier->Tick(0);
    forNode->Tick(0);
    EXPECT_TRUE(forModifier->IsDone());
    EXPECT_TRUE(forNode->IsDone());
    EXPECT_EQ(forModifier->GetRemaining(), -100);
}

struct Callbacks {
    static void Record(BaseObject* target, BaseObject* sender) {
        static_cast<Callbacks*>(static_cast<void*>(target))->m_Senders.push_back(sender);
    }
    BaseObject* AsTarget() { return static_cast<BaseObject*>(static_cast<void*>(this)); }
    std::vector<BaseObject*> m_Senders;
};

TEST_F(TimingTest, FunctionLinkedUnderAFadeRunsInTheFrameTheFadeEnds) {
    Callbacks calls;
    Modifier* fade = m_Tree->LinkNode(new ModifierAlpha(255, 0, 1000), m_Sprite);
    auto* call = new ModifierFunction(calls.AsTarget(), Callbacks::Record, "faded");
    AnimTree::LinkNodeUnder(fade, call, m_Sprite);
    EXPECT_EQ(call->GetName(), "faded");
    EXPECT_NE(call->QueryInterface(iGuiMethod::rtti), nullptr);
    EXPECT_EQ(call->QueryInterface(Modifier::rtti), nullptr);
    for (int i = 0; i < 3; ++i)
        Frame(300);
    EXPECT_TRUE(calls.m_Senders.empty());
    Frame(100);
    ASSERT_EQ(calls.m_Senders.size(), 1u);
    EXPECT_EQ(calls.m_Senders[0], static_cast<BaseObject*>(call));
    EXPECT_EQ(m_Sprite->GetAlpha(), 0);
    Frame(100);
    EXPECT_EQ(calls.m_Senders.size(), 1u);
}

TEST_F(TimingTest, FunctionEndedFromOutsideCallsOnce) {
    Callbacks calls;
    Modifier* group = m_Tree->LinkNode(new ModifierContainer("group", false));
    AnimTree::LinkNodeUnder(group, new ModifierFunction(calls.AsTarget(), Callbacks::Record, "a"));
    AnimTree::FinishAllChildAnimations(group);
    AnimTree::FinishAllChildAnimations(group);
    Frame(16);
    EXPECT_EQ(calls.m_Senders.size(), 1u);
    SmartPtr<ModifierFunction> none(new ModifierFunction(nullptr, nullptr, "empty"));
    none->Tick(0);
    EXPECT_TRUE(none->IsDone());
}

}  // namespace
