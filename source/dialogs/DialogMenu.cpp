#include "source/dialogs/DialogMenu.h"

#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "source/dialogs/DialogYesNo.h"
#include "source/main/DelvorMain.h"
#include "source/scenes/SceneGame.h"

using namespace ZQ2;

const char* const DIALOG_STOP_GAME = "TEXT_MENU_STOP";

const RTTI* const DialogMenu::rttis[] = {&DialogDelvor::rtti, nullptr};
const RTTI DialogMenu::rtti("DialogMenu", DialogMenu::rttis);

ObjectInitializer DialogMenu::m_ObjectInitializer("DialogMenu", &DialogMenu::OnData);

namespace {

const char* const kStopHeader = "TEXT_MENU_STOP_HEADER";
const char* const kHelpSection = "help";

Scene* CurrentScene() { return SceneManager::g_Instance ? SceneManager::g_Instance->GetCurrentScene() : nullptr; }

// The give-up question; yes leaves the level for the next-scene name.
void AskToStop() {
    Scene* scene = CurrentScene();
    if (!scene)
        return;
    DialogYesNo* question = CreateYesNoDialog(DIALOG_STOP_GAME, kStopHeader, scene, &SceneGame::OnStop, nullptr,
                                              &DialogDelvor::CreateStandardHideAnimation, scene);
    if (question)
        scene->ActivateDialog(question);
}

}  // namespace

DialogMenu::DialogMenu(AbstractProperty* data) : DialogDelvor(data) {
    BindComponent("BUTTON_HELP", this, &DialogMenu::OnHelpClick);
    BindComponent("BUTTON_SETTINGS", this, &DialogMenu::OnSettingsClick);
    BindComponent("BUTTON_MAIN", this, &DialogMenu::OnStopClick);
    BindComponent("BUTTON_MAPSCREEN", this, &DialogMenu::OnMapClick);
    BindComponent("BUTTON_RESUME", this, &DialogMenu::OnResumeClick);
}

BaseObject* DialogMenu::OnData(AbstractProperty* data) { return new DialogMenu(data); }

void DialogMenu::OnActivate() {
    DialogDelvor::OnActivate();
    CreateStandardShowAnimation();
}

Dialog* DialogMenu::OpenOnCurrentScene(const char* key) {
    Scene* scene = CurrentScene();
    if (!scene)
        return nullptr;
    Dialog* dialog = scene->GetDialog(key);
    if (!dialog)
        dialog = scene->ConstructDialog(key);
    if (dialog)
        scene->ActivateDialog(dialog);
    return dialog;
}

void DialogMenu::OnResumeClick(BaseObject* dialog, BaseObject*) {
    auto* self = DynamicCast<DialogMenu>(dialog);
    if (!self)
        return;
    self->SetTargetAndMethod(CurrentScene(), &SceneGame::OnDialogMenuOrPauseClosed);
    self->CreateStandardHideAnimation();
}

void DialogMenu::OnHelpClick(BaseObject*, BaseObject*) {
    // The main loop stands still until the help pictures are in.
    DelvorMain::WaitForSection(kHelpSection);
    OpenOnCurrentScene("DIALOG_HELP");
}

void DialogMenu::OnSettingsClick(BaseObject*, BaseObject*) { OpenOnCurrentScene("DIALOG_SETTINGS"); }

void DialogMenu::OnStopClick(BaseObject*, BaseObject*) {
    AskToStop();
    SceneGame::g_strNextScreen = "SCENE_SELECTION";
}

void DialogMenu::OnMapClick(BaseObject*, BaseObject*) {
    AskToStop();
    DelvorMain::SetReplayStage(false);
    SceneGame::g_strNextScreen = "SCENE_MAP";
}
