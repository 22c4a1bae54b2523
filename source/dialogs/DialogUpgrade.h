#pragma once
// The upgrade shop that opens a shop day. A stand-in: it offers nothing yet
// and sells nothing; with no items to choose, the first click anywhere
// closes it, and the level scene then opens the day.
#include "source/dialogs/DialogDelvor.h"

class DialogUpgrade : public DialogDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    explicit DialogUpgrade(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void OnActivate() override;
    bool OnMouseLeftUp(const ZQ2::MouseMessageData& m) override;

    // Hands the dialog's end to the level scene and fades it out; a second
    // click while it fades changes nothing.
    static void OnDialogClose(ZQ2::BaseObject* dialog, ZQ2::BaseObject* upgrade);

private:
    bool m_bClosing = false;
};
