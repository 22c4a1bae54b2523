#pragma once
// Stand-in for Dovidi until her own behaviour lands: a boss the click router
// can name.
#include "source/game/DelvorBoss.h"

class Dovidi : public DelvorBoss {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    Dovidi(float x, float y, ZQ2::Image* image) : DelvorBoss(x, y, image) {}
    explicit Dovidi(ZQ2::AbstractProperty* node) : DelvorBoss(node) {}
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node) { return new Dovidi(node); }
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    // Places the figure at its start spot.
    void Init();
};
