#pragma once
// A tool or a piece of food on one of the two site tables, or the bin by
// the carrier's home. Clicking it books it on Dovidi's job stack; its name
// decides its kind, its table, its picture and the requests it answers.
#include <string>

#include "engine/core/SmartPtr.h"
#include "source/game/ClickObject.h"

class DelvorBoss;
class DelvorGenerator;

class DelvorItem : public ClickObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    enum eItemType {
        TYPE_NONE = 0,
        TYPE_SIFTER = 1,
        TYPE_BRUSH = 2,
        TYPE_BOTTLE = 3,
        TYPE_MEDICINE = 4,
        TYPE_CANTEEN = 5,
        TYPE_SANDWICH = 6,
        TYPE_APPLE = 7,
    };
    static constexpr int TABLE_NONE = -1;
    static constexpr int TABLE_TOOLS = 2;
    static constexpr int TABLE_FOOD = 3;
    // The level scene's day state from which items are no longer taken.
    static constexpr int STATE_NO_MORE_PICKUPS = 11;

    DelvorItem(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method callback);
    explicit DelvorItem(ZQ2::AbstractProperty* node);
    ~DelvorItem() override;
    DelvorItem(const DelvorItem&) = delete;
    DelvorItem& operator=(const DelvorItem&) = delete;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    static int GetTypeFromName(const std::string& name);
    // Nothing is written for a type outside 1..7.
    static void GetNameFromType(int type, std::string& name);
    // "%s_UP%d" of the default picture for an upgrade level above 0.
    static std::string GetUpgradedImageKey(int type, int level);
    void GetDefaultItemImage(std::string& key) const;
    ZQ2::Image* GetUpgradedImage() const;
    // The item's picture follows the best upgrade the player owns now.
    void RedisplayWithUpgrades();

    bool IsItem() const override { return true; }
    bool DoPickupItem() override;
    int GetTable() const override;
    ClickObject* GetBoss() override;
    ZQ2::Image* GetItemImage() override;
    bool IsAvailable() const override;
    void SetHighlightState(bool on) override;
    bool HasRollover() const override { return true; }
    bool HasRolloverHighlight() const override { return IsBin(); }
    bool MatchesRequest(int request, int level) const override;
    bool IsBin() const override { return GetName() == "ITEM_BIN_COOKIE"; }
    void DumpObjects() override;
    void SetOnTable(bool on) override;
    bool IsOnTable() const override { return m_bOnTable; }
    ClickObject* GetActionObject() override { return GetBoss(); }

    virtual DelvorGenerator* GetGenerator() const { return m_spGenerator.Get(); }
    virtual void SetGenerator(DelvorGenerator* generator);

    bool HasHighlight() const { return m_bHighlight; }
    ZQ2::Sprite* GetPictureSprite() const { return m_spPicture.Get(); }

private:
    void Init();
    DelvorBoss* LocateParent() const;
    void AddItemToParentQueue();
    bool HasPrefix(const char* prefix) const { return GetName().rfind(prefix, 0) == 0; }

    mutable DelvorBoss* m_pCarrier = nullptr;  // not held: the level holds her
    ZQ2::SmartPtr<ZQ2::Sprite> m_spPicture;
    bool m_bOnTable = true;
    bool m_bHighlight = true;
    ZQ2::SmartPtr<DelvorGenerator> m_spGenerator;
};
