#pragma once
// The credits: laid out wholly by its dialog data, with the game's version
// in its "VERSION" label. It appears at once, cannot be dragged, and its OK
// button fades it out.
#include "source/dialogs/DialogDelvor.h"

class DialogCredits : public DialogDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    explicit DialogCredits(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    // Swallows the press, so the dialog never moves and nothing beneath hears it.
    bool OnMouseLeftDown(const ZQ2::MouseMessageData& m) override;
};
