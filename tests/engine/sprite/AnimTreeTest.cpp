#include "engine/sprite/AnimTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/sprite/GameNode.h"
#include "engine/sprite/GameTree.h"
#include "tests/engine/modifier/RecordingModifier.h"

using namespace ZQ2;
using test::RecordingModifier;

namespace {

using Log = std::vector<std::string>;

class AnimTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        AnimTree::m_AutoDeleteModifiers = true;
        AnimTree::m_PreviousTreeNode = nullptr;
    }
    void TearDown() override { AnimTree::m_AutoDeleteModifiers = true; }

    // One frame of the tick and purge tasks for the animation tree.
    void Frame(int ms) {
        m_Log.push_back("|");
        m_Tree->VisitAnimTree(ms);
        m_Tree->PurgeAnimTree();
    }

    RecordingModifier* Make(const std::string& name, int ms, bool* destroyed = nullptr) {
        return new RecordingModifier(name, ms, &m_Log, destroyed);
    }

    SmartPtr<AnimTree> m_Tree{new AnimTree()};
    Log m_Log;
};

TEST_F(AnimTreeTest, RootIsANeverDoneContainerInTheTree) {
    EXPECT_EQ(m_Tree->GetName(), "Animation Tree");
    EXPECT_TRUE(m_Tree->IsInAnimTree());
    EXPECT_TRUE(m_Tree->HasDoneBit());
    EXPECT_FALSE(m_Tree->IsDone());
    Frame(10);
    EXPECT_EQ(m_Tree->GetRefCount(), 1);
}

// A chain plays strictly in turn: each child starts in the frame its parent
// reports done, with that frame's whole time.
TEST_F(AnimTreeTest, ChainRunsStrictlyOneAfterAnother) {
    bool goneA = false;
    auto* a = Make("A", 100, &goneA);
    auto* b = Make("B", 100);
    auto* c = Make("C", 50);
    AnimTree::LinkNodeUnder(AnimTree::LinkNodeUnder(m_Tree->LinkNode(a), b), c);
    Frame(60);
    Frame(60);
    EXPECT_TRUE(goneA);
    EXPECT_EQ(m_Tree->GetFirstChild(), b);  // moved up into A's place
    Frame(60);
    Frame(60);
    EXPECT_EQ(m_Log, (Log{"|", "A:60", "|", "A:60", "B:60", "|", "B:60", "C:60", "|"}));
    EXPECT_EQ(m_Tree->GetFirstChild(), nullptr);
}

TEST_F(AnimTreeTest, SiblingsUnderAContainerRunTogetherFromTheFirstFrame) {
    auto* group = static_cast<ModifierContainer*>(m_Tree->LinkNode(new ModifierContainer("group", true)));
    group->LinkNode(Make("x", 30));
    group->LinkNode(Make("y", 90));
    AnimTree::LinkNodeUnder(group->GetFirstChild(), Make("x2", 60));
    Frame(30);
    Frame(30);
    Frame(30);
    EXPECT_EQ(m_Log, (Log{"|", "x:30", "x2:30", "y:30", "|", "x2:30", "y:30", "|", "y:30"}));
    EXPECT_EQ(m_Tree->GetFirstChild(), nullptr);
}

TEST_F(AnimTreeTest, PausedDoneModifierKeepsItsChildrenWaiting) {
    auto* a = Make("A", 10);
    AnimTree::LinkNodeUnder(m_Tree->LinkNode(a), Make("B", 100));
    AnimTree::m_AutoDeleteModifiers = false;
    Frame(10);
    a->SetPaused(true);
    m_Log.clear();
    Frame(10);
    Frame(10);
    EXPECT_EQ(m_Log, (Log{"|", "|"}));
    a->SetPaused(false);
    Frame(10);
    EXPECT_EQ(m_Log.back(), "B:10");
}

TEST_F(AnimTreeTest, AutoDeleteOffKeepsDoneModifiersInPlace) {
    AnimTree::m_AutoDeleteModifiers = false;
    auto* a = Make("A", 10);
    m_Tree->LinkNode(a);
    Frame(10);
    Frame(10);
    EXPECT_EQ(m_Tree->GetFirstChild(), a);
    EXPECT_EQ(a->m_Ticks.size(), 1u);
    AnimTree::m_AutoDeleteModifiers = true;
    Frame(10);
    EXPECT_EQ(m_Tree->GetFirstChild(), nullptr);
}

TEST_F(AnimTreeTest, ObsoleteSubtreeIsNeitherTickedNorKept) {
    bool gone[3] = {};
    auto* a = Make("A", 1000, &gone[0]);
    auto* b = Make("B", 10, &gone[1]);
    m_Tree->LinkNode(a);
    AnimTree::LinkNodeUnder(a, b);
    AnimTree::LinkNodeUnder(b, Make("C", 10, &gone[2]));
    AnimTree::RemoveNode(a);
    Frame(10);
    EXPECT_EQ(m_Log, Log{"|"});
    EXPECT_TRUE(gone[0] && gone[1] && gone[2]);
}

// Option 2 retires the client, option 4 trims the client's tree modifiers up
// to the finished one, option 8 ends the enclosing group.
TEST_F(AnimTreeTest, PurgeOptionBits) {
    SmartPtr<GameTree> root(new GameTree());
    GameNode* node = GameTree::LinkNodeUnder(root, new GameNode("client"));

    auto* longRun = Make("long", 1000);
    auto* other = Make("other", 1000);
    m_Tree->LinkNode(longRun, node);
    auto* trimmer = Make("trim", 10);
    trimmer->m_nOptions = Modifier::OPTION_END_PREVIOUS;
    m_Tree->LinkNode(trimmer, node);
    m_Tree->LinkNode(other, node);
    ASSERT_EQ(node->GetAnimTreeModifiers().size(), 3);
    Frame(10);
    EXPECT_TRUE(longRun->IsObsolete());
    EXPECT_FALSE(other->IsObsolete());
    ASSERT_EQ(node->GetAnimTreeModifiers().size(), 1);
    EXPECT_EQ(node->GetAnimTreeModifiers()[0], other);
    Frame(10);
    EXPECT_EQ(m_Tree->GetFirstChild(), other);

    auto* group = static_cast<ModifierContainer*>(m_Tree->LinkNode(new ModifierContainer("group", false)));
    auto* ender = Make("ender", 10);
    ender->m_nOptions = Modifier::OPTION_OBSOLETE_CONTAINER | Modifier::OPTION_OBSOLETE_CLIENT;
    group->LinkNode(ender, node);
    auto* sibling = Make("sibling", 1000);
    group->LinkNode(sibling);
    Frame(10);
    EXPECT_TRUE(node->IsObsolete());
    EXPECT_EQ(m_Tree->GetFirstChild(), other);
    EXPECT_EQ(other->GetNextSibling(), nullptr);  // the group went with its children

    // Option 8 directly under the root does not end the animation tree.
    auto* top = Make("top", 10);
    top->m_nOptions = Modifier::OPTION_OBSOLETE_CONTAINER;
    m_Tree->LinkNode(top, node);
    Frame(10);
    EXPECT_FALSE(m_Tree->IsObsolete());
}

TEST_F(AnimTreeTest, OptionBitsNeedAClient) {
    auto* group = static_cast<ModifierContainer*>(m_Tree->LinkNode(new ModifierContainer("group", false)));
    auto* m = Make("m", 10);
    m->m_nOptions = Modifier::OPTION_OBSOLETE_CONTAINER;
    group->LinkNode(m);
    Frame(10);
    EXPECT_FALSE(group->IsObsolete());
}

TEST_F(AnimTreeTest, PreviousTreeNodeNamesTheLastLinkedModifier) {
    auto* g1 = static_cast<ModifierContainer*>(m_Tree->LinkNode(new ModifierContainer("g1", false)));
    auto* g2 = static_cast<ModifierContainer*>(m_Tree->LinkNode(new ModifierContainer("g2", false)));
    auto* a = Make("a", 10);
    auto* b = Make("b", 10);
    g1->LinkNode(a);
    g2->LinkNode(b);
    EXPECT_EQ(AnimTree::m_PreviousTreeNode, b);
    AnimTree::LinkNodeAfter(a, Make("c", 10));
    EXPECT_EQ(AnimTree::m_PreviousTreeNode->GetParent(), g1);
    Frame(10);  // everything retired: no dangling name is left
    EXPECT_EQ(AnimTree::m_PreviousTreeNode, nullptr);
}

TEST_F(AnimTreeTest, RelinkingMovesAModifierWithItsClientRegistration) {
    SmartPtr<GameNode> first(new GameNode("first"));
    SmartPtr<GameNode> second(new GameNode("second"));
    auto* g1 = static_cast<ModifierContainer*>(m_Tree->LinkNode(new ModifierContainer("g1", false)));
    auto* g2 = static_cast<ModifierContainer*>(m_Tree->LinkNode(new ModifierContainer("g2", false)));
    auto* a = Make("a", 100);
    auto* b = Make("b", 100);
    g1->LinkNode(a, first);
    g1->LinkNode(b, first);
    EXPECT_EQ(a->GetRefCount(), 1);

    g2->LinkNode(a);  // same client: stays registered, no new reference
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_EQ(a->GetParent(), g2);
    EXPECT_EQ(g1->GetFirstChild(), b);
    EXPECT_TRUE(first->GetAnimTreeModifiers().contains(a));

    AnimTree::LinkNodeBefore(b, a, second);
    EXPECT_EQ(g1->GetFirstChild(), a);
    EXPECT_EQ(a->GetNextSibling(), b);
    EXPECT_EQ(g2->GetFirstChild(), nullptr);
    EXPECT_FALSE(first->GetAnimTreeModifiers().contains(a));
    EXPECT_TRUE(second->GetAnimTreeModifiers().contains(a));

    EXPECT_EQ(AnimTree::LinkNodeUnder(a, g1), nullptr);  // into its own subtree
    EXPECT_TRUE(AnimTree::IsNodeInTree(b, a));
    EXPECT_EQ(AnimTree::GetNearestParentOfType(a, ModifierContainer::rtti), g1);
    EXPECT_EQ(AnimTree::GetNearestParentOfType(g1, AnimTree::rtti), m_Tree.Get());
}

TEST_F(AnimTreeTest, RemoveOnlyThisNodeMovesChildrenIntoItsPlace) {
    auto* a = Make("a", 10);
    auto* m = Make("m", 10);
    auto* z = Make("z", 10);
    m_Tree->LinkNode(a);
    m_Tree->LinkNode(m);
    m_Tree->LinkNode(z);
    auto* c1 = Make("c1", 10);
    auto* c2 = Make("c2", 10);
    AnimTree::LinkNodeUnder(m, c1);
    AnimTree::LinkNodeUnder(m, c2);
    EXPECT_EQ(AnimTree::RemoveOnlyThisNode(m, true), z);
    std::vector<Modifier*> order;
    for (Modifier* x = m_Tree->GetFirstChild(); x; x = x->GetNextSibling()) {
        order.push_back(x);
        EXPECT_EQ(x->GetParent(), m_Tree.Get());
    }
    EXPECT_EQ(order, (std::vector<Modifier*>{a, c1, c2, z}));
}

// Appending goes straight to the last child, which every way of changing the
// end of a child list must keep right.
TEST_F(AnimTreeTest, AppendingLandsLastAfterEveryChangeAtTheEnd) {
    const auto children = [](Modifier* parent) {
        std::vector<Modifier*> out;
        for (Modifier* x = parent->GetFirstChild(); x; x = x->GetNextSibling())
            out.push_back(x);
        return out;
    };
    using List = std::vector<Modifier*>;
    Modifier* a = m_Tree->LinkNode(Make("a", 10));
    Modifier* b = m_Tree->LinkNode(Make("b", 10));
    Modifier* c = m_Tree->LinkNode(Make("c", 10));
    AnimTree::LinkNodeUnder(a, c);  // the last child moves away
    Modifier* d = m_Tree->LinkNode(Make("d", 10));
    EXPECT_EQ(children(m_Tree), (List{a, b, d}));

    Modifier* e = AnimTree::LinkNodeAfter(d, Make("e", 10));
    Modifier* f = m_Tree->LinkNode(Make("f", 10));
    EXPECT_EQ(children(m_Tree), (List{a, b, d, e, f}));

    AnimTree::RemoveOnlyThisNode(f, true);  // a last child without children
    Modifier* g = m_Tree->LinkNode(Make("g", 10));
    Modifier* h1 = AnimTree::LinkNodeUnder(g, Make("h1", 10));
    Modifier* h2 = AnimTree::LinkNodeUnder(g, Make("h2", 10));
    AnimTree::RemoveOnlyThisNode(g, true);  // its children end the list now
    Modifier* i = m_Tree->LinkNode(Make("i", 10));
    EXPECT_EQ(children(m_Tree), (List{a, b, d, e, h1, h2, i}));

    AnimTree::ReleaseSiblings(e);
    Modifier* j = m_Tree->LinkNode(Make("j", 10));
    EXPECT_EQ(children(m_Tree), (List{a, b, d, j}));

    AnimTree::LinkNodeBefore(a, c);  // a's only child leaves
    Modifier* k = AnimTree::LinkNodeUnder(a, Make("k", 10));
    EXPECT_EQ(children(a), (List{k}));
    EXPECT_EQ(children(m_Tree), (List{c, a, b, d, j}));

    AnimTree::ReleaseChildren(m_Tree);
    Modifier* l = m_Tree->LinkNode(Make("l", 10));
    EXPECT_EQ(children(m_Tree), (List{l}));
}

TEST_F(AnimTreeTest, FinishAllChildAnimationsEndsWhatStillRunsOnce) {
    auto* group = static_cast<ModifierContainer*>(m_Tree->LinkNode(new ModifierContainer("group", false)));
    auto* done = Make("done", 10);
    auto* running = Make("running", 1000);
    auto* waiting = Make("waiting", 1000);
    group->LinkNode(done);
    AnimTree::LinkNodeUnder(group->LinkNode(running), waiting);
    AnimTree::m_AutoDeleteModifiers = false;
    Frame(10);
    AnimTree::FinishAllChildAnimations(group);
    EXPECT_EQ(done->m_nEnds, 0);
    EXPECT_EQ(running->m_nEnds, 1);
    EXPECT_EQ(waiting->m_nEnds, 1);
    EXPECT_FALSE(done->IsObsolete());
    EXPECT_TRUE(running->IsObsolete() && waiting->IsObsolete());
    AnimTree::m_AutoDeleteModifiers = true;
    Frame(10);
    EXPECT_EQ(group->GetFirstChild(), nullptr);
}

// A modifier whose tick destroys its client's node, or makes the node drop
// its tree modifiers, must not break the walk or the purge.
TEST_F(AnimTreeTest, ClientDestroyedDuringTheWalk) {
    auto* node = new GameNode("doomed");
    node->AddRef();
    auto* killer = Make("killer", 1000);
    auto* victim = Make("victim", 1000);
    auto* after = Make("after", 1000);
    m_Tree->LinkNode(killer, node);
    AnimTree::LinkNodeUnder(m_Tree->LinkNode(victim, node), Make("victimChild", 10));
    m_Tree->LinkNode(after);
    killer->m_OnTick = [&] { node->Release(); };
    Frame(10);
    EXPECT_EQ(m_Log, (Log{"|", "killer:10", "after:10"}));
    EXPECT_EQ(m_Tree->GetFirstChild(), after);
}

// Notes how many modifiers its client still lists at the moment it forgets
// that client.
class ClientWatcher : public RecordingModifier {
public:
    explicit ClientWatcher(std::vector<int>* seen) : RecordingModifier("watcher", 10), m_pSeen(seen) {}
    void SetClient(GameNode* client) override {
        if (!client && GetClient())
            m_pSeen->push_back(GetClient()->GetAnimTreeModifiers().size());
        RecordingModifier::SetClient(client);
    }

private:
    std::vector<int>* m_pSeen;
};

// Holds the last reference to a node and drops it when destroyed.
class NodeHolder : public RecordingModifier {
public:
    explicit NodeHolder(GameNode* node) : RecordingModifier("holder", 10), m_pNode(node) {}
    ~NodeHolder() override { m_pNode->Release(); }

private:
    GameNode* m_pNode;
};

// However many modifiers of one node a purge retires or drops, the node's
// list changes once, before any of them forgets the node: one pass over the
// list, where removing them one by one costs the square of their number.
TEST_F(AnimTreeTest, LeavingModifiersQuitTheirClientInOneSweep) {
    SmartPtr<GameNode> node(new GameNode("client"));
    std::vector<int> seen;
    constexpr int kLeaving = 40;
    Modifier* keeper = nullptr;
    for (int i = 0; i < kLeaving; ++i) {
        Modifier* chain = m_Tree->LinkNode(new ModifierContainer("chain", true));
        Modifier* watcher = AnimTree::LinkNodeUnder(chain, new ClientWatcher(&seen), node);
        if (i % 4 == 0)
            AnimTree::RemoveNode(watcher);
        if (i == kLeaving / 2)
            keeper = m_Tree->LinkNode(Make("keeper", 1000), node);
    }
    ASSERT_EQ(node->GetAnimTreeModifiers().size(), kLeaving + 1);
    Frame(10);
    EXPECT_EQ(seen, std::vector<int>(kLeaving, 1));
    ASSERT_EQ(node->GetAnimTreeModifiers().size(), 1);
    EXPECT_EQ(node->GetAnimTreeModifiers()[0], keeper);
    EXPECT_EQ(m_Tree->GetFirstChild(), keeper);
    EXPECT_EQ(keeper->GetNextSibling(), nullptr);
}

// Trimming a client's list finds the modifiers retired earlier in the same
// purge gone already, as it would between two purges.
TEST_F(AnimTreeTest, TrimmingSparesWhatThePurgeRetiredBefore) {
    SmartPtr<GameNode> node(new GameNode("client"));
    SmartPtr<RecordingModifier> done(Make("done", 10));
    m_Tree->LinkNode(done, node);
    auto* trimmer = Make("trim", 10);
    trimmer->m_nOptions = Modifier::OPTION_END_PREVIOUS;
    m_Tree->LinkNode(trimmer, node);
    Frame(10);
    EXPECT_FALSE(done->IsObsolete());
    EXPECT_EQ(done->GetClient(), nullptr);
    EXPECT_TRUE(node->GetAnimTreeModifiers().empty());
}

// A modifier that goes in the same purge may take its client with it while
// the client still lists the modifiers retired before.
TEST_F(AnimTreeTest, ClientDestroyedWhileItsModifiersLeave) {
    auto* node = new GameNode("doomed");
    node->AddRef();
    SmartPtr<RecordingModifier> first(Make("first", 10));
    m_Tree->LinkNode(first, node);
    m_Tree->LinkNode(new NodeHolder(node));
    m_Tree->LinkNode(Make("last", 10), node);
    Frame(10);
    EXPECT_EQ(first->GetClient(), nullptr);
    EXPECT_EQ(first->GetParent(), nullptr);
    EXPECT_EQ(m_Tree->GetFirstChild(), nullptr);
}

TEST_F(AnimTreeTest, DestroyingTheTreeReleasesEverything) {
    bool gone[2] = {};
    auto* tree = new AnimTree();
    tree->AddRef();
    AnimTree::LinkNodeUnder(tree->LinkNode(Make("a", 10, &gone[0])), Make("b", 10, &gone[1]));
    tree->Release();
    EXPECT_TRUE(gone[0] && gone[1]);
}

}  // namespace
