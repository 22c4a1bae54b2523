#include "engine/scene/SceneTransition.h"

#include "engine/framework/GameWindow.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/Renderer.h"
#include "engine/scene/SceneManager.h"
#include "engine/sprite/TaskRender.h"

namespace ZQ2 {

const RTTI* const SceneTransition::rttis[] = {&Scene::rtti, nullptr};
const RTTI SceneTransition::rtti("SceneTransition", SceneTransition::rttis);

ObjectInitializer SceneTransition::m_ObjectInitializer("SceneTransition", &SceneTransition::OnData);

SceneTransition::SceneTransition(AbstractProperty* data) : Scene(data) {}

BaseObject* SceneTransition::OnData(AbstractProperty* data) { return new SceneTransition(data); }

void SceneTransition::InitWithScenes(Scene* from, Scene* to) {
    m_pFromScene = from;
    m_pToScene = to;
}

void SceneTransition::OnActivate() {
    if (m_pFromScene)
        m_pFromScene->SetInputListenerActive(false);
    Scene::OnActivate();
}

void SceneTransition::ActivateNextScene() {
    if (m_pFromScene)
        m_pFromScene->OnDeactivate();
    if (m_pToScene)
        m_pToScene->OnActivate();
}

void SceneTransition::GotoNextScene() {
    if (SceneManager::g_Instance)
        SceneManager::g_Instance->EnterScene(m_pToScene);
}

void SceneTransition::OnLoaded(BaseObject* target, BaseObject*) {
    if (auto* transition = DynamicCast<SceneTransition>(target))
        transition->GotoNextScene();
}

SmartPtr<Image> SceneTransition::CreateSceneImage(Scene* scene) {
    if (!scene || !Renderer::g_Instance || !GameWindow::g_Instance)
        return nullptr;
    SmartPtr<Image> image(Renderer::g_Instance->CreateImageUnmanaged(GameWindow::g_Instance->GetWidth(),
                                                                     GameWindow::g_Instance->GetHeight(), false, 1, 1));
    if (!image)
        return nullptr;
    SmartPtr<Graphics> graphics(image->CreateGraphics());
    if (graphics) {
        scene->SetVisible(true);
        graphics->BeginBatch();
        TaskRender::Render(scene, graphics);
        graphics->EndBatch();
        scene->SetVisible(false);
    }
    return image;
}

}  // namespace ZQ2
