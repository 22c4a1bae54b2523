#pragma once
// Stand-in for the digger until it lands: a worker by its own type name
// with a dig speed.
#include "engine/io/BasicProperties.h"
#include "source/game/DelvorWorker.h"

class DelvorDigger : public DelvorWorker {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    DelvorDigger(float x, float y, ZQ2::Image* image) : DelvorWorker(x, y, image) {}
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    // The dig frame time; the stand-in knows no upgrades nor genders.
    int GetUpgradedDigSpeed() const { return ZQ2::BasicProperties::GetInteger("DIGGER_MALE_DIG_FRAMESPEED"); }
};
