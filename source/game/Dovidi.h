#pragma once
// Stand-in for Dovidi until her own behaviour lands: a boss the click router
// can name.
#include "source/game/DelvorBoss.h"

class Dovidi : public DelvorBoss {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    Dovidi(float x, float y, ZQ2::Image* image) : DelvorBoss(x, y, image) {}
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
};
