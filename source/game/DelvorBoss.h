#pragma once
// Stand-in for the two leading figures' common base until they land: a
// walking figure that the click router treats as a boss.
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
};
