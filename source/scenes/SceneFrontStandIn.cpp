#include "source/scenes/SceneFrontStandIn.h"

#include "engine/io/PropertyNode.h"
#include "engine/scene/SceneManager.h"
#include "source/main/DelvorMain.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneGame.h"

using namespace ZQ2;

const RTTI* const SceneFrontStandIn::rttis[] = {&SceneDelvor::rtti, nullptr};
const RTTI SceneFrontStandIn::rtti("SceneFrontStandIn", SceneFrontStandIn::rttis);

ObjectInitializer SceneFrontStandIn::m_ObjectInitializer("SceneFrontStandIn", &SceneFrontStandIn::OnData);

namespace {

const char* const kBack = "BUTTON_BACK";
const char* const kPlay = "BUTTON_PLAY";
const char* const kMenu = "SCENE_SELECTION";
const char* const kMap = "SCENE_MAP";
const char* const kTransition = "TRANSITION_DEFAULT";

void EnterWithTransition(const std::string& name) {
    if (!SceneManager::g_Instance)
        return;
    SceneManager::g_Instance->CreateSceneTransition(kTransition);
    DelvorMain::StartScene(name);
}

}  // namespace

SceneFrontStandIn::SceneFrontStandIn(AbstractProperty* data) : SceneDelvor(data) {}

BaseObject* SceneFrontStandIn::OnData(AbstractProperty* data) { return new SceneFrontStandIn(data); }

void SceneFrontStandIn::Initialize() {
    SceneDelvor::Initialize();
    BindComponent(kBack, this, &SceneFrontStandIn::OnBackClick);
    BindComponent(kPlay, this, &SceneFrontStandIn::OnPlayClick);
}

void SceneFrontStandIn::OnActivate() {
    SceneDelvor::OnActivate();
    if (GetName() == kMap)
        DVUpgradeHandler::UseCurrentPlayer();
}

void SceneFrontStandIn::OnBackClick(BaseObject*, BaseObject*) { EnterWithTransition(kMenu); }

void SceneFrontStandIn::OnPlayClick(BaseObject*, BaseObject*) {
    SceneManager* scenes = SceneManager::g_Instance;
    std::string level;
    if (!scenes || !DelvorMain::GetCurCountryName(level))
        return;
    // The day played before is done with once another one starts; the same
    // day played again starts over in its own scene.
    std::string previous;
    if (DelvorMain::GetPrevCountryName(previous) && previous != level && scenes->GetScene(previous))
        scenes->RemoveScene(previous);
    if (!scenes->GetScene(level) && !scenes->CreateScene(level)) {
        SmartPtr<PropertyNode> data(new PropertyNode(level, "SceneGame"));
        scenes->AddScene(level, new SceneGame(data.Get()));
    }
    EnterWithTransition(level);
}
