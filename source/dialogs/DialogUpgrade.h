#pragma once
// The upgrade shop that opens a shop day: up to three upgrades of the
// current country that the player does not own yet, each with its picture
// and title; the pointer over one shows its description, and a click on one
// buys it and closes the shop. There is no other way out.
#include "engine/framework/MouseCursorCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "source/dialogs/DialogDelvor.h"
#include "source/scenes/DelvorUpgrade.h"

namespace ZQ2 {
class Label;
class Sprite;
}  // namespace ZQ2

class DialogUpgrade : public DialogDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    static constexpr int ITEM_COUNT = 3;
    static constexpr int MUSIC_FADE_MS = 200;
    static constexpr int APPEAR_DELAY_MS = 100;
    static constexpr unsigned int RESUME_STREAM_MODE = 306;

    explicit DialogUpgrade(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void OnActivate() override;
    bool OnMouseMoved(const ZQ2::MouseMessageData& m) override;
    bool OnMouseLeftUp(const ZQ2::MouseMessageData& m) override;

    // Buys the upgrade when it is one, hands the dialog's end to the level
    // scene and fades it out; a second click while it fades changes nothing.
    static void OnDialogClose(ZQ2::BaseObject* dialog, ZQ2::BaseObject* upgrade);
    static void OnAppearFinished(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);

    // Whether an upgrade of the current country is left to sell: without
    // one the shop does not open.
    static bool HasOffers();

    const ZQ2::ZQVector<ZQ2::SmartPtr<DelvorUpgrade>>& GetOffers() const { return m_Offers; }
    // The offer under the point, or null; items without an offer never answer.
    DelvorUpgrade* GetOfferAt(float x, float y) const;

private:
    void ShowOffers();
    void ShowDescription(const std::string& text);

    ZQ2::ZQVector<ZQ2::SmartPtr<DelvorUpgrade>> m_Offers;
    ZQ2::Sprite* m_pItems[ITEM_COUNT] = {};
    ZQ2::Label* m_pTitles[ITEM_COUNT] = {};
    ZQ2::Label* m_pDesc = nullptr;
    ZQ2::MouseCursorCounter m_Cursor;
    bool m_bClosing = false;
};
