#pragma once
// Stand-in for the dialogs around a day that are not built yet: the day-start
// dialog, the card minigame and the day-end dialog. Each fades in; a click on
// it (its button or anywhere) fades it out, and the level then goes on as the
// real dialog's close would have it. The day-end dialog moves the play
// position on and leads to the map.
#include "source/dialogs/DialogDelvor.h"

class DialogLevelStandIn : public DialogDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_StageStartInitializer;
    static ZQ2::ObjectInitializer m_MiniGameInitializer;
    static ZQ2::ObjectInitializer m_StageEndInitializer;

    // closed: what the level does once the dialog has gone.
    DialogLevelStandIn(ZQ2::AbstractProperty* data, Method closed);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void OnActivate() override;
    bool OnMouseLeftUp(const ZQ2::MouseMessageData& m) override;

private:
    static ZQ2::BaseObject* OnStageStartData(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnMiniGameData(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnStageEndData(ZQ2::AbstractProperty* data);
    static void OnStageStartClosed(ZQ2::BaseObject*, ZQ2::BaseObject*);
    static void OnMiniGameClosed(ZQ2::BaseObject*, ZQ2::BaseObject*);
    static void OnStageEndClosed(ZQ2::BaseObject*, ZQ2::BaseObject*);
    static void OnButton(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    void Close();

    Method m_pfnClosed;
    bool m_bClosing = false;
};
