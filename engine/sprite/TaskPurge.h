#pragma once
// The frame's clean-up: nodes marked obsolete leave the game tree and are
// released with everything below them; the animation tree retires what is
// finished or obsolete.
#include "engine/core/SmartPtr.h"
#include "engine/framework/iTask.h"

namespace ZQ2 {

class AnimTree;
class GameNode;
class GameTree;

class TaskPurge : public iTask {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Either tree may be null; the task keeps a reference to each.
    TaskPurge(GameTree* gameTree, AnimTree* animTree);
    ~TaskPurge() override;

    const RTTI& GetRTTI() const override { return rtti; }
    void OnUpdate(int deltaMs) override;

    // Children first; an obsolete node is unlinked and released, and its
    // children go with it. A node without a parent (a root) is never released
    // here: it is not the tree's to drop.
    static void PurgeTree(GameNode* node);

private:
    SmartPtr<GameTree> m_pGameTree;
    SmartPtr<AnimTree> m_pAnimTree;
};

}  // namespace ZQ2
