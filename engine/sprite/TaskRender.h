#pragma once
// The frame's drawing: the game tree, depth first, into the back buffer's
// drawing context in one batch; then the frame is shown.
#include "engine/core/SmartPtr.h"
#include "engine/framework/iTask.h"

namespace ZQ2 {

class GameNode;
class GameTree;
class Graphics;

class TaskRender : public iTask {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    using IsValidFunction = bool (*)(GameNode* node);
    using RenderFunction = void (*)(GameNode* node, Graphics* graphics);

    // The tree may be null; the task keeps a reference to it.
    explicit TaskRender(GameTree* gameTree);
    ~TaskRender() override;

    const RTTI& GetRTTI() const override { return rtti; }
    void OnUpdate(int deltaMs) override;

    // Draws node and its subtree into graphics, without opening a batch.
    static void Render(GameNode* node, Graphics* graphics);
    // A node that fails isValid is skipped with its subtree. A node draws
    // under its own clip polygon in its parent's frame; its children draw in
    // its frame, later siblings over earlier ones.
    static void VisitAllChildren(GameNode* node, Graphics* graphics, IsValidFunction isValid, RenderFunction render);
    // Visible and not obsolete.
    static bool IsValidNode(GameNode* node);
    // Draws a node that is renderable.
    static void RenderNode(GameNode* node, Graphics* graphics);

private:
    SmartPtr<GameTree> m_pGameTree;
};

}  // namespace ZQ2
