#include "source/dialogs/DialogPause.h"

#include "engine/modifier/ModifierDelay.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/main/DelvorMain.h"
#include "source/scenes/SceneGame.h"

using namespace ZQ2;

const RTTI* const DialogPause::rttis[] = {&DialogDelvor::rtti, nullptr};
const RTTI DialogPause::rtti("DialogPause", DialogPause::rttis);

ObjectInitializer DialogPause::m_ObjectInitializer("DialogPause", &DialogPause::OnData);

namespace {

const char* const SECTION_SCENE_GAME = "scenegame";
const char* const kPauseSound = "SOUND_UI_PAUSE";
const char* const kResumeSound = "SOUND_UI_RESUME";

void PlayGameSound(const char* name) {
    if (auto* sound = DynamicCast<Sound>(ResourceLookup::GetResource(name, SECTION_SCENE_GAME)))
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}

}  // namespace

DialogPause::DialogPause(AbstractProperty* data) : DialogDelvor(data) {
    BindComponent("BUTTON_RESUME", this, &DialogPause::OnDialogClose);
    SetPlaySounds(false);
}

BaseObject* DialogPause::OnData(AbstractProperty* data) { return new DialogPause(data); }

void DialogPause::OnActivate() {
    DialogDelvor::OnActivate();
    CreateStandardShowAnimation();
    PlayGameSound(kPauseSound);
    if (SoundManager* sound = SoundManager::g_Instance)
        sound->SetStreamVolumeTimed(0.0f, MUSIC_FADE_MS);
    m_bMutePending = true;
    m_bClosing = false;
    AddModifier(new ModifierDelay(MUTE_DELAY_MS));
    AddModifier(new ModifierFunction(this, &DialogPause::OnAppearFinished, std::string()));
}

bool DialogPause::OnMouseLeftUp(const MouseMessageData&) {
    OnDialogClose(this, nullptr);
    return true;
}

void DialogPause::OnAppearFinished(BaseObject* dialog, BaseObject*) {
    auto* self = DynamicCast<DialogPause>(dialog);
    if (!self || !self->m_bMutePending)
        return;
    self->m_bMutePending = false;
    if (SoundManager* sound = SoundManager::g_Instance)
        sound->SetMuted(true);
}

void DialogPause::OnDialogClose(BaseObject* dialog, BaseObject*) {
    auto* self = DynamicCast<DialogPause>(dialog);
    // A second click during the fade-out changes nothing.
    if (!self || self->m_bClosing)
        return;
    self->m_bClosing = true;
    // A mute still waiting would otherwise run after the unmute below.
    self->m_bMutePending = false;
    if (SoundManager* sound = SoundManager::g_Instance) {
        sound->SetStreamVolumeTimed(1.0f, MUSIC_FADE_MS);
        sound->PlayStream(nullptr, false, RESUME_STREAM_MODE);
    }
    PlayGameSound(kResumeSound);
    if (SoundManager* sound = SoundManager::g_Instance)
        sound->SetMuted(false);
    self->SetTargetAndMethod(DelvorMain::m_SceneGame, &SceneGame::OnDialogMenuOrPauseClosed);
    self->CreateStandardHideAnimation();
}
