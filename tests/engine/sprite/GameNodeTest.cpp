#include "engine/sprite/GameNode.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "tests/engine/modifier/RecordingModifier.h"

using namespace ZQ2;
using test::RecordingModifier;

namespace {

// A node that notes its ticks and its destruction.
class TickNode : public GameNode {
public:
    TickNode(const std::string& name, std::vector<std::string>* log, bool* destroyed = nullptr)
        : GameNode(name), m_pLog(log), m_pDestroyed(destroyed) {}
    ~TickNode() override {
        if (m_pDestroyed)
            *m_pDestroyed = true;
    }
    void Tick(int) override {
        if (m_pLog)
            m_pLog->push_back(GetName());
    }

private:
    std::vector<std::string>* m_pLog;
    bool* m_pDestroyed;
};

// A node with a box of its own, as sprites have: its rectangle placed by its
// own position, then by m.
class BoxNode : public GameNode {
public:
    BoxNode(float x, float y, float w, float h) : GameNode("box"), m_fW(w), m_fH(h) { SetLocation(x, y); }
    Region_t<float> CalculateBoundingBox(const Matrix3x3& m) override {
        Region_t<float> r = Region_t<float>::Empty();
        for (const auto& [px, py] : {std::pair{0.0f, 0.0f}, {m_fW, 0.0f}, {0.0f, m_fH}, {m_fW, m_fH}}) {
            const float in[3] = {GetX() + px, GetY() + py, 1.0f};
            float out[3];
            m.Multiply(in, out);
            r.AddPoint(out[0], out[1]);
        }
        return r;
    }
    using GameNode::CalculateBoundingBox;

private:
    float m_fW, m_fH;
};

std::vector<std::string> ChildNames(GameNode* parent) {
    std::vector<std::string> names;
    for (GameNode* c = parent->GetFirstChild(); c; c = c->GetNextSibling())
        names.push_back(c->GetName());
    return names;
}

class GameNodeTest : public ::testing::Test {
protected:
    // A new node owned by the tree under parent.
    GameNode* Add(GameNode* parent, const std::string& name, float x = 0, float y = 0) {
        GameNode* node = GameTree::LinkNodeUnder(parent, new TickNode(name, &m_Log));
        node->SetLocation(x, y);
        return node;
    }

    SmartPtr<GameTree> m_Root{new GameTree()};
    std::vector<std::string> m_Log;
};

TEST_F(GameNodeTest, FreshNodeDefaults) {
    GameNode node("n");
    EXPECT_EQ(node.GetX(), 0.0f);
    EXPECT_EQ(node.GetY(), 0.0f);
    EXPECT_EQ(node.GetTag(), 0);
    EXPECT_TRUE(node.IsVisible());
    EXPECT_FALSE(node.IsObsolete());
    EXPECT_FALSE(node.IsSuspended());
    EXPECT_EQ(node.GetLuaReference(), GameNode::NO_LUA_REFERENCE);
    EXPECT_TRUE(m_Root->GetName().empty());
}

TEST_F(GameNodeTest, LinkingAppendsInDrawingOrderAndMovesWithoutNewReferences) {
    GameNode* a = Add(m_Root, "a");
    GameNode* b = Add(m_Root, "b");
    GameNode* c = Add(m_Root, "c");
    EXPECT_EQ(ChildNames(m_Root), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(a->GetRefCount(), 1);

    a->SetObsolete(true);
    GameTree::LinkNodeUnder(b, a);
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_FALSE(a->IsObsolete());
    EXPECT_EQ(a->GetParent(), b);
    EXPECT_EQ(ChildNames(m_Root), (std::vector<std::string>{"b", "c"}));

    GameTree::LinkNodeUnderAtFront(m_Root, a);
    EXPECT_EQ(ChildNames(m_Root), (std::vector<std::string>{"a", "b", "c"}));
    GameTree::LinkNodeAfter(c, a);
    EXPECT_EQ(ChildNames(m_Root), (std::vector<std::string>{"b", "c", "a"}));
    GameTree::LinkNodeBefore(b, c);
    EXPECT_EQ(ChildNames(m_Root), (std::vector<std::string>{"c", "b", "a"}));
    GameTree::LinkNodeBefore(b, c);  // already there
    GameTree::LinkNodeAfter(b, a);
    EXPECT_EQ(ChildNames(m_Root), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(GameTree::GetSiblingBefore(a), b);
    EXPECT_EQ(GameTree::GetSiblingBefore(c), nullptr);
    for (GameNode* n : {a, b, c})
        EXPECT_EQ(n->GetRefCount(), 1);
}

TEST_F(GameNodeTest, LinkIntoItsOwnSubtreeIsRefused) {
    GameNode* a = Add(m_Root, "a");
    GameNode* b = Add(a, "b");
    EXPECT_EQ(GameTree::LinkNodeUnder(b, a), nullptr);
    EXPECT_EQ(GameTree::LinkNodeUnder(a, a), nullptr);
    EXPECT_EQ(GameTree::LinkNodeAfter(b, a), nullptr);
    EXPECT_EQ(a->GetParent(), m_Root.Get());
    EXPECT_EQ(b->GetParent(), a);
}

TEST_F(GameNodeTest, UnlinkAndReleaseDropChildrenButNotTheNodeItself) {
    bool gone[3] = {};
    SmartPtr<GameNode> a(new TickNode("a", nullptr, &gone[0]));
    GameTree::LinkNodeUnder(m_Root, a);
    GameTree::LinkNodeUnder(a, new TickNode("b", nullptr, &gone[1]));
    GameTree::LinkNodeUnder(a, new TickNode("c", nullptr, &gone[2]));
    GameTree::UnlinkNode(a);
    EXPECT_TRUE(gone[1] && gone[2]);
    EXPECT_FALSE(gone[0]);
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(a->GetFirstChild(), nullptr);
    EXPECT_EQ(m_Root->GetFirstChild(), nullptr);
    EXPECT_EQ(a->GetRefCount(), 2);  // the tree's reference stays with the caller
    a->Release();

    bool tail[3] = {};
    for (int i = 0; i < 3; ++i)
        GameTree::LinkNodeUnder(m_Root, new TickNode("t" + std::to_string(i), nullptr, &tail[i]));
    GameTree::ReleaseSiblings(m_Root->GetFirstChild()->GetNextSibling());
    EXPECT_FALSE(tail[0]);
    EXPECT_TRUE(tail[1] && tail[2]);
    EXPECT_EQ(ChildNames(m_Root), std::vector<std::string>{"t0"});
}

TEST_F(GameNodeTest, DestroyingALinkedNodeTakesItOutOfItsParent) {
    bool gone = false;
    SmartPtr<GameNode> keep(new TickNode("kept", nullptr, &gone));
    GameTree::LinkNodeUnder(m_Root, keep);
    Add(m_Root, "after");
    keep->Release();  // drops the tree's reference behind the tree's back
    keep = nullptr;
    EXPECT_TRUE(gone);
    EXPECT_EQ(ChildNames(m_Root), std::vector<std::string>{"after"});
}

TEST_F(GameNodeTest, GetChildSkipsObsoleteNodesAndSearchesSubtreesInOrder) {
    GameNode* a = Add(m_Root, "a");
    GameNode* deep = Add(a, "x");
    GameNode* x1 = Add(m_Root, "x");
    GameNode* x2 = Add(m_Root, "x");
    EXPECT_EQ(m_Root->GetChild("x", false), x1);
    EXPECT_EQ(m_Root->GetChild("x", true), deep);
    x1->SetObsolete(true);
    EXPECT_EQ(m_Root->GetChild("x", false), x2);
    a->SetObsolete(true);
    EXPECT_EQ(m_Root->GetChild("x", true), x2);
    EXPECT_EQ(m_Root->GetChild("none", true), nullptr);
}

TEST_F(GameNodeTest, LocalAndGlobalTransformsInvertEachOther) {
    GameNode* a = Add(m_Root, "a", 100, 50);
    GameNode* b = Add(a, "b", -30, 20);
    GameNode* c = Add(b, "c", 7.5f, -2.25f);
    m_Root->SetLocation(3, 4);

    EXPECT_FLOAT_EQ(c->GetScreenX(), 3 + 100 - 30 + 7.5f);
    EXPECT_FLOAT_EQ(c->GetScreenY(), 4 + 50 + 20 - 2.25f);
    EXPECT_FLOAT_EQ(c->GetParentX(), 73);
    EXPECT_FLOAT_EQ(c->GetParentY(), 74);
    EXPECT_EQ(m_Root->GetParentX(), 0.0f);

    for (const auto& [px, py] : {std::pair{0.0f, 0.0f}, {12.5f, -40.0f}, {-300.0f, 999.0f}}) {
        const Point_t<float> global = c->ToGlobal(px, py);
        const Point_t<float> back = c->ToLocal(global.x, global.y);
        EXPECT_FLOAT_EQ(back.x, px);
        EXPECT_FLOAT_EQ(back.y, py);
    }

    for (GameNode* stop : {static_cast<GameNode*>(nullptr), static_cast<GameNode*>(a)}) {
        for (bool self : {true, false}) {
            Matrix3x3 toGlobal, toLocal;
            c->BuildToGlobalTransformation(toGlobal, stop, self);
            c->BuildToLocalTransformation(toLocal, stop, self);
            EXPECT_EQ(toGlobal * toLocal, Matrix3x3::IdentityMatrix);
        }
    }
    // Up to a: the steps of c and b only.
    Matrix3x3 toA;
    c->BuildToGlobalTransformation(toA, a, true);
    EXPECT_FLOAT_EQ(toA(0, 2), -22.5f);
    EXPECT_FLOAT_EQ(toA(1, 2), 17.75f);
}

TEST_F(GameNodeTest, RelocateKeepsTheScreenPosition) {
    GameNode* a = Add(m_Root, "a", 100, 50);
    GameNode* b = Add(m_Root, "b", -20, 300);
    GameNode* n = Add(a, "n", 5, 6);
    Add(b, "first");
    GameTree::RelocateGameNode(b, n, false);
    EXPECT_EQ(n->GetParent(), b);
    EXPECT_FLOAT_EQ(n->GetScreenX(), 105);
    EXPECT_FLOAT_EQ(n->GetScreenY(), 56);
    EXPECT_EQ(ChildNames(b), (std::vector<std::string>{"first", "n"}));
    GameTree::RelocateGameNode(a, n, true);
    EXPECT_FLOAT_EQ(n->GetX(), 5);
    EXPECT_EQ(a->GetFirstChild(), n);
}

TEST_F(GameNodeTest, BoundingBoxGrowsOverChildrenInTheirFrames) {
    auto* outer = static_cast<BoxNode*>(GameTree::LinkNodeUnder(m_Root, new BoxNode(10, 10, 20, 20)));
    auto* inner = static_cast<BoxNode*>(GameTree::LinkNodeUnder(outer, new BoxNode(15, -5, 30, 10)));
    (void)inner;
    const Region_t<float> self = outer->CalculateBoundingBox(false, true, Matrix3x3());
    EXPECT_EQ(self.minX, 10);
    EXPECT_EQ(self.maxX, 30);
    const Region_t<float> all = outer->CalculateBoundingBox(true, true, m_Root.Get());
    EXPECT_EQ(all.minX, 10);
    EXPECT_EQ(all.minY, 5);
    EXPECT_EQ(all.maxX, 55);
    EXPECT_EQ(all.maxY, 30);
    EXPECT_TRUE(GameNode("plain").CalculateBoundingBox(true, true, Matrix3x3()).IsEmpty());
}

TEST_F(GameNodeTest, TreeQueries) {
    GameNode* a = Add(m_Root, "a");
    GameNode* b = Add(a, "b");
    GameNode* c = Add(a, "c");
    GameNode* d = Add(c, "d");
    EXPECT_EQ(GameTree::GetCommonParent(b, d), a);
    EXPECT_EQ(GameTree::GetCommonParent(c, d), c);
    GameNode stray("stray");
    EXPECT_EQ(GameTree::GetCommonParent(b, &stray), nullptr);
    EXPECT_TRUE(GameTree::IsNodeInTree(d, b));
    EXPECT_FALSE(GameTree::IsNodeInTree(d, &stray));
    EXPECT_EQ(GameTree::GetNearestParentOfType(d, GameTree::rtti), m_Root.Get());
    EXPECT_EQ(GameTree::GetNearestParentOfType(m_Root, GameNode::rtti), nullptr);

    struct Collector : BaseObject {
        static bool Note(GameNode* node, BaseObject* context) {
            static_cast<Collector*>(context)->m_Names.push_back(node->GetName());
            return node->GetName() == "c";
        }
        std::vector<std::string> m_Names;
    } seen;
    // Pre-order from a, stopping at the first true answer.
    EXPECT_TRUE(GameTree::Traverse(a, &seen, &Collector::Note));
    EXPECT_EQ(seen.m_Names, (std::vector<std::string>{"a", "b", "c"}));
    // Without a context the visit gets the start node.
    EXPECT_FALSE(GameTree::Traverse(d, nullptr, [](GameNode* node, BaseObject* context) {
        return node != context;
    }));
}

TEST_F(GameNodeTest, SuspendedAndObsoleteSubtreesAreNotTickedButTheRootIs) {
    GameNode* a = Add(m_Root, "a");
    Add(a, "a1");
    GameNode* s = Add(m_Root, "s");
    Add(s, "s1");
    GameNode* o = Add(m_Root, "o");
    Add(o, "o1");
    Add(m_Root, "z");
    s->SetSuspended(true);
    o->SetObsolete(true);
    auto* root = static_cast<TickNode*>(GameTree::LinkNodeUnder(a, new TickNode("top", &m_Log)));
    GameTree::UnlinkNode(root);
    root->SetSuspended(true);
    GameTree::LinkNodeUnder(root, new TickNode("under", &m_Log));

    GameTree::TickSubtree(m_Root, 16);
    EXPECT_EQ(m_Log, (std::vector<std::string>{"a", "a1", "z"}));
    m_Log.clear();
    GameTree::TickSubtree(root, 16);  // a suspended root still ticks
    EXPECT_EQ(m_Log, (std::vector<std::string>{"top", "under"}));
    root->Release();
}

TEST_F(GameNodeTest, TickUpdateTicksTheNodeBeforeItsModifiers) {
    auto* node = static_cast<TickNode*>(Add(m_Root, "node"));
    node->AddModifier(new RecordingModifier("m", 100, &m_Log), true);
    node->TickUpdate(16);
    EXPECT_EQ(m_Log, (std::vector<std::string>{"node", "m:16"}));
}

// The option bits of the node's own list: a running blocker stops the walk,
// a done one does not; option 4 in the middle drops the front half only.
TEST_F(GameNodeTest, TickUpdateHonoursBlockingAndEndPreviousInTheMiddle) {
    GameNode* node = Add(m_Root, "node");
    auto* a = new RecordingModifier("a", 1000, &m_Log);
    auto* b = new RecordingModifier("b", 10, &m_Log);
    auto* c = new RecordingModifier("c", 1000, &m_Log);
    auto* d = new RecordingModifier("d", 1000, &m_Log);
    b->m_nOptions = Modifier::OPTION_END_PREVIOUS | Modifier::OPTION_BLOCKING;
    c->m_nOptions = Modifier::OPTION_BLOCKING;
    for (Modifier* m : {static_cast<Modifier*>(b), static_cast<Modifier*>(c), static_cast<Modifier*>(d)})
        node->AddModifier(m, true);
    node->AddModifier(a, false);
    EXPECT_EQ(node->AddModifier(a, true), a);  // already there: unchanged
    EXPECT_EQ(a->GetRefCount(), 1);

    m_Log.clear();
    node->TickUpdate(10);
    EXPECT_EQ(m_Log, (std::vector<std::string>{"node", "a:10", "b:10", "a.end", "c:10"}));
    ASSERT_EQ(node->GetModifiers().size(), 2);
    EXPECT_EQ(node->GetModifiers()[0], c);
}

// Modifier callbacks may change the node's list while it is walked.
TEST_F(GameNodeTest, ModifierCallbacksMayChangeTheListDuringTheWalk) {
    GameNode* node = Add(m_Root, "node");
    bool goneA = false, goneB = false;
    auto* a = new RecordingModifier("a", 1000, &m_Log, &goneA);
    auto* b = new RecordingModifier("b", 1000, &m_Log, &goneB);
    node->AddModifier(a, true);
    node->AddModifier(b, true);

    // Added at the front and at the back during the walk: they start next frame.
    auto* front = new RecordingModifier("front", 1000, &m_Log);
    auto* back = new RecordingModifier("back", 1000, &m_Log);
    a->m_OnTick = [&] {
        node->AddModifier(front, false);
        node->AddModifier(back, true);
        a->m_OnTick = nullptr;
    };
    m_Log.clear();
    node->TickUpdate(10);
    EXPECT_EQ(m_Log, (std::vector<std::string>{"node", "a:10", "b:10"}));
    m_Log.clear();
    node->TickUpdate(10);
    EXPECT_EQ(m_Log, (std::vector<std::string>{"node", "front:10", "a:10", "b:10", "back:10"}));

    // Emptied by the first modifier's own tick: nothing else runs, and the
    // modifier outlives its own callback.
    a->m_OnTick = [&] { node->RemoveAllModifiers(); };
    m_Log.clear();
    node->TickUpdate(10);
    EXPECT_EQ(m_Log, (std::vector<std::string>{"node", "front:10", "a:10"}));
    EXPECT_TRUE(goneA && goneB);
    EXPECT_TRUE(node->GetModifiers().empty());
}

TEST_F(GameNodeTest, EndingTheFrontMayChangeTheListAgain) {
    GameNode* node = Add(m_Root, "node");
    auto* a = new RecordingModifier("a", 1000, &m_Log);
    auto* b = new RecordingModifier("b", 10, &m_Log);
    b->m_nOptions = Modifier::OPTION_END_PREVIOUS;
    node->AddModifier(a, true);
    node->AddModifier(b, true);
    node->AddModifier(new RecordingModifier("c", 1000, &m_Log), true);
    struct Ender : RecordingModifier {
        using RecordingModifier::RecordingModifier;
        void EndModifier() override {
            RecordingModifier::EndModifier();
            if (m_OnTick) {
                const std::function<void()> hook = m_OnTick;
                hook();
            }
        }
    };
    auto* e = new Ender("e", 1000, &m_Log);
    node->AddModifier(e, false);
    e->m_OnTick = [&] {
        e->m_OnTick = nullptr;
        node->RemoveAllModifiers();
        node->AddModifier(new RecordingModifier("late", 1000, &m_Log), true);
    };
    node->TickUpdate(10);
    ASSERT_EQ(node->GetModifiers().size(), 1);
    m_Log.clear();
    node->TickUpdate(10);
    EXPECT_EQ(m_Log, (std::vector<std::string>{"node", "late:10"}));
}

TEST_F(GameNodeTest, AnimTreeRegistrationPauseAndTrim) {
    GameNode* node = Add(m_Root, "node");
    SmartPtr<RecordingModifier> m[3];
    for (int i = 0; i < 3; ++i) {
        m[i] = new RecordingModifier("m" + std::to_string(i), 100);
        m[i]->SetClient(node);
        EXPECT_TRUE(node->AddAnimTreeModifier(m[i]));
    }
    EXPECT_FALSE(node->AddAnimTreeModifier(m[1]));
    node->PauseAnimTreeModifiers(true);
    EXPECT_TRUE(m[0]->IsPaused() && m[2]->IsPaused());

    RecordingModifier stranger("stranger", 1);
    node->RemoveAnimModifiersWhenINIT(&stranger);
    EXPECT_TRUE(m[0]->IsObsolete() && m[1]->IsObsolete() && m[2]->IsObsolete());
    EXPECT_EQ(node->GetAnimTreeModifiers().size(), 3);

    for (auto& x : m)
        x->SetObsolete(false);
    node->RemoveAnimModifiersWhenINIT(m[1]);
    EXPECT_TRUE(m[0]->IsObsolete() && m[1]->IsObsolete());
    EXPECT_FALSE(m[2]->IsObsolete());
    ASSERT_EQ(node->GetAnimTreeModifiers().size(), 1);

    node->RemoveAnimTreeModifier(m[2]);
    EXPECT_TRUE(node->GetAnimTreeModifiers().empty());
    EXPECT_EQ(m[2]->GetClient(), nullptr);
}

// A node that dies leaves no modifier pointing at it.
TEST_F(GameNodeTest, DestroyedNodeLeavesNoModifierPointingAtIt) {
    SmartPtr<AnimTree> tree(new AnimTree());
    bool nodeGone = false;
    auto* node = new TickNode("doomed", nullptr, &nodeGone);
    node->AddRef();
    SmartPtr<RecordingModifier> own(new RecordingModifier("own", 1000));
    SmartPtr<RecordingModifier> inTree(new RecordingModifier("tree", 1000));
    bool childGone = false;
    node->AddModifier(own, true);
    AnimTree::LinkNodeUnder(tree->LinkNode(inTree, node), new RecordingModifier("next", 10, nullptr, &childGone));

    node->Release();
    EXPECT_TRUE(nodeGone);
    EXPECT_EQ(own->GetClient(), nullptr);
    EXPECT_EQ(own->GetRefCount(), 1);
    EXPECT_EQ(inTree->GetClient(), nullptr);
    EXPECT_TRUE(inTree->IsObsolete());

    tree->VisitAnimTree(10);
    EXPECT_TRUE(inTree->m_Ticks.empty());
    tree->PurgeAnimTree();
    EXPECT_TRUE(childGone);
    EXPECT_EQ(inTree->GetParent(), nullptr);
}

TEST_F(GameNodeTest, CopyTakesValuesButNoLinksOrModifiers) {
    GameNode* a = Add(m_Root, "a", 4, 5);
    Add(a, "child");
    a->SetTag(9);
    a->SetVisible(false);
    a->SetSuspended(true);
    a->SetObsolete(true);
    a->AddModifier(new RecordingModifier("m", 100), true);
    GameNode copy(*a);
    EXPECT_EQ(copy.GetName(), "a");
    EXPECT_EQ(copy.GetX(), 4);
    EXPECT_EQ(copy.GetY(), 5);
    EXPECT_EQ(copy.GetTag(), 9);
    EXPECT_FALSE(copy.IsVisible());
    EXPECT_TRUE(copy.IsSuspended());
    EXPECT_FALSE(copy.IsObsolete());
    EXPECT_EQ(copy.GetParent(), nullptr);
    EXPECT_EQ(copy.GetFirstChild(), nullptr);
    EXPECT_TRUE(copy.GetModifiers().empty());
    EXPECT_EQ(copy.GetRefCount(), 0);
}

TEST_F(GameNodeTest, TextForms) {
    GameNode named("hero");
    GameNode plain("");
    EXPECT_EQ(named.ToString(), named.BaseObject::ToString() + "\"hero\"; ");
    EXPECT_EQ(named.ToStringShort(), named.BaseObject::ToStringShort() + " \"hero\"");
    EXPECT_EQ(plain.ToString(), plain.BaseObject::ToString());
    EXPECT_EQ(plain.ToStringShort(), plain.BaseObject::ToStringShort());
}

// Built from data: keys, children and modifiers through the object factory;
// entries of the wrong kind are skipped.
TEST_F(GameNodeTest, BuiltFromPropertyData) {
    SmartPtr<PropertyNode> data(new PropertyNode("n", "GameNode"));
    data->InsertProperty(new PropertyValue("name", std::string("panel")));
    data->InsertProperty(new PropertyValue("tag", 7));
    data->InsertProperty(new PropertyValue("x", 1.5f));
    data->InsertProperty(new PropertyValue("y", -2.0f));
    data->InsertProperty(new PropertyValue("suspended", std::string("true")));
    data->InsertProperty(new PropertyValue("visible", std::string("false")));
    auto* children = new PropertyVector("children");
    for (const char* name : {"left", "right"}) {
        auto* child = new PropertyNode("", "GameNode");
        child->InsertProperty(new PropertyValue("name", std::string(name)));
        children->InsertProperty(child);
    }
    children->InsertProperty(new PropertyNode("", "ModifierFrame"));  // not a node
    children->InsertProperty(new PropertyNode("", "NoSuchClass"));
    data->InsertProperty(children);
    auto* modifiers = new PropertyVector("modifiers");
    modifiers->InsertProperty(new PropertyNode("", "GameNode"));  // not a modifier
    data->InsertProperty(modifiers);

    BaseObject* object = ObjectFactory::Instance()->CreateObject(data);
    ASSERT_NE(object, nullptr);
    SmartPtr<GameNode> node(DynamicCast<GameNode>(object));
    ASSERT_TRUE(node);
    EXPECT_EQ(node->GetName(), "panel");
    EXPECT_EQ(node->GetTag(), 7);
    EXPECT_EQ(node->GetX(), 1.5f);
    EXPECT_EQ(node->GetY(), -2.0f);
    EXPECT_TRUE(node->IsSuspended());
    EXPECT_FALSE(node->IsVisible());
    EXPECT_EQ(ChildNames(node), (std::vector<std::string>{"left", "right"}));
    EXPECT_EQ(node->GetFirstChild()->GetRefCount(), 1);
    EXPECT_TRUE(node->GetModifiers().empty());

    SmartPtr<GameNode> bare(new GameNode(static_cast<AbstractProperty*>(nullptr)));
    EXPECT_TRUE(bare->GetName().empty());
}

}  // namespace
