#include "engine/sprite/TaskTickUpdate.h"

#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"

namespace ZQ2 {

const RTTI* const TaskTickUpdate::rttis[] = {&iTask::rtti, nullptr};
const RTTI TaskTickUpdate::rtti("TaskTickUpdate", TaskTickUpdate::rttis);

TaskTickUpdate::TaskTickUpdate(GameTree* gameTree, AnimTree* animTree)
    : m_pGameTree(gameTree), m_pAnimTree(animTree) {}

TaskTickUpdate::~TaskTickUpdate() = default;

void TaskTickUpdate::OnUpdate(int deltaMs) {
    if (m_pGameTree)
        GameTree::TickSubtree(m_pGameTree, deltaMs);
    if (m_pAnimTree)
        m_pAnimTree->VisitAnimTree(deltaMs);
}

}  // namespace ZQ2
