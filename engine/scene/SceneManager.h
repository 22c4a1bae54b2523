#pragma once
// Keeps the created scenes by name and switches between them once per frame,
// optionally through a transition scene drawn over all the others.
#include <map>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/iInstance.h"
#include "engine/framework/iTask.h"

namespace ZQ2 {

class AnimTree;
class GameNode;
class GameTree;
class ModifierContainer;
class Scene;
class SceneTransition;
class TaskManager;

class SceneManager : public iTask, public iInstance<SceneManager> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Either tree may be null; the scenes are then linked nowhere.
    SceneManager(GameTree* gameTree, AnimTree* animTree);
    ~SceneManager() override;
    SceneManager(const SceneManager&) = delete;
    SceneManager& operator=(const SceneManager&) = delete;

    // Over the trees that exist now.
    static void CreateInstance();

    const RTTI& GetRTTI() const override { return rtti; }

    // Null, adding nothing, when the catalogue of scenes knows no scene of
    // that name.
    Scene* CreateScene(const std::string& name);
    void AddScene(const std::string& name, Scene* scene);
    Scene* GetScene(const std::string& name) const;
    // The switch happens at the next update; null clears the pending scene.
    void EnterScene(Scene* scene);
    void EnterScene(const std::string& name);
    void RemoveScene(Scene* scene);
    void RemoveScene(const std::string& name);

    // The transition serves the next switch only.
    void SetSceneTransition(SceneTransition* transition);
    // Null, setting nothing, when no transition of that name is catalogued.
    SceneTransition* CreateSceneTransition(const std::string& name);
    SceneTransition* GetSceneTransition() const { return m_pTransition; }

    // The current scene, or the target of the transition that is current.
    Scene* GetCurrentMainScene() const;
    Scene* GetCurrentScene() const { return m_pCurrentScene; }
    Scene* GetPreviousScene() const { return m_pPreviousScene; }
    Scene* GetPendingScene() const { return m_pPendingScene; }
    GameNode* GetScenesNode() const { return m_pScenesNode; }
    ModifierContainer* GetScenesContainer() const { return m_pScenesContainer; }
    const std::map<std::string, SmartPtr<Scene> >& GetScenes() const { return m_Scenes; }

    void SetTaskManager(TaskManager* taskManager);

    void OnUpdate(int deltaMs) override;
    void GotoNextScene();
    void DeactivatePrevScene();

private:
    // The set transition is the current scene.
    bool IsTransitionCurrent() const;
    // The current scene when it is a transition, set or since replaced.
    SceneTransition* GetRunningTransition() const;
    void DropTransition(SceneTransition* transition);
    void PurgeObsoleteScenes();

    std::map<std::string, SmartPtr<Scene> > m_Scenes;
    SmartPtr<Scene> m_pPreviousScene;
    SmartPtr<Scene> m_pCurrentScene;
    SmartPtr<Scene> m_pPendingScene;
    SmartPtr<GameNode> m_pScenesNode;
    SmartPtr<ModifierContainer> m_pScenesContainer;
    SmartPtr<SceneTransition> m_pTransition;
    SmartPtr<TaskManager> m_pTaskManager;
};

}  // namespace ZQ2
