#pragma once
// Stand-in for the digger until it lands: a worker by its own type name,
// with the members the level calls when it hires its diggers, and a dig speed.
#include "engine/io/BasicProperties.h"
#include "source/game/DelvorWorker.h"

class DelvorDigger : public DelvorWorker {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    DelvorDigger(float x, float y, ZQ2::Image* image) : DelvorWorker(x, y, image) {}
    explicit DelvorDigger(ZQ2::AbstractProperty* node) : DelvorWorker(node) {}
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node) { return new DelvorDigger(node); }
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void Init(int x, int y, ZQ2::BaseObject*, int colour) {
        m_iColour = colour;
        SetLocation(static_cast<float>(x), static_cast<float>(y));
    }
    int GetWaitAreaY() const override;
    int GetGender() const override { return m_iGender; }
    void SetGender(int gender) override { m_iGender = gender; }
    int GetColourType() const { return m_iColour; }
    // The dig frame time; the stand-in knows no upgrades nor genders.
    int GetUpgradedDigSpeed() const { return ZQ2::BasicProperties::GetInteger("DIGGER_MALE_DIG_FRAMESPEED"); }

private:
    int m_iGender = 1;
    int m_iColour = 1;
};
