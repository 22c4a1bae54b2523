#pragma once
// The speech balloon over a hole: up to two item pictures naming what the
// hole, its workers or Vuru ask for next, laid out by the request codes.
#include <string>

#include "engine/core/SmartPtr.h"
#include "source/game/ClickObject.h"

class DelvorHole;

class DelvorReqBalloon : public ClickObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    // What a hole, its workers or Vuru can ask for.
    enum eRequest {
        REQUEST_NONE = 0,
        REQUEST_SHOVEL = 1,
        REQUEST_PICK = 2,
        REQUEST_VURU = 3,
        REQUEST_SIFTER = 4,
        REQUEST_BRUSH = 5,
        REQUEST_BOTTLE = 6,
        REQUEST_BOTTLE_2 = 7,
        REQUEST_FOOD = 8,
        REQUEST_WATER = 9,
        REQUEST_MEDICINE = 10,
        REQUEST_APPLE = 100,
        REQUEST_SANDWICH = 101,
        REQUEST_CANTEEN = 102,
    };
    static constexpr int ITEM_SLOTS = 2;
    // Places of an item picture inside a balloon of two.
    static constexpr int PLACE_LEFT = 2;
    static constexpr int PLACE_RIGHT = 3;

    explicit DelvorReqBalloon(ZQ2::AbstractProperty* node);
    DelvorReqBalloon(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method callback);
    ~DelvorReqBalloon() override;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    void* QueryInterface(const ZQ2::RTTI& which) override;
    ZQ2::BaseObject* QueryBaseObject() override { return this; }
    bool IsReqBalloon() const override { return true; }
    ClickObject* GetParentHole() override;
    bool HasRollover() const override { return true; }
    bool HasRolloverHighlight() const override { return true; }

    void Init(DelvorHole* hole);
    void SetHole(DelvorHole* hole);
    void Cleanup() { SetHole(nullptr); }
    DelvorHole* GetHole() const { return m_pHole; }

    void ShowRequestBalloon(bool show);
    // Shows the two requests (0 for none); returns whether the balloon shows.
    bool SetupRequestBalloon(int r1, int r2);
    // x and y stay as they are for a code without a layout word or an
    // unknown place.
    static void GetRequestBalloonPosData(bool two, int place, int request, float& x, float& y);

    // The picture of a request code, empty for codes that have none.
    static std::string GetRequestPicture(int request);
    // The upgrade type that has a better picture of the request, 0 for none.
    static int GetRequestUpgradeType(int request);

    ZQ2::Sprite* GetItemSprite(int slot) const;
    bool IsItemShown(int slot) const;

private:
    // The picture of the request, or its upgraded variant when the player
    // owns that upgrade.
    static std::string GetUpgradedRequestPicture(const std::string& picture, int request);
    void ChooseBalloonPicture(int r1, int r2, bool two, const std::string& lastItemPicture);

    // Not counted: the hole owns its balloon and detaches it (CleanupHole,
    // also run by the hole's destructor); a counted hole would never reach
    // that destructor unless someone cleaned it up first.
    DelvorHole* m_pHole = nullptr;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spItems[ITEM_SLOTS];
    bool m_abShown[ITEM_SLOTS] = {false, false};
};
