#pragma once
// The frame's tick: every node of the game tree, then every modifier of the
// animation tree, advances by the frame's milliseconds.
#include "engine/core/SmartPtr.h"
#include "engine/framework/iTask.h"

namespace ZQ2 {

class AnimTree;
class GameTree;

class TaskTickUpdate : public iTask {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Either tree may be null; the task keeps a reference to each.
    TaskTickUpdate(GameTree* gameTree, AnimTree* animTree);
    ~TaskTickUpdate() override;

    const RTTI& GetRTTI() const override { return rtti; }
    void OnUpdate(int deltaMs) override;

private:
    SmartPtr<GameTree> m_pGameTree;
    SmartPtr<AnimTree> m_pAnimTree;
};

}  // namespace ZQ2
