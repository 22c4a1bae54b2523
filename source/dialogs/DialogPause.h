#pragma once
// The pause over a stopped level: plays its own pause sound, fades the music
// out and then mutes everything; any click brings the sound back and closes
// it, after which the level scene ends its pause.
#include "source/dialogs/DialogDelvor.h"

class DialogPause : public DialogDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    // How long after the fade-in the sound is muted.
    static constexpr int MUTE_DELAY_MS = 100;
    static constexpr int MUSIC_FADE_MS = 200;
    static constexpr unsigned int RESUME_STREAM_MODE = 306;

    explicit DialogPause(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void OnActivate() override;
    // A release anywhere resumes, as the resume button does.
    bool OnMouseLeftUp(const ZQ2::MouseMessageData& m) override;

    static void OnDialogClose(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    // The end of the fade-in and the short delay: silence, unless the dialog
    // was closed meanwhile.
    static void OnAppearFinished(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);

    bool IsMutePending() const { return m_bMutePending; }

private:
    bool m_bMutePending = false;
    bool m_bClosing = false;
};
