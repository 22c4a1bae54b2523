#include "engine/sprite/TaskPurge.h"

#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"

namespace ZQ2 {

const RTTI* const TaskPurge::rttis[] = {&iTask::rtti, nullptr};
const RTTI TaskPurge::rtti("TaskPurge", TaskPurge::rttis);

TaskPurge::TaskPurge(GameTree* gameTree, AnimTree* animTree) : m_pGameTree(gameTree), m_pAnimTree(animTree) {}

TaskPurge::~TaskPurge() = default;

void TaskPurge::OnUpdate(int) {
    if (m_pGameTree)
        PurgeTree(m_pGameTree);
    if (m_pAnimTree)
        m_pAnimTree->PurgeAnimTree();
}

void TaskPurge::PurgeTree(GameNode* node) {
    if (!node)
        return;
    // The next sibling is read first: a purged child loses its links.
    for (GameNode* child = node->GetFirstChild(); child;) {
        GameNode* next = child->GetNextSibling();
        PurgeTree(child);
        child = next;
    }
    if (!node->IsObsolete() || !node->GetParent())
        return;
    // Unlinks the node and clears its parent and sibling links; the tree's
    // reference stays with us and is dropped below, taking the children along.
    GameTree::PrepareNodeForInsertion(node);
    node->SetObsolete(false);
    node->Release();
}

}  // namespace ZQ2
