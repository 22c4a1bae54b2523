#pragma once
// A scene the scene manager puts between the scene being left and the one
// being entered: it draws over all scenes, runs its effect, activates the
// next scene when the effect chooses and finally enters it. This base has no
// effect and never ends; the alpha and fade-to-colour transitions derive.
#include "engine/core/SmartPtr.h"
#include "engine/scene/Scene.h"

namespace ZQ2 {

class Image;

class SceneTransition : public Scene {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit SceneTransition(AbstractProperty* data);

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }

    // The scene left takes no input from now on.
    void OnActivate() override;
    virtual void InitWithScenes(Scene* from, Scene* to);
    // The scene left is deactivated and the one to come activated.
    virtual void ActivateNextScene();
    // The manager enters the scene to come at its next update.
    virtual void GotoNextScene();

    // Timed-call callback: the target transition goes to its next scene.
    static void OnLoaded(BaseObject* target, BaseObject* sender);
    // A picture of the scene as it stands, the size of the game window; null
    // without a renderer and window.
    static SmartPtr<Image> CreateSceneImage(Scene* scene);

    Scene* GetFromScene() const { return m_pFromScene; }
    Scene* GetToScene() const { return m_pToScene; }

protected:
    // Both scenes are held while the transition runs: the scene to come may
    // be in no catalogue.
    SmartPtr<Scene> m_pFromScene;
    SmartPtr<Scene> m_pToScene;
};

}  // namespace ZQ2
