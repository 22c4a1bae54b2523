#include "engine/scene/SceneTransitionFadeBlack.h"

#include "engine/core/Platform.h"
#include "engine/framework/GameWindow.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/modifier/ModifierAlpha.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/SceneTransitionAlpha.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Label.h"

namespace ZQ2 {

const RTTI* const SceneTransitionFadeBlack::rttis[] = {&SceneTransition::rtti, nullptr};
const RTTI SceneTransitionFadeBlack::rtti("SceneTransitionFadeBlack", SceneTransitionFadeBlack::rttis);

ObjectInitializer SceneTransitionFadeBlack::m_ObjectInitializer("FadeBlackTransition",
                                                                &SceneTransitionFadeBlack::OnData);

const char* const PROP_SHOWTIME = "showtime";

namespace {
// The same word as the tooltip's key, kept local to this layer.
const char* const kShowDelayKey = "showdelay";
}  // namespace
const char* const LOADING_LABEL_NAME = "LOADING_LABEL";

SceneTransitionFadeBlack::SceneTransitionFadeBlack(AbstractProperty* data) : SceneTransition(data) {
    SetColor(0);
    if (data)
        SetProperties(data->ToNode());
    SetAlpha(0);
    if (GameWindow::g_Instance)
        SetDimension(static_cast<float>(GameWindow::g_Instance->GetWidth()),
                     static_cast<float>(GameWindow::g_Instance->GetHeight()));
    SetUseColorToFillPolygon(true);
}

BaseObject* SceneTransitionFadeBlack::OnData(AbstractProperty* data) { return new SceneTransitionFadeBlack(data); }

void SceneTransitionFadeBlack::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_COLOR))
        SetColor(data->GetValue(PROP_COLOR)->ToInt());
    if (data->HasProperty(PROP_TIME))
        m_nFadeTime = data->GetValue(PROP_TIME)->ToInt();
    if (data->HasProperty(PROP_WAIT))
        m_bWait = data->GetValue(PROP_WAIT)->ToBoolean();
    if (data->HasProperty(kShowDelayKey))
        m_nShowDelay = data->GetValue(kShowDelayKey)->ToInt();
    if (data->HasProperty(PROP_SHOWTIME))
        m_nShowTime = data->GetValue(PROP_SHOWTIME)->ToInt();
}

bool SceneTransitionFadeBlack::IsLoading() {
    return ResourceManager::g_Instance && !ResourceManager::g_Instance->IsComplete();
}

void SceneTransitionFadeBlack::OnEnter() {
    SceneTransition::OnEnter();
    Modifier* cover = AnimTree::LinkNodeUnder(GetAnimContainer(), new ModifierAlpha(0, 255, m_nFadeTime), this);
    AnimTree::LinkNodeUnder(cover, new ModifierFunction(this, &SceneTransitionFadeBlack::OnBlackened, std::string()),
                            this);
    if (m_pFromScene)
        m_pFromScene->SetVisible(true);
    m_pLoadingLabel = DynamicCast<Label>(GetComponent(LOADING_LABEL_NAME));
    if (!m_pLoadingLabel)
        return;
    m_pLoadingLabel->SetAlpha(0);
    m_strLabelText = m_pLoadingLabel->GetText();
    GameTree::LinkNodeUnder(this, m_pLoadingLabel);
}

void SceneTransitionFadeBlack::OnBlackened(BaseObject* target, BaseObject*) {
    if (auto* transition = DynamicCast<SceneTransitionFadeBlack>(target))
        transition->m_nPhase = PHASE_COVERED;
}

void SceneTransitionFadeBlack::Tick(int deltaMs) {
    // The scene left stays on screen under the growing colour.
    if (m_nPhase == PHASE_COVERING && m_pFromScene)
        m_pFromScene->SetVisible(true);
    if (m_nPhase != PHASE_COVERED)
        return;
    if (m_pLoadingLabel)
        ShowLoadingLabel(deltaMs);
    if (m_bWait && IsLoading()) {
        Platform::Sleep(LOADER_WAIT_MS);
        return;
    }
    // A label that has appeared stays at least its show time.
    if (m_pLoadingLabel && m_nShowDelay < 1 && m_nShowTime > 0)
        return;
    m_nPhase = PHASE_UNCOVERING;
    OnBlackenedAndLoaded();
}

void SceneTransitionFadeBlack::ShowLoadingLabel(int deltaMs) {
    if (m_nShowDelay >= 0) {
        m_nShowDelay -= deltaMs;
        if (m_nShowDelay >= 0)
            return;
        m_pLoadingLabel->AddModifier(new ModifierAlpha(0, 255, LABEL_FADE_IN_MS));
        m_pLoadingLabel->SetText(m_strLabelText);
        return;
    }
    m_nShowTime -= deltaMs;
    m_nDotTimer = (m_nDotTimer + deltaMs) % DOT_CYCLE_MS;
    m_pLoadingLabel->SetText(m_strLabelText + std::string(m_nDotTimer / DOT_STEP_MS, '.'));
}

void SceneTransitionFadeBlack::OnBlackenedAndLoaded() {
    ActivateNextScene();
    Modifier* uncover = AnimTree::LinkNodeUnder(GetAnimContainer(), new ModifierAlpha(255, 0, m_nFadeTime), this);
    AnimTree::LinkNodeUnder(uncover, new ModifierFunction(this, &SceneTransition::OnLoaded, std::string()), this);
    if (m_pFromScene)
        m_pFromScene->SetVisible(false);
    if (m_pToScene)
        m_pToScene->SetVisible(true);
    if (m_pLoadingLabel)
        m_pLoadingLabel->AddModifier(new ModifierAlpha(m_pLoadingLabel->GetAlpha(), 0, m_nFadeTime));
}

}  // namespace ZQ2
