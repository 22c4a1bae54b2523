#pragma once
// Stand-in for the two leading figures' common base until they land: a
// walking figure that the click router treats as a boss.
#include <algorithm>

#include "source/game/DelvorCharacter.h"

class DelvorBoss : public DelvorCharacter {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    DelvorBoss(float x, float y, ZQ2::Image* image) : DelvorCharacter(x, y, image) {}
    explicit DelvorBoss(ZQ2::AbstractProperty* node) : DelvorCharacter(node) {}
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    bool IsBoss() const override { return true; }
    // Holes only, never the one at hand nor one already queued.
    bool CanAddHoleToStack(ClickObject* target) override;

    // Stand-ins for the items until the boss's hands land.
    virtual bool IsAtTable(int) const { return false; }
    virtual int GetBossActivity() const { return 0; }
    virtual void SetBossActivity(int) {}
    void AddItem(ClickObject*) {}
    void ClearItems() {}
    bool IsItemAlreadyInQueueOrInHands(ClickObject* item) const {
        return std::find(GetStack().begin(), GetStack().end(), item) != GetStack().end();
    }
};
