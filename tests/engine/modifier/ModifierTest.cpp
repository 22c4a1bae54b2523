#include "engine/modifier/Modifier.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameNode.h"
#include "tests/engine/modifier/RecordingModifier.h"

using namespace ZQ2;
using test::RecordingModifier;

namespace {

// One frame as the frame tasks run it: nodes, then the tree's walk and purge.
class ModifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        AnimTree::m_AutoDeleteModifiers = true;
        AnimTree::m_PreviousTreeNode = nullptr;
    }

    void Frame(int ms) {
        m_Node->TickUpdate(ms);
        m_Tree->VisitAnimTree(ms);
        m_Tree->PurgeAnimTree();
    }

    SmartPtr<AnimTree> m_Tree{new AnimTree()};
    SmartPtr<GameNode> m_Node{new GameNode("client")};
    std::vector<std::string> m_Log;
};

TEST_F(ModifierTest, FreshModifierIsBlankAndEndingSetsTheDoneBit) {
    RecordingModifier m("m", 100);
    EXPECT_EQ(m.m_nOptions, 0u);
    EXPECT_FALSE(m.IsDone());
    EXPECT_FALSE(m.IsObsolete());
    EXPECT_FALSE(m.IsPaused());
    EXPECT_EQ(m.GetClient(), nullptr);
    m.EndModifier();
    EXPECT_TRUE(m.IsDone());
    EXPECT_TRUE(m.HasDoneBit());
}

TEST_F(ModifierTest, ToStringShowsNameAndClientWhileNotObsolete) {
    RecordingModifier m("m", 100);
    m.SetName("fade");
    m.SetClient(m_Node);
    const std::string text = m.ToString();
    EXPECT_NE(text.find("\"fade\"; "), std::string::npos);
    EXPECT_NE(text.find("Client: <" + m_Node->ToStringShort() + "> "), std::string::npos);
    m.SetObsolete(true);
    EXPECT_EQ(m.ToString().find("Client:"), std::string::npos);

    ModifierContainer container("group", true);
    EXPECT_NE(container.ToString().find("Remove when empty"), std::string::npos);
}

// A blocking modifier holds back the one after it; the follower starts in the
// frame the blocker ends, with that frame's whole time.
TEST_F(ModifierTest, BlockingModifierHoldsBackItsFollowerInANodeList) {
    bool firstGone = false;
    auto* first = new RecordingModifier("first", 500, &m_Log, &firstGone);
    first->m_nOptions = Modifier::OPTION_BLOCKING;
    auto* second = new RecordingModifier("second", 1000, &m_Log);
    m_Node->AddModifier(first, true);
    m_Node->AddModifier(second, true);
    EXPECT_EQ(first->GetClient(), m_Node.Get());

    Frame(200);
    Frame(200);
    EXPECT_TRUE(second->m_Ticks.empty());
    Frame(200);  // 600 ms: the first ends
    EXPECT_TRUE(firstGone);
    EXPECT_EQ(second->m_Ticks, std::vector<int>{200});
    EXPECT_EQ(m_Node->GetModifiers().size(), 1);
}

// A done modifier with option 4 ends the ones before it (they jump to their
// end) and all of them leave the list.
TEST_F(ModifierTest, EndPreviousOptionEndsAndDropsTheEarlierModifiers) {
    bool gone[3] = {};
    RecordingModifier* m[3];
    for (int i = 0; i < 3; ++i) {
        m[i] = new RecordingModifier("m" + std::to_string(i), i == 2 ? 100 : 1000, &m_Log, &gone[i]);
        m_Node->AddModifier(m[i], true);
    }
    m[2]->m_nOptions = Modifier::OPTION_END_PREVIOUS;

    Frame(100);
    EXPECT_TRUE(gone[0] && gone[1] && gone[2]);
    EXPECT_TRUE(m_Node->GetModifiers().empty());
    EXPECT_EQ(m_Log, (std::vector<std::string>{"m0:100", "m1:100", "m2:100", "m0.end", "m1.end"}));
}

TEST_F(ModifierTest, ObsoleteClientOptionInANodeList) {
    auto* m = new RecordingModifier("m", 50);
    m->m_nOptions = Modifier::OPTION_OBSOLETE_CLIENT;
    m_Node->AddModifier(m, true);
    Frame(20);
    EXPECT_FALSE(m_Node->IsObsolete());
    Frame(40);
    EXPECT_TRUE(m_Node->IsObsolete());
    EXPECT_TRUE(m_Node->GetModifiers().empty());
}

// A container is done from birth: in a node list it is dropped at once.
TEST_F(ModifierTest, ContainerInANodeListIsDroppedOnItsFirstFrame) {
    SmartPtr<ModifierContainer> container(new ModifierContainer("group", false));
    EXPECT_TRUE(container->HasDoneBit());
    EXPECT_FALSE(container->IsDone());
    m_Node->AddModifier(container, true);
    Frame(10);
    EXPECT_FALSE(m_Node->HasModifier(container));
    EXPECT_EQ(container->GetRefCount(), 1);
}

TEST_F(ModifierTest, ContainerWithoutRemoveWhenEmptyNeverFinishesUntilMadeObsolete) {
    bool containerGone = false, leafGone = false, innerGone = false;
    struct Group : ModifierContainer {
        Group(bool* gone) : ModifierContainer("group", false), m_pGone(gone) {}
        ~Group() override { *m_pGone = true; }
        bool* m_pGone;
    };
    auto* group = new Group(&containerGone);
    m_Tree->LinkNode(group);
    auto* leaf = new RecordingModifier("leaf", 10, &m_Log, &leafGone);
    auto* inner = new RecordingModifier("inner", -1, &m_Log, &innerGone);
    group->LinkNode(leaf);
    group->LinkNode(new ModifierContainer("nested", false));
    AnimTree::LinkNodeUnder(group->GetFirstChild()->GetNextSibling(), inner);

    for (int i = 0; i < 5; ++i)
        Frame(100);
    EXPECT_TRUE(leafGone);
    EXPECT_FALSE(containerGone);
    EXPECT_EQ(inner->m_Ticks.size(), 5u);

    group->SetObsolete(true);
    EXPECT_TRUE(inner->IsObsolete());
    EXPECT_TRUE(group->GetFirstChild()->IsObsolete());
    Frame(100);
    EXPECT_TRUE(containerGone);
    EXPECT_TRUE(innerGone);
    EXPECT_EQ(m_Tree->GetFirstChild(), nullptr);
}

TEST_F(ModifierTest, RemoveWhenEmptyContainerLeavesInThePurgeOfItsLastChild) {
    auto* group = static_cast<ModifierContainer*>(m_Tree->LinkNode(new ModifierContainer("group", true)));
    auto* a = new RecordingModifier("a", 100, &m_Log);
    auto* b = new RecordingModifier("b", 200, &m_Log);
    group->LinkNode(a);
    group->LinkNode(b);
    Frame(100);
    EXPECT_EQ(m_Tree->GetFirstChild(), group);
    EXPECT_EQ(group->GetFirstChild(), b);
    Frame(100);
    EXPECT_EQ(m_Tree->GetFirstChild(), nullptr);
}

TEST_F(ModifierTest, ChildrenOfAModifierMadeObsoleteBeforeItIsDoneNeverRun) {
    bool parentGone = false, childGone = false;
    auto* parent = new RecordingModifier("parent", 300, &m_Log, &parentGone);
    auto* child = new RecordingModifier("child", 100, &m_Log, &childGone);
    AnimTree::LinkNodeUnder(AnimTree::LinkNodeUnder(m_Tree, parent), child);
    Frame(100);
    parent->SetObsolete(true);
    for (int i = 0; i < 4; ++i)
        Frame(100);
    EXPECT_TRUE(parentGone);
    EXPECT_TRUE(childGone);
    EXPECT_EQ(m_Log, std::vector<std::string>{"parent:100"});
}

TEST_F(ModifierTest, LinkingRegistersWithTheClientAndOption2RetiresTheClient) {
    auto* m = new RecordingModifier("m", 100, &m_Log);
    m->m_nOptions = Modifier::OPTION_OBSOLETE_CLIENT;
    m_Tree->LinkNode(m, m_Node);
    EXPECT_EQ(m->GetClient(), m_Node.Get());
    ASSERT_EQ(m_Node->GetAnimTreeModifiers().size(), 1);
    EXPECT_EQ(m_Node->GetAnimTreeModifiers()[0], m);

    Frame(100);
    EXPECT_TRUE(m_Node->IsObsolete());
    EXPECT_TRUE(m_Node->GetAnimTreeModifiers().empty());
    EXPECT_EQ(m_Tree->GetFirstChild(), nullptr);
}

// The purge retires a modifier the game still holds: it leaves the tree and
// its client; dropping the game's reference later destroys it cleanly.
TEST_F(ModifierTest, RetiredModifierHeldByTheGameForgetsTreeAndClient) {
    SmartPtr<RecordingModifier> held(new RecordingModifier("held", 10));
    m_Tree->LinkNode(held, m_Node);
    EXPECT_EQ(held->GetRefCount(), 2);
    Frame(10);
    EXPECT_EQ(held->GetRefCount(), 1);
    EXPECT_EQ(held->GetParent(), nullptr);
    EXPECT_EQ(held->GetClient(), nullptr);
    EXPECT_TRUE(m_Node->GetAnimTreeModifiers().empty());
}

}  // namespace
