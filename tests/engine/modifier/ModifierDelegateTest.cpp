#include "engine/modifier/ModifierDelegate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierMethod.h"
#include "engine/modifier/ModifierMethodParam.h"
#include "engine/modifier/ModifierMethodParamRef.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameNode.h"
#include "tests/engine/modifier/RecordingModifier.h"

using namespace ZQ2;
using test::RecordingModifier;

namespace {

// A game object whose member functions the modifiers call.
class Actor : public BaseObject {
public:
    bool Poll(BaseObject* target, BaseObject* sender) {
        ++m_nPolls;
        m_pLastTarget = target;
        m_pLastSender = sender;
        return m_nPolls >= m_nFinishAfter;
    }
    virtual void Act() { ++m_nActs; }
    void SetCount(int n) { m_nCount = n; }
    void SetText(const std::string& text) { m_strText = text; }

    int m_nFinishAfter = 1;
    int m_nPolls = 0;
    int m_nActs = 0;
    int m_nCount = 0;
    std::string m_strText;
    BaseObject* m_pLastTarget = nullptr;
    BaseObject* m_pLastSender = nullptr;
};

class LoudActor : public Actor {
public:
    void Act() override { m_nActs += 10; }
};

class DelegateTest : public ::testing::Test {
protected:
    void SetUp() override { AnimTree::m_AutoDeleteModifiers = true; }

    // One frame of the animation tree.
    void Frame(int ms) {
        m_Tree->VisitAnimTree(ms);
        m_Tree->PurgeAnimTree();
    }

    SmartPtr<AnimTree> m_Tree{new AnimTree()};
    Actor m_Actor;
};

TEST_F(DelegateTest, DelegatePollsEveryTickUntilItsFunctionSaysDone) {
    m_Actor.m_nFinishAfter = 3;
    SmartPtr<ModifierDelegate<Actor>> d(new ModifierDelegate<Actor>(&m_Actor, &Actor::Poll));
    for (int i = 0; i < 5; ++i)
        d->Tick(16);
    EXPECT_EQ(m_Actor.m_nPolls, 3);
    EXPECT_TRUE(d->IsDone());
    d->EndModifier();
    EXPECT_EQ(m_Actor.m_nPolls, 3);
}

TEST_F(DelegateTest, DelegateDoneOnItsFirstTickIsNotCalledAgainWhenItsChainIsFinished) {
    auto* group = static_cast<ModifierContainer*>(m_Tree->LinkNode(new ModifierContainer("group", false)));
    group->LinkNode(new ModifierDelegate<Actor>(&m_Actor, &Actor::Poll));
    AnimTree::m_AutoDeleteModifiers = false;  // keep the done delegate in place
    Frame(16);
    EXPECT_EQ(m_Actor.m_nPolls, 1);
    AnimTree::FinishAllChildAnimations(group);
    Frame(16);
    EXPECT_EQ(m_Actor.m_nPolls, 1);
}

TEST_F(DelegateTest, DelegateCutShortBeforeItsFirstTickIsCalledOnce) {
    m_Actor.m_nFinishAfter = 100;
    auto* group = static_cast<ModifierContainer*>(m_Tree->LinkNode(new ModifierContainer("group", false)));
    auto* wait = new RecordingModifier("wait", 1000);
    AnimTree::LinkNodeUnder(group->LinkNode(wait), new ModifierDelegate<Actor>(&m_Actor, &Actor::Poll));
    Frame(16);
    AnimTree::FinishAllChildAnimations(group);
    EXPECT_EQ(wait->m_nEnds, 1);
    EXPECT_EQ(m_Actor.m_nPolls, 1);
    for (int i = 0; i < 3; ++i)
        Frame(16);
    EXPECT_EQ(m_Actor.m_nPolls, 1);
    EXPECT_EQ(group->GetFirstChild(), nullptr);
}

TEST_F(DelegateTest, ShortFormPassesTheObjectAndTheModifier) {
    SmartPtr<ModifierDelegate<Actor>> shortForm(new ModifierDelegate<Actor>(&m_Actor, &Actor::Poll));
    shortForm->Tick(0);
    EXPECT_EQ(m_Actor.m_pLastTarget, &m_Actor);
    EXPECT_EQ(m_Actor.m_pLastSender, shortForm.Get());

    Actor target, sender;
    SmartPtr<ModifierDelegate<Actor>> longForm(new ModifierDelegate<Actor>(&m_Actor, &Actor::Poll, &target, &sender));
    longForm->Tick(0);
    EXPECT_EQ(m_Actor.m_pLastTarget, &target);
    EXPECT_EQ(m_Actor.m_pLastSender, &sender);
}

TEST_F(DelegateTest, DelegateHasItsOwnTypeRecordAndDescribesItsCall) {
    Actor target;
    SmartPtr<ModifierDelegate<Actor>> d(new ModifierDelegate<Actor>(&m_Actor, &Actor::Poll, &target, nullptr));
    EXPECT_EQ(d->GetRTTI().GetName(), "ModifierDelegate");
    EXPECT_TRUE(d->GetRTTI().DerivesFrom(Modifier::rtti));
    const std::string text = d->ToString();
    EXPECT_NE(text.find("] on Object: <" + m_Actor.ToStringShort() + "> "), std::string::npos);
    EXPECT_NE(text.find("Target: <" + target.ToStringShort() + "> "), std::string::npos);
    EXPECT_EQ(text.find("Sender:"), std::string::npos);
}

TEST_F(DelegateTest, MethodRunsOnceWhetherTickedOrEndedFirst) {
    SmartPtr<ModifierMethod<Actor>> ticked(ConstructModifierMethod(&m_Actor, &Actor::Act));
    ticked->Tick(16);
    ticked->Tick(16);
    ticked->EndModifier();
    EXPECT_EQ(m_Actor.m_nActs, 1);
    EXPECT_TRUE(ticked->IsDone());

    SmartPtr<ModifierMethod<Actor>> ended(ConstructModifierMethod(&m_Actor, &Actor::Act));
    EXPECT_EQ(ended->GetRefCount(), 1);
    ended->EndModifier();
    ended->Tick(16);
    EXPECT_EQ(m_Actor.m_nActs, 2);
    EXPECT_EQ(&ended->GetRTTI(), &Modifier::rtti);
}

TEST_F(DelegateTest, MethodDispatchesVirtualFunctionsThroughTheObject) {
    LoudActor loud;
    SmartPtr<ModifierMethod<Actor>> m(ConstructModifierMethod<Actor>(&loud, &Actor::Act));
    m->Tick(0);
    EXPECT_EQ(loud.m_nActs, 10);
}

// At the end of a chain the call runs in the frame the step before it ends.
TEST_F(DelegateTest, MethodLinkedAfterAStepRunsInTheFrameTheStepEnds) {
    auto* step = new RecordingModifier("step", 100);
    AnimTree::LinkNodeUnder(m_Tree->LinkNode(step), ConstructModifierMethod(&m_Actor, &Actor::Act));
    Frame(60);
    EXPECT_EQ(m_Actor.m_nActs, 0);
    Frame(60);
    EXPECT_EQ(m_Actor.m_nActs, 1);
    Frame(60);
    EXPECT_EQ(m_Actor.m_nActs, 1);
    EXPECT_EQ(m_Tree->GetFirstChild(), nullptr);
}

// A method modifier that ends the ones before it in a node list: the end of
// the list must not call the function a second time.
TEST_F(DelegateTest, MethodWithEndPreviousInANodeListRunsOnce) {
    SmartPtr<GameNode> node(new GameNode("n"));
    auto* before = new RecordingModifier("before", 1000);
    node->AddModifier(before, true);
    Modifier* call = node->AddModifier(ConstructModifierMethod(&m_Actor, &Actor::Act), true);
    call->m_nOptions = Modifier::OPTION_END_PREVIOUS;
    node->TickUpdate(16);
    EXPECT_EQ(m_Actor.m_nActs, 1);
    EXPECT_TRUE(node->GetModifiers().empty());
}

TEST_F(DelegateTest, ParameterVariantsHandTheirStoredArgumentOnce) {
    SmartPtr<Modifier> byValue(new ModifierMethodParam<Actor, int>(&m_Actor, &Actor::SetCount, 7));
    byValue->Tick(16);
    byValue->EndModifier();
    EXPECT_EQ(m_Actor.m_nCount, 7);

    std::string text = "hello";
    SmartPtr<Modifier> byRef(new ModifierMethodParamRef<Actor, std::string>(&m_Actor, &Actor::SetText, text));
    text = "changed";
    byRef->EndModifier();
    EXPECT_EQ(m_Actor.m_strText, "hello");
    m_Actor.m_strText.clear();
    byRef->Tick(16);
    EXPECT_TRUE(m_Actor.m_strText.empty());
}

}  // namespace
