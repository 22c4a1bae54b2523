#include "source/scenes/SceneGame.h"

#include "engine/resource/ResourceManager.h"
#include "engine/scene/SceneManager.h"
#include "engine/sprite/Dialog.h"
#include "source/main/DelvorMain.h"

const ZQ2::RTTI* const SceneGame::rttis[] = {&SceneDelvor::rtti, nullptr};
const ZQ2::RTTI SceneGame::rtti("SceneGame", SceneGame::rttis);

ZQ2::ObjectInitializer SceneGame::m_ObjectInitializer("SceneGame", &SceneGame::OnData);

std::string SceneGame::g_strNextScreen;

SceneGame::SceneGame(ZQ2::AbstractProperty* data) : SceneDelvor(data) {}

ZQ2::BaseObject* SceneGame::OnData(ZQ2::AbstractProperty* data) { return new SceneGame(data); }

void SceneGame::OnDialogMenuOrPauseClosed(ZQ2::BaseObject*, ZQ2::BaseObject* dialog) {
    ZQ2::Dialog::CloseDialog_Callback(dialog, nullptr);
}

void SceneGame::OnStop(ZQ2::BaseObject*, ZQ2::BaseObject*) {
    if (ZQ2::ResourceManager::g_Instance)
        ZQ2::ResourceManager::g_Instance->ClearLoadProgress();
    DelvorMain::m_nPrevCountry = DelvorMain::m_nCurCountry;
    DelvorMain::m_nPrevDay = DelvorMain::m_nCurDay;
    ZQ2::SceneManager* scenes = ZQ2::SceneManager::g_Instance;
    if (!scenes)
        return;
    scenes->CreateSceneTransition("TRANSITION_DEFAULT");
    scenes->EnterScene(g_strNextScreen);
}
