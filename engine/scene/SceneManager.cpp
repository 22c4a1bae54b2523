#include "engine/scene/SceneManager.h"

#include <lua.hpp>

#include "engine/framework/TaskManager.h"
#include "engine/io/DataManager.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneTransition.h"
#include "engine/script/Lua.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/InputHandler.h"
#include "engine/sprite/LuaAnimationChain.h"
#include "engine/sprite/SceneStandIn.h"

namespace ZQ2 {

const RTTI* const SceneManager::rttis[] = {&iTask::rtti, nullptr};
const RTTI SceneManager::rtti("SceneManager", SceneManager::rttis);

namespace {

struct GlobalJob {
    const char* m_pName;
    GameNode* m_pNode;
};

int PublishGlobal(lua_State* L) {
    auto* job = static_cast<GlobalJob*>(lua_touserdata(L, 1));
    lua_pushstring(L, job->m_pName);
    if (job->m_pNode)
        job->m_pNode->PushLuaObject(L);
    else
        lua_pushnil(L);
    lua_rawset(L, LUA_GLOBALSINDEX);
    return 0;
}

// Scripts reach the scenes through globals; nothing happens without Lua.
void SetLuaGlobal(const char* name, GameNode* node) {
    lua_State* L = Lua::g_Instance ? Lua::g_Instance->GetState() : nullptr;
    if (!L)
        return;
    GlobalJob job{name, node};
    if (lua_cpcall(L, PublishGlobal, &job) != 0)
        lua_pop(L, 1);
}

// What the catalogue of scenes builds under that name, when it is of type T.
template <class T>
SmartPtr<T> ConstructSceneOfType(const std::string& name) {
    if (!DataManager::g_Instance)
        return nullptr;
    SmartPtr<BaseObject> object(DataManager::g_Instance->ConstructScene(name));
    return DynamicCast<T>(object.Get());
}

// Script animations whose chain is gone start anew in the scene shown (the
// target of a running transition), or at the tree's root without a scene or
// a manager.
Modifier* CurrentSceneContainer() {
    Scene* scene = SceneManager::g_Instance ? SceneManager::g_Instance->GetCurrentMainScene() : nullptr;
    if (scene)
        return scene->GetAnimContainer();
    return AnimTree::g_Instance;
}

}  // namespace

SceneManager::SceneManager(GameTree* gameTree, AnimTree* animTree)
    : m_pScenesNode(new GameNode("ScenesNode")), m_pScenesContainer(new ModifierContainer("Scene Manager", false)) {
    if (gameTree)
        GameTree::LinkNodeUnder(gameTree, m_pScenesNode);
    if (animTree)
        AnimTree::LinkNodeUnder(animTree, m_pScenesContainer);
    SetLuaGlobal("scenes", m_pScenesNode);
}

SceneManager::~SceneManager() {
    m_pScenesNode->SetObsolete(true);
    m_pScenesContainer->SetObsolete(true);
    // Linked nowhere (no animation tree), nothing else lets go of the links
    // it holds to the scenes' containers.
    if (!m_pScenesContainer->IsInAnimTree())
        AnimTree::ReleaseChildren(m_pScenesContainer);
    if (g_Instance == this)
        g_Instance = nullptr;
}

void SceneManager::CreateInstance() {
    g_Instance = new SceneManager(GameTree::g_Instance, AnimTree::g_Instance);
    g_Instance->AddRef();
    LuaAnimationChain::SetContainerSource(&CurrentSceneContainer);
}

Scene* SceneManager::CreateScene(const std::string& name) {
    SmartPtr<Scene> scene = ConstructSceneOfType<Scene>(name);
    if (!scene)
        return nullptr;
    AddScene(name, scene);
    return scene;
}

void SceneManager::AddScene(const std::string& name, Scene* scene) {
    if (!scene)
        return;
    scene->SetName(name);
    m_Scenes[name] = scene;
    GameTree::LinkNodeUnder(m_pScenesNode, scene);
    AnimTree::LinkNodeUnder(m_pScenesContainer, scene->GetAnimContainer());
}

Scene* SceneManager::GetScene(const std::string& name) const {
    auto found = m_Scenes.find(name);
    return found == m_Scenes.end() ? nullptr : found->second.Get();
}

void SceneManager::EnterScene(Scene* scene) { m_pPendingScene = scene; }

void SceneManager::EnterScene(const std::string& name) { EnterScene(GetScene(name)); }

void SceneManager::RemoveScene(Scene* scene) {
    if (!scene)
        return;
    SmartPtr<Scene> hold(scene);
    scene->SetObsolete(true);
    auto found = m_Scenes.find(scene->GetName());
    if (found != m_Scenes.end() && found->second.Get() == scene)
        m_Scenes.erase(found);
}

void SceneManager::RemoveScene(const std::string& name) { RemoveScene(GetScene(name)); }

void SceneManager::SetSceneTransition(SceneTransition* transition) {
    // One set earlier and never run would stay linked above the scenes; one
    // that runs goes when its switch ends.
    if (m_pTransition && m_pTransition.Get() != transition && !IsTransitionCurrent())
        DropTransition(m_pTransition);
    m_pTransition = transition;
    if (!transition)
        return;
    GameTree::LinkNodeUnder(m_pScenesNode, transition);
    AnimTree::LinkNodeUnder(m_pScenesContainer, transition->GetAnimContainer());
}

SceneTransition* SceneManager::CreateSceneTransition(const std::string& name) {
    SmartPtr<SceneTransition> transition = ConstructSceneOfType<SceneTransition>(name);
    if (!transition)
        return nullptr;
    SetSceneTransition(transition);
    return transition;
}

Scene* SceneManager::GetCurrentMainScene() const {
    auto* transition = DynamicCast<SceneTransition>(m_pCurrentScene.Get());
    return transition ? transition->GetToScene() : m_pCurrentScene.Get();
}

void SceneManager::SetTaskManager(TaskManager* taskManager) { m_pTaskManager = taskManager; }

void SceneManager::OnUpdate(int) {
    PurgeObsoleteScenes();
    if (!m_pCurrentScene) {
        if (m_pPendingScene)
            GotoNextScene();
        return;
    }
    if (m_pCurrentScene->GetState() == Scene::STATE_ENTERED && m_pPendingScene) {
        GotoNextScene();
        DeactivatePrevScene();
    }
}

void SceneManager::PurgeObsoleteScenes() {
    for (auto it = m_Scenes.begin(); it != m_Scenes.end();) {
        if (it->second->IsObsolete() && it->second->GetState() != Scene::STATE_ENTERED)
            it = m_Scenes.erase(it);
        else
            ++it;
    }
}

bool SceneManager::IsTransitionCurrent() const {
    return m_pTransition && static_cast<Scene*>(m_pTransition.Get()) == m_pCurrentScene.Get();
}

SceneTransition* SceneManager::GetRunningTransition() const {
    return DynamicCast<SceneTransition>(m_pCurrentScene.Get());
}

// Made obsolete: the trees let go of it, and it then lets go of the scenes
// it came between.
void SceneManager::DropTransition(SceneTransition* transition) {
    transition->SetObsolete(true);
    transition->GetAnimContainer()->SetObsolete(true);
    if (m_pTransition.Get() == transition)
        m_pTransition = nullptr;
}

void SceneManager::GotoNextScene() {
    SmartPtr<Scene> next = m_pPendingScene;
    bool endOfTransition = false;
    // The running transition ends its switch even when another one has been
    // set meanwhile: that one serves the switch after.
    if (SceneTransition* running = GetRunningTransition()) {
        DropTransition(running);
        endOfTransition = true;
    } else if (m_pTransition) {
        if (m_pCurrentScene) {
            m_pTransition->InitWithScenes(m_pCurrentScene, m_pPendingScene);
            next = static_cast<Scene*>(m_pTransition.Get());
        } else {
            // Nothing to come from: the first scene is entered directly.
            DropTransition(m_pTransition);
        }
    }
    if (!next)
        return;
    m_pPreviousScene = m_pCurrentScene;
    m_pCurrentScene = next;
    m_pPendingScene = nullptr;
    SetLuaGlobal("scene", next);
    if (!endOfTransition)
        next->OnActivate();
    next->OnEnter();
    next->SetState(Scene::STATE_ENTERED);
}

void SceneManager::DeactivatePrevScene() {
    SmartPtr<Scene> previous = m_pPreviousScene;
    m_pPreviousScene = nullptr;
    if (!previous || previous->GetState() != Scene::STATE_ENTERED)
        return;
    InputHandler::ResetInputStateOfChildren(previous);
    // A transition leaves the scene it covers to itself.
    if (!GetRunningTransition())
        previous->OnDeactivate();
}

void RemoveDialogFromCurrentScene(Dialog* dialog) {
    if (!dialog || !SceneManager::g_Instance)
        return;
    if (Scene* scene = SceneManager::g_Instance->GetCurrentMainScene())
        scene->RemoveDialog(dialog);
}

}  // namespace ZQ2
