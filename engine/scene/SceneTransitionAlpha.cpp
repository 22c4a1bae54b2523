#include "engine/scene/SceneTransitionAlpha.h"

#include "engine/graphics/Image.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/modifier/ModifierAlpha.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/resource/ResourceManager.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Sprite.h"

namespace ZQ2 {

const RTTI* const SceneTransitionAlpha::rttis[] = {&SceneTransition::rtti, nullptr};
const RTTI SceneTransitionAlpha::rtti("SceneTransitionAlpha", SceneTransitionAlpha::rttis);

ObjectInitializer SceneTransitionAlpha::m_ObjectInitializer("AlphaTransition", &SceneTransitionAlpha::OnData);

const char* const PROP_TIME = "time";
const char* const PROP_WAIT = "wait";

SceneTransitionAlpha::SceneTransitionAlpha(AbstractProperty* data) : SceneTransition(data) {
    if (data)
        SetProperties(data->ToNode());
}

BaseObject* SceneTransitionAlpha::OnData(AbstractProperty* data) { return new SceneTransitionAlpha(data); }

void SceneTransitionAlpha::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_TIME))
        m_nTime = data->GetValue(PROP_TIME)->ToInt();
    if (data->HasProperty(PROP_WAIT))
        m_bWait = data->GetValue(PROP_WAIT)->ToBoolean();
}

void SceneTransitionAlpha::Tick(int) {
    if (m_pSnapshot)
        return;
    if (m_bWait && ResourceManager::g_Instance && !ResourceManager::g_Instance->IsComplete())
        return;
    SmartPtr<Image> picture = CreateSceneImage(m_pFromScene);
    m_pSnapshot = new Sprite(0.0f, 0.0f, picture.Get());
    m_pSnapshot->SetName("snapshot");
    GameTree::LinkNodeUnder(this, m_pSnapshot);
    Modifier* fade = AnimTree::LinkNodeUnder(GetAnimContainer(), new ModifierAlpha(255, 0, m_nTime), m_pSnapshot);
    AnimTree::LinkNodeUnder(fade, new ModifierFunction(this, &SceneTransition::OnLoaded, std::string()), m_pSnapshot);
    ActivateNextScene();
    if (m_pToScene)
        m_pToScene->SetVisible(true);
}

}  // namespace ZQ2
