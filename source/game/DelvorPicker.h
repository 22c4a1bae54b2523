#pragma once
// Stand-in for the picker until it lands: a worker that waits on the
// picker places of the waiting area.
#include "source/game/DelvorWorker.h"

class DelvorPicker : public DelvorWorker {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    DelvorPicker(float x, float y, ZQ2::Image* image) : DelvorWorker(x, y, image) {}
    explicit DelvorPicker(ZQ2::AbstractProperty* node) : DelvorWorker(node) {}
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node) { return new DelvorPicker(node); }
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void Init(int x, int y, ZQ2::BaseObject*) { SetLocation(static_cast<float>(x), static_cast<float>(y)); }
    char GetFreeSpotCharacter() const override { return 'P'; }
    int GetWaitAreaY() const override;
};
