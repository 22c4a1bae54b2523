#include "source/dialogs/DialogLevelStandIn.h"

#include "source/main/DelvorMain.h"
#include "source/scenes/SceneGame.h"

using namespace ZQ2;

const RTTI* const DialogLevelStandIn::rttis[] = {&DialogDelvor::rtti, nullptr};
const RTTI DialogLevelStandIn::rtti("DialogLevelStandIn", DialogLevelStandIn::rttis);

ObjectInitializer DialogLevelStandIn::m_StageStartInitializer("DialogStageStart", &DialogLevelStandIn::OnStageStartData);
ObjectInitializer DialogLevelStandIn::m_MiniGameInitializer("DialogMiniGame", &DialogLevelStandIn::OnMiniGameData);
ObjectInitializer DialogLevelStandIn::m_StageEndInitializer("DialogStageEnd", &DialogLevelStandIn::OnStageEndData);

DialogLevelStandIn::DialogLevelStandIn(AbstractProperty* data, Method closed) : DialogDelvor(data), m_pfnClosed(closed) {
    BindComponent("BUTTON_OK", this, &DialogLevelStandIn::OnButton);
}

BaseObject* DialogLevelStandIn::OnStageStartData(AbstractProperty* data) {
    return new DialogLevelStandIn(data, &DialogLevelStandIn::OnStageStartClosed);
}

BaseObject* DialogLevelStandIn::OnMiniGameData(AbstractProperty* data) {
    return new DialogLevelStandIn(data, &DialogLevelStandIn::OnMiniGameClosed);
}

BaseObject* DialogLevelStandIn::OnStageEndData(AbstractProperty* data) {
    return new DialogLevelStandIn(data, &DialogLevelStandIn::OnStageEndClosed);
}

void DialogLevelStandIn::OnActivate() {
    DialogDelvor::OnActivate();
    m_bClosing = false;
    CreateStandardShowAnimation();
}

bool DialogLevelStandIn::OnMouseLeftUp(const MouseMessageData& m) {
    DialogDelvor::OnMouseLeftUp(m);
    Close();
    return true;
}

void DialogLevelStandIn::OnButton(BaseObject* dialog, BaseObject*) {
    if (auto* self = DynamicCast<DialogLevelStandIn>(dialog))
        self->Close();
}

// A second click while the dialog fades changes nothing.
void DialogLevelStandIn::Close() {
    if (m_bClosing)
        return;
    m_bClosing = true;
    SetTargetAndMethod(nullptr, m_pfnClosed);
    CreateStandardHideAnimation();
}

void DialogLevelStandIn::OnStageStartClosed(BaseObject*, BaseObject*) {
    SceneGame* level = SceneGame::GetCurrentLevel();
    if (level && level->GetGameState() == SceneGame::STATE_START_DIALOG)
        level->OnStartStageDialogClosed();
}

void DialogLevelStandIn::OnMiniGameClosed(BaseObject*, BaseObject*) {
    SceneGame* level = SceneGame::GetCurrentLevel();
    if (level && level->GetGameState() == SceneGame::STATE_MINIGAME)
        level->OnMiniGameClosed();
}

// The day goes on to the map, whose Play starts the day the play position
// now names: the next one after a won day, the same one after a lost day.
void DialogLevelStandIn::OnStageEndClosed(BaseObject*, BaseObject*) {
    SceneGame* level = SceneGame::GetCurrentLevel();
    if (!level || level->GetGameState() != SceneGame::STATE_END_DIALOG)
        return;
    const bool won = level->ExceededGoal();
    level->OnStageEndDialogClosed();
    SceneGame::g_strNextScreen = "SCENE_MAP";
    // Stopping records the day just played as the previous one, which the
    // map's Play removes; only then does the position move on.
    SceneGame::OnStop(level, nullptr);
    DelvorMain::MoveOnAfterDay(level->GetCountry(), level->GetDay(), won);
}
