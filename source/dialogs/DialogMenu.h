#pragma once
// The level's menu, opened over a paused day: resume, help, settings, and
// giving up the day for the main menu or the map (both asked first).
#include "source/dialogs/DialogDelvor.h"

extern const char* const DIALOG_STOP_GAME;

class DialogMenu : public DialogDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    explicit DialogMenu(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void OnActivate() override;

    // Fades out; the level scene then removes the menu and ends its pause.
    static void OnResumeClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnHelpClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnSettingsClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnStopClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnMapClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);

    // The dialog under key on the current scene, built when missing, shown
    // above what is there.
    static ZQ2::Dialog* OpenOnCurrentScene(const char* key);
};
