#include "source/dialogs/DialogSettings.h"

#include "engine/core/Platform.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/SettingsManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"
#include "engine/sprite/ResourceLookup.h"
#include "engine/sprite/Slider.h"
#include "engine/sprite/Switch.h"
#include "source/dialogs/DialogMenu.h"

using namespace ZQ2;

const char* const PROP_SHOWLINK = "SHOWLINK";
const char* const PROP_VISITURL = "VISITURL";

// ---- DelvorGameSettings

const RTTI* const DelvorGameSettings::rttis[] = {&GameSettings::rtti, nullptr};
const RTTI DelvorGameSettings::rtti("DelvorGameSettings", DelvorGameSettings::rttis);

const char* const DelvorGameSettings::DEFAULT_VISIT_URL = "https://www.delvor-game.example/";

DelvorGameSettings::DelvorGameSettings() : m_sVisitURL(DEFAULT_VISIT_URL) {
    GameSettings::SetSoundVolume(1.0f);
    GameSettings::SetMusicVolume(DEFAULT_MUSIC_VOLUME);
}

void DelvorGameSettings::Load(AbstractProperty* node) {
    GameSettings::Load(node);
    PropertyNode* keys = node ? node->ToNode() : nullptr;
    if (!keys)
        return;
    if (keys->HasProperty(PROP_SHOWLINK))
        m_bShowLink = keys->GetValue(PROP_SHOWLINK)->ToBoolean();
    if (keys->HasProperty(PROP_VISITURL))
        m_sVisitURL = keys->GetValue(PROP_VISITURL)->GetValue();
}

DelvorGameSettings* DelvorGameSettings::Instance() {
    GameSettings* settings = SettingsManager::g_Instance ? SettingsManager::g_Instance->GetSettings() : nullptr;
    if (!settings || !settings->GetRTTI().DerivesFrom(DelvorGameSettings::rtti))
        return nullptr;
    return static_cast<DelvorGameSettings*>(settings);
}

// ---- DialogSettings

const RTTI* const DialogSettings::rttis[] = {&DialogDelvor::rtti, nullptr};
const RTTI DialogSettings::rtti("DialogSettings", DialogSettings::rttis);

ObjectInitializer DialogSettings::m_ObjectInitializer("DialogSettings", &DialogSettings::OnData);

namespace {

const char* const kSoundSlider = "SLIDER_FXVOL";
const char* const kMusicSlider = "SLIDER_MUSICVOL";
const char* const kFullscreenSwitch = "SWITCH_FULLSCREEN";
const char* const kDragSound = "SOUND_UI_SLIDER_DRAG";
const char* const kDragSoundSection = "default";

void ShowValue(Slider* slider, float value) {
    if (!slider)
        return;
    slider->SetValue(value);
    slider->UpdateButtonPosByValue();
}

// The stored volumes, heard again.
void RestoreStoredVolumes() {
    DelvorGameSettings* stored = DelvorGameSettings::Instance();
    SoundManager* sound = SoundManager::g_Instance;
    if (!stored || !sound)
        return;
    sound->SetOverallSampleVolume(stored->GetSoundVolume());
    sound->SetOverallStreamVolume(stored->GetMusicVolume());
}

}  // namespace

DialogSettings::DialogSettings(AbstractProperty* data) : DialogDelvor(data) {
    if (DelvorGameSettings* stored = Instance())
        GameSettings::CopyFrom(stored);
    else
        SetFullscreen(false);
    BindComponent(kSoundSlider, this, &DialogSettings::OnSoundVolumeChange);
    BindComponent("BUTTON_OK", this, &DialogSettings::OnOkClick);
    BindComponent("BUTTON_CANCEL", this, &DialogSettings::OnClose);
    BindComponent(kMusicSlider, this, &DialogSettings::OnMusicVolumeChange);
    BindComponent("BUTTON_CREDITS", this, &DialogSettings::OnCreditsClick);
    Switch* fullscreen = GetFullscreenSwitch();
    if (fullscreen && !(GameWindow::g_Instance && GameWindow::g_Instance->CanToggle()))
        fullscreen->SetEnabled(false);
}

BaseObject* DialogSettings::OnData(AbstractProperty* data) { return new DialogSettings(data); }

Slider* DialogSettings::GetSoundSlider() const { return DynamicCast<Slider>(GetComponent(kSoundSlider)); }
Slider* DialogSettings::GetMusicSlider() const { return DynamicCast<Slider>(GetComponent(kMusicSlider)); }
Switch* DialogSettings::GetFullscreenSwitch() const { return DynamicCast<Switch>(GetComponent(kFullscreenSwitch)); }

void DialogSettings::OnActivate() {
    DialogDelvor::OnActivate();
    CreateStandardShowAnimation();
}

bool DialogSettings::IsFullscreen() const {
    Switch* fullscreen = GetFullscreenSwitch();
    return fullscreen && fullscreen->IsChecked();
}

float DialogSettings::GetSoundVolume() const {
    Slider* slider = GetSoundSlider();
    return slider ? slider->GetValue() : DelvorGameSettings::GetSoundVolume();
}

float DialogSettings::GetMusicVolume() const {
    Slider* slider = GetMusicSlider();
    return slider ? slider->GetValue() : DelvorGameSettings::GetMusicVolume();
}

void DialogSettings::SetFullscreen(bool) {
    if (Switch* fullscreen = GetFullscreenSwitch())
        fullscreen->SetChecked(GameWindow::g_Instance && GameWindow::g_Instance->IsFullscreen());
}

void DialogSettings::SetSoundVolume(float volume) {
    DelvorGameSettings::SetSoundVolume(volume);
    ShowValue(GetSoundSlider(), volume);
}

void DialogSettings::SetMusicVolume(float volume) {
    DelvorGameSettings::SetMusicVolume(volume);
    ShowValue(GetMusicSlider(), volume);
}

void DialogSettings::Tick(int) {
    Slider* slider = GetSoundSlider();
    Button* thumb = slider ? slider->GetThumb() : nullptr;
    if (!thumb || !thumb->IsStateSet(SPRITESTATE_PRESSED))
        return;
    const unsigned int now = Platform::GetMilliseconds();
    if (now - m_uLastDragSound <= DRAG_SOUND_INTERVAL_MS)
        return;
    m_uLastDragSound = now;
    if (auto* sound = DynamicCast<Sound>(ResourceLookup::GetResource(kDragSound, kDragSoundSection)))
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}

void DialogSettings::OnSoundVolumeChange(BaseObject* dialog, BaseObject*) {
    auto* self = DynamicCast<DialogSettings>(dialog);
    if (self && SoundManager::g_Instance)
        SoundManager::g_Instance->SetOverallSampleVolume(self->GetSoundVolume());
}

void DialogSettings::OnMusicVolumeChange(BaseObject* dialog, BaseObject*) {
    auto* self = DynamicCast<DialogSettings>(dialog);
    if (self && SoundManager::g_Instance)
        SoundManager::g_Instance->SetOverallStreamVolume(self->GetMusicVolume());
}

void DialogSettings::OnOkClick(BaseObject* dialog, BaseObject* sender) {
    auto* self = DynamicCast<DialogSettings>(dialog);
    if (!self)
        return;
    if (DelvorGameSettings* stored = Instance()) {
        stored->CopyFrom(self);
        SettingsManager::g_Instance->SaveToRegistry();
    }
    if (GameWindow::g_Instance)
        GameWindow::g_Instance->SetFullscreenTo(self->IsFullscreen());
    OnClose(dialog, sender);
}

void DialogSettings::OnClose(BaseObject* dialog, BaseObject*) {
    auto* self = DynamicCast<DialogSettings>(dialog);
    if (!self)
        return;
    RestoreStoredVolumes();
    DialogDelvor::CreateStandardHideAnimation(self, nullptr);
}

void DialogSettings::OnCreditsClick(BaseObject*, BaseObject*) { DialogMenu::OpenOnCurrentScene("DIALOG_CREDITS"); }
