#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Graphics.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/TaskPurge.h"
#include "engine/sprite/TaskRender.h"
#include "engine/sprite/TaskTickUpdate.h"
#include "tests/engine/modifier/RecordingModifier.h"

using namespace ZQ2;
using test::RecordingModifier;

namespace {

using Log = std::vector<std::string>;

// A node that writes its ticks into a shared log and notes its destruction.
class LogNode : public GameNode {
public:
    LogNode(const std::string& name, Log* log, bool* destroyed = nullptr)
        : GameNode(name), m_pLog(log), m_pDestroyed(destroyed) {
        if (m_pDestroyed)
            *m_pDestroyed = false;
    }
    ~LogNode() override {
        if (m_pDestroyed)
            *m_pDestroyed = true;
    }
    void Tick(int deltaMs) override {
        if (m_pLog)
            m_pLog->push_back(GetName() + ":" + std::to_string(deltaMs));
    }

private:
    Log* m_pLog;
    bool* m_pDestroyed;
};

class FrameTasksTest : public ::testing::Test {
protected:
    LogNode* Add(GameNode* parent, const std::string& name, bool* destroyed = nullptr) {
        auto* node = new LogNode(name, &m_Log, destroyed);
        GameTree::LinkNodeUnder(parent, node);
        return node;
    }

    // Children of node by name, in list order.
    static std::vector<std::string> Children(GameNode* node) {
        std::vector<std::string> names;
        for (GameNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
            names.push_back(c->GetName());
        return names;
    }

    // Destruction flags outlive the trees, which go after the test body.
    bool m_bGone[4] = {false, false, false, false};
    Log m_Log;
    SmartPtr<GameTree> m_pTree{new GameTree()};
    SmartPtr<AnimTree> m_pAnimTree{new AnimTree()};
};

using Names = std::vector<std::string>;

TEST_F(FrameTasksTest, TasksHoldOneReferenceOnEachTree) {
    const int tree = m_pTree->GetRefCount();
    const int anim = m_pAnimTree->GetRefCount();
    {
        SmartPtr<TaskTickUpdate> tick(new TaskTickUpdate(m_pTree, m_pAnimTree));
        SmartPtr<TaskPurge> purge(new TaskPurge(m_pTree, m_pAnimTree));
        EXPECT_EQ(m_pTree->GetRefCount(), tree + 2);
        EXPECT_EQ(m_pAnimTree->GetRefCount(), anim + 2);
    }
    EXPECT_EQ(m_pTree->GetRefCount(), tree);
    EXPECT_EQ(m_pAnimTree->GetRefCount(), anim);

    // Without trees there is nothing to do, and nothing breaks.
    SmartPtr<TaskTickUpdate> tick(new TaskTickUpdate(nullptr, nullptr));
    SmartPtr<TaskPurge> purge(new TaskPurge(nullptr, nullptr));
    tick->OnUpdate(16);
    purge->OnUpdate(16);
}

TEST_F(FrameTasksTest, TickWalksTheTreeDepthFirstThenTheAnimationTree) {
    m_pTree->SetName("root");
    GameNode* a = Add(m_pTree, "a");
    Add(a, "a1");
    GameNode* hidden = Add(a, "hidden");
    hidden->SetVisible(false);
    Add(hidden, "under-hidden");
    GameNode* suspended = Add(m_pTree, "suspended");
    suspended->SetSuspended(true);
    Add(suspended, "under-suspended");
    GameNode* obsolete = Add(m_pTree, "obsolete");
    obsolete->SetObsolete(true);
    Add(obsolete, "under-obsolete");
    Add(m_pTree, "b");
    m_pAnimTree->LinkNode(new RecordingModifier("mod", -1, &m_Log));

    SmartPtr<TaskTickUpdate> tick(new TaskTickUpdate(m_pTree, m_pAnimTree));
    tick->OnUpdate(16);
    // Invisible nodes tick; suspended and obsolete ones stop the walk below them.
    EXPECT_EQ(m_Log, (Names{"a:16", "a1:16", "hidden:16", "under-hidden:16", "b:16", "mod:16"}));
}

TEST_F(FrameTasksTest, TheRootIsTickedEvenWhenSuspended) {
    auto* root = new LogNode("root", &m_Log);
    SmartPtr<GameNode> hold(root);
    root->SetSuspended(true);
    root->SetObsolete(true);
    Add(root, "child");
    GameTree::TickSubtree(root, 7);
    EXPECT_EQ(m_Log, (Names{"root:7", "child:7"}));
}

TEST_F(FrameTasksTest, PurgeReleasesAnObsoleteNodeTogetherWithItsChildren) {
    bool& parentGone = m_bGone[0];
    bool& childGone = m_bGone[1];
    bool& grandchildGone = m_bGone[2];
    bool& siblingGone = m_bGone[3];
    GameNode* parent = Add(m_pTree, "parent", &parentGone);
    GameNode* child = Add(parent, "child", &childGone);
    Add(child, "grandchild", &grandchildGone);
    Add(m_pTree, "sibling", &siblingGone);
    parent->SetObsolete(true);

    SmartPtr<TaskPurge> purge(new TaskPurge(m_pTree, m_pAnimTree));
    purge->OnUpdate(16);
    EXPECT_TRUE(parentGone);
    EXPECT_TRUE(childGone);
    EXPECT_TRUE(grandchildGone);
    EXPECT_FALSE(siblingGone);
    EXPECT_EQ(Children(m_pTree), Names{"sibling"});
}

TEST_F(FrameTasksTest, PurgeUnlinksFirstMiddleAndLastChildrenAndDropsOnlyTheTreesReference) {
    GameNode* first = Add(m_pTree, "first");
    Add(m_pTree, "keep1");
    GameNode* middle = Add(m_pTree, "middle");
    Add(m_pTree, "keep2");
    GameNode* last = Add(m_pTree, "last");
    GameNode* kept = Add(middle, "kept-child");
    for (GameNode* n : {first, middle, last})
        n->SetObsolete(true);

    // Someone else holds the middle node: it survives the purge, unlinked,
    // with its obsolete flag cleared and its own children still below it.
    SmartPtr<GameNode> held(middle);
    EXPECT_EQ(middle->GetRefCount(), 2);
    EXPECT_EQ(kept->GetRefCount(), 1);

    TaskPurge::PurgeTree(m_pTree);
    EXPECT_EQ(Children(m_pTree), (Names{"keep1", "keep2"}));
    EXPECT_EQ(middle->GetRefCount(), 1);
    EXPECT_EQ(middle->GetParent(), nullptr);
    EXPECT_EQ(middle->GetNextSibling(), nullptr);
    EXPECT_FALSE(middle->IsObsolete());
    EXPECT_EQ(Children(middle), Names{"kept-child"});
    EXPECT_EQ(kept->GetParent(), middle);
    EXPECT_EQ(kept->GetRefCount(), 1);
}

TEST_F(FrameTasksTest, PurgeReachesObsoleteNodesDeepInTheTreeAndSparesTheRoot) {
    GameNode* a = Add(m_pTree, "a");
    GameNode* deep = Add(Add(a, "a1"), "deep");
    deep->SetObsolete(true);
    m_pTree->SetObsolete(true);
    const int rootCount = m_pTree->GetRefCount();

    TaskPurge::PurgeTree(m_pTree);
    EXPECT_TRUE(Children(a->GetFirstChild()).empty());
    EXPECT_EQ(Children(m_pTree), Names{"a"});
    EXPECT_EQ(m_pTree->GetRefCount(), rootCount);
}

TEST_F(FrameTasksTest, PurgeRetiresFinishedModifiersAfterTheGameTree) {
    bool& modGone = m_bGone[0];
    GameNode* node = Add(m_pTree, "node");
    auto* mod = new RecordingModifier("mod", 10, &m_Log, &modGone);
    m_pAnimTree->LinkNode(mod, node);
    SmartPtr<TaskTickUpdate> tick(new TaskTickUpdate(m_pTree, m_pAnimTree));
    SmartPtr<TaskPurge> purge(new TaskPurge(m_pTree, m_pAnimTree));

    tick->OnUpdate(16);
    EXPECT_TRUE(mod->IsDone());
    EXPECT_FALSE(modGone);
    purge->OnUpdate(16);
    EXPECT_TRUE(modGone);
    EXPECT_EQ(m_pAnimTree->GetFirstChild(), nullptr);
    EXPECT_TRUE(node->GetAnimTreeModifiers().empty());
}

// What a render function saw: the node, where the context's origin lay and
// how many clip polygons were in force.
struct Seen {
    std::string name;
    float originX, originY, m00;
    int clips;
    Rectangle_t<float> clip;
};
std::vector<Seen>* g_pSeen = nullptr;

void RecordNode(GameNode* node, Graphics* graphics) {
    Seen seen{node->GetName(), 0.0f, 0.0f, 1.0f, graphics->GetClipStack().size(), Rectangle_t<float>()};
    if (!graphics->GetTransformationStack().empty()) {
        const Matrix3x3& top = graphics->GetTransformationStack().back();
        seen.originX = top(0, 2);
        seen.originY = top(1, 2);
        seen.m00 = top(0, 0);
    }
    if (seen.clips > 0)
        seen.clip = graphics->GetClipStack().back().GetBoundingRect();
    g_pSeen->push_back(seen);
}

TEST_F(FrameTasksTest, RenderVisitDrawsNodesInTheirParentsFrameUnderTheirOwnClip) {
    auto* moved = new Sprite(10.0f, 5.0f, 4.0f, 4.0f);
    moved->SetName("moved");
    GameTree::LinkNodeUnder(m_pTree, moved);
    auto* clipper = new Sprite(30.0f, 0.0f, 40.0f, 40.0f);
    clipper->SetName("clipper");
    clipper->SetClipRect(30.0f, 0.0f, 20.0f, 20.0f);  // in the frame clipper is placed in
    GameTree::LinkNodeUnder(moved, clipper);
    Add(clipper, "in-clip");
    Add(moved, "after-clip");
    GameNode* hidden = Add(m_pTree, "hidden");
    hidden->SetVisible(false);
    Add(hidden, "under-hidden");
    GameNode* gone = Add(m_pTree, "gone");
    gone->SetObsolete(true);
    GameNode* plain = Add(m_pTree, "plain");
    plain->SetLocation(3.0f, 4.0f);
    Add(plain, "in-plain");
    auto* turned = new Sprite(0.0f, 0.0f, 4.0f, 4.0f);
    turned->SetName("turned");
    turned->SetRotation(static_cast<float>(M_PI));
    GameTree::LinkNodeUnder(m_pTree, turned);
    Add(turned, "in-turned");

    std::vector<Seen> seen;
    g_pSeen = &seen;
    SmartPtr<Graphics> graphics(new Graphics(nullptr));
    TaskRender::VisitAllChildren(m_pTree, graphics, &TaskRender::IsValidNode, &RecordNode);
    g_pSeen = nullptr;

    std::vector<std::string> order;
    for (const Seen& s : seen)
        order.push_back(s.name);
    EXPECT_EQ(order, (Names{"", "moved", "clipper", "in-clip", "after-clip", "plain", "in-plain", "turned",
                            "in-turned"}));
    // A node draws in its parent's frame; its children in its own.
    EXPECT_EQ(seen[1].originX, 0.0f);
    EXPECT_EQ(seen[2].originX, 10.0f);
    EXPECT_EQ(seen[3].originX, 40.0f);
    EXPECT_EQ(seen[3].originY, 5.0f);
    EXPECT_EQ(seen[6].originX, 3.0f);
    EXPECT_EQ(seen[6].originY, 4.0f);
    EXPECT_EQ(seen[7].m00, 1.0f);
    EXPECT_NEAR(seen[8].m00, -1.0f, 1e-6f) << "a turned sprite at the origin still turns its children";
    EXPECT_TRUE(graphics->GetTransformationStack().empty());
    // The clip is placed by the parent's frame and holds for the node and
    // its children only.
    EXPECT_EQ(seen[1].clips, 0);
    ASSERT_EQ(seen[2].clips, 1);
    EXPECT_EQ(seen[2].clip.x, 40.0f);
    EXPECT_EQ(seen[2].clip.y, 5.0f);
    EXPECT_EQ(seen[2].clip.width, 20.0f);
    EXPECT_EQ(seen[3].clips, 1);
    EXPECT_EQ(seen[4].clips, 0);
    EXPECT_TRUE(graphics->GetClipStack().empty());
}

}  // namespace
