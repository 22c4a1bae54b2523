#pragma once
// The game's settings record, and the settings dialog that edits it: the
// volumes follow the sliders live, OK stores everything and switches the
// window, Cancel puts the stored volumes back. The dialog is itself a
// settings record whose values live in its widgets.
#include <string>

#include "engine/io/GameSettings.h"
#include "source/dialogs/DialogDelvor.h"

namespace ZQ2 {
class Slider;
class Switch;
}  // namespace ZQ2

extern const char* const PROP_SHOWLINK;
extern const char* const PROP_VISITURL;

// The engine's record with the game's defaults and the main menu's link to
// the maker's page, which only the preferences store can change.
class DelvorGameSettings : public ZQ2::GameSettings {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    static const char* const DEFAULT_VISIT_URL;
    static constexpr float DEFAULT_MUSIC_VOLUME = 0.2f;

    DelvorGameSettings();
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void Load(ZQ2::AbstractProperty* node) override;

    bool IsShowLink() const { return m_bShowLink; }
    const std::string& GetVisitURL() const { return m_sVisitURL; }

    // The record the settings manager holds, or null when it holds another kind.
    static DelvorGameSettings* Instance();

private:
    bool m_bShowLink = true;
    std::string m_sVisitURL;
};

class DialogSettings : public DialogDelvor, public DelvorGameSettings {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    // Between two drag sounds while the effects thumb is held.
    static constexpr unsigned int DRAG_SOUND_INTERVAL_MS = 500;

    explicit DialogSettings(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return DialogSettings::rtti; }

    void OnActivate() override;
    // The effects slider's drag sound.
    void Tick(int deltaMs) override;

    bool IsFullscreen() const override;
    float GetSoundVolume() const override;
    float GetMusicVolume() const override;
    // Shows the window's real state; the value passed does not matter.
    void SetFullscreen(bool fullscreen) override;
    void SetSoundVolume(float volume) override;
    void SetMusicVolume(float volume) override;

    static void OnSoundVolumeChange(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnMusicVolumeChange(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnOkClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnClose(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnCreditsClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);

    ZQ2::Slider* GetSoundSlider() const;
    ZQ2::Slider* GetMusicSlider() const;
    ZQ2::Switch* GetFullscreenSwitch() const;

private:
    unsigned int m_uLastDragSound = 0;
};
