#include "source/scenes/SceneSelection.h"

#include "engine/io/PlayerManager.h"
#include "engine/sprite/Label.h"
#include "source/main/DelvorMain.h"

const char* const BUTTON_QUIT = "BUTTON_QUIT";
const char* const LABEL_PLAYERNAME = "LABEL_PLAYERNAME";

const ZQ2::RTTI* const SceneSelection::rttis[] = {&SceneDelvor::rtti, nullptr};
const ZQ2::RTTI SceneSelection::rtti("SceneSelection", SceneSelection::rttis);

ZQ2::ObjectInitializer SceneSelection::m_ObjectInitializer("SceneSelection", &SceneSelection::OnData);

SceneSelection::SceneSelection(ZQ2::AbstractProperty* data) : SceneDelvor(data) {}

ZQ2::BaseObject* SceneSelection::OnData(ZQ2::AbstractProperty* data) { return new SceneSelection(data); }

void SceneSelection::Initialize() {
    SceneDelvor::Initialize();
    BindComponent(BUTTON_QUIT, this, &DelvorMain::ShowQuitMessage);
    UpdatePlayerInfo();
}

void SceneSelection::UpdatePlayerInfo() {
    auto* label = ZQ2::DynamicCast<ZQ2::Label>(GetComponent(LABEL_PLAYERNAME));
    if (!label)
        return;
    const ZQ2::PlayerManager* players = ZQ2::PlayerManager::g_Instance;
    const ZQ2::AbstractPlayer* player = players ? players->GetCurrentPlayer() : nullptr;
    label->SetText(player ? std::string(player->GetName()) : std::string());
}
