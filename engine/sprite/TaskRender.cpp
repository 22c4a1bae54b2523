#include "engine/sprite/TaskRender.h"

#include <cmath>

#include "engine/graphics/Graphics.h"
#include "engine/graphics/GraphicsSettings.h"
#include "engine/graphics/Renderer.h"
#include "engine/math/GameMath.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/iClippable.h"
#include "engine/sprite/iRenderable.h"

namespace ZQ2 {

const RTTI* const TaskRender::rttis[] = {&iTask::rtti, nullptr};
const RTTI TaskRender::rtti("TaskRender", TaskRender::rttis);

TaskRender::TaskRender(GameTree* gameTree) : m_pGameTree(gameTree) {}

TaskRender::~TaskRender() = default;

void TaskRender::OnUpdate(int) {
    Renderer* renderer = Renderer::g_Instance;
    Graphics* graphics = renderer ? renderer->GetBackBufferGraphics() : nullptr;
    if (!graphics)
        return;
    graphics->BeginBatch();
    if (m_pGameTree)
        VisitAllChildren(m_pGameTree, graphics, &IsValidNode, &RenderNode);
    if (graphics->EndBatch())
        renderer->Flip();
}

void TaskRender::Render(GameNode* node, Graphics* graphics) {
    if (node && graphics)
        VisitAllChildren(node, graphics, &IsValidNode, &RenderNode);
}

bool TaskRender::IsValidNode(GameNode* node) { return node->IsVisible() && !node->IsObsolete(); }

void TaskRender::RenderNode(GameNode* node, Graphics* graphics) {
    if (auto* renderable = ZQ2::QueryInterface<iRenderable>(node))
        renderable->Render(graphics);
}

void TaskRender::VisitAllChildren(GameNode* node, Graphics* graphics, IsValidFunction isValid,
                                  RenderFunction render) {
    if (!isValid(node))
        return;
    bool clipped = false;
    if (auto* clippable = ZQ2::QueryInterface<iClippable>(node)) {
        if (PolygonF* clip = clippable->GetClipPolygon()) {
            graphics->PushClipPolygon(*clip);
            clipped = true;
        }
    }
    render(node, graphics);

    // The node's frame only matters to its children: a leaf pushes nothing,
    // and so spares the building of matrices that nothing would read.
    GameNode* child = node->GetFirstChild();
    if (!child) {
        if (clipped)
            graphics->PopClipPolygon();
        return;
    }
    bool moved = false;
    auto* settings = ZQ2::QueryInterface<GraphicsSettings>(node);
    if (settings && settings->IsTransformCoordiantes()) {
        settings->UpdateTransformations();
        graphics->PushTransformation(settings->GetTransformationMatrix());
        moved = true;
    } else {
        const float x = node->GetX();
        const float y = node->GetY();
        if (std::fabs(x) > GameMath::SMALL_FLOAT || std::fabs(y) > GameMath::SMALL_FLOAT) {
            graphics->PushTranslation(x, y);
            moved = true;
        }
    }

    for (; child; child = child->GetNextSibling())
        VisitAllChildren(child, graphics, isValid, render);

    if (moved)
        graphics->PopTransformation();
    if (clipped)
        graphics->PopClipPolygon();
}

}  // namespace ZQ2
