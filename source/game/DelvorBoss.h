#pragma once
// Base of the two figures the player directs: a walking figure with two
// hands that carry items from the site's tables to their users, check marks
// on the items it is sent for, a fixed home spot and a jumping win.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/modifier/Modifier.h"
#include "source/game/DelvorCharacter.h"

class DelvorBoss : public DelvorCharacter {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    static constexpr int MAX_ITEMS = 2;
    enum eTable { TABLE_ELSEWHERE = 0, TABLE_HOME = 1, TABLE_TOOLS = 2, TABLE_FOOD = 3 };
    enum eActivity { ACTIVITY_NONE = 0, ACTIVITY_WALKING = 2, ACTIVITY_WAITING_FOR_ITEM = 3 };
    enum eImage {
        IMAGE_STANDING = 1,
        IMAGE_STANDING_EMPTY = 2,
        IMAGE_WALK_BACK = 3,
        IMAGE_WALK_BACK_CARRY = 4,
        IMAGE_WALK_FRONT = 5,
        IMAGE_WALK_FRONT_CARRY = 6,
        IMAGE_WALK_SIDE = 7,
        IMAGE_WALK_SIDE_CARRY = 8,
        IMAGE_ACTIVITY = 14,
        IMAGE_WIN = 17,
        IMAGE_LOSE = 18,
        IMAGE_IDLE = 19,
        IMAGE_CODE_COUNT = 19
    };

    DelvorBoss(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target = nullptr,
               ZQ2::iGuiMethod::Method callback = nullptr);
    explicit DelvorBoss(ZQ2::AbstractProperty* node);
    ~DelvorBoss() override;
    DelvorBoss(const DelvorBoss&) = delete;
    DelvorBoss& operator=(const DelvorBoss&) = delete;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    // ---- set-up
    void SetupCharacter(const std::string& key, float x, float y, int walkSpeed);
    void PutBossInHomePosition();
    void GetTableXY(int table, int& x, int& y) const;

    // ---- the hands
    void AddItem(ClickObject* item);
    void RemoveItem(ClickObject* item);
    void RemoveItem(const std::string& name);
    void ClearItems();
    void GetItemName(int hand, std::string& name) const;
    ClickObject* GetItemInHand(int hand) const { return hand >= 0 && hand < MAX_ITEMS ? m_apHands[hand] : nullptr; }
    ZQ2::Sprite* GetHandSprite(int hand) const {
        return hand >= 0 && hand < MAX_ITEMS ? m_aspHandSprites[hand].Get() : nullptr;
    }
    bool IsItemAlreadyInQueueOrInHands(ClickObject* item) const;
    void UpdateItemsInHands(int imageCode, bool mirrored);
    int GetItemsUsed() const { return m_iItemsUsed; }
    const ZQ2::ZQVector<ZQ2::SmartPtr<ZQ2::Sprite>>& GetCheckMarks() const { return m_CheckMarks; }

    // ---- new virtual operations
    virtual void GotoTent() {}
    virtual bool CanUseMoreThanOneItemOnHole() const { return false; }
    virtual bool IsAtTable(int table) const;
    virtual int GetBossLocation() const { return -1; }
    virtual ZQ2::Point_t<float> GetObjectPositionInHands(int hand, int imageCode, bool mirrored, float& scale);
    virtual int GetBossActivity() const { return ACTIVITY_NONE; }
    virtual void SetBossActivity(int) {}
    virtual void ClearScoreSpots() {}

    // ---- inherited operations
    void Tick(int) override {}
    bool UseItem(ClickObject* target) override;
    bool IsHolding(ClickObject* object) const override;
    void Walk(DVNode* route, ClickObject* target) override;
    void SetIdleImage(bool idle) override;
    void DoWinLossAnimation(ZQ2::Modifier* container, bool won) override;
    void EndWinLossAnimation() override;
    void GetShadowImage(std::string& name) override;
    bool DoWalkFinished() override;
    bool IsBoss() const override { return true; }
    bool IsInHomePosition() const override;
    void GetHomePosition(float& x, float& y) const;
    ZQ2::Point_t<float> GetHomePosition() const override { return m_HomePosition; }
    int GetNumItems() const override;
    int GetMaxItems() const override { return MAX_ITEMS; }
    int GetNumItemsFree() const override;
    void PickupItemsInQueue() override;
    void ResetImage() override;
    bool SkipUseItem() const override { return IsInHomePosition(); }
    bool IsWaitingForItemGeneration() const override { return GetBossActivity() == ACTIVITY_WAITING_FOR_ITEM; }
    void UpdateCheckMarks() override;

protected:
    float GetSpriteHeight() const { return m_fSpriteHeight; }
    static void PlaySound(const char* name);

private:
    void ReleaseHand(int hand);

    // No home spot until SetupCharacter: such a figure stays where it ends.
    ZQ2::Point_t<float> m_HomePosition{-1.0f, -1.0f};
    int m_iItemsUsed = 0;
    float m_fSpriteHeight = 0.0f;
    ClickObject* m_apHands[MAX_ITEMS] = {};  // each counted by hand
    ZQ2::SmartPtr<ZQ2::Sprite> m_aspHandSprites[MAX_ITEMS];
    ZQ2::ZQVector<ZQ2::SmartPtr<ZQ2::Sprite>> m_CheckMarks;
};

// One jump of a won day: the win frames played once, five pixels above the
// ground with the shadow left where it was.
class ModifierBossWin : public ZQ2::Modifier {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    static constexpr float JUMP_HEIGHT = 5.0f;

    ModifierBossWin(int frameTimeMs, int count);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    void Tick(int elapsedMs) override;
    int GetCount() const { return m_iCount; }

private:
    int m_iFrameTime;
    int m_iTimeLeft = 0;
    int m_iCount;
    bool m_bStarted = false;
};
