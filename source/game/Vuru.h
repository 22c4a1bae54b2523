#pragma once
// Stand-in for Vuru until her own behaviour lands: a boss the click router
// can name.
#include "source/game/DelvorBoss.h"

class Vuru : public DelvorBoss {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    Vuru(float x, float y, ZQ2::Image* image) : DelvorBoss(x, y, image) {}
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
};
