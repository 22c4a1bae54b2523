#pragma once
// Stand-in for the hole's dig meter until it lands: knows its hole and the
// dig progress of the current dirt run, in quarter layers.
#include "source/game/ClickObject.h"

class DelvorHole;

class DelvorMeter : public ClickObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    DelvorMeter(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method callback)
        : ClickObject(x, y, image, target, callback) {}
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    bool IsMeter() const override { return true; }
    ClickObject* GetParentHole() override;

    void Init(DelvorHole* hole) { SetHole(hole); }
    void SetHole(DelvorHole* hole) { m_pHole = hole; }
    void Cleanup() { SetHole(nullptr); }
    void Show(bool visible) { SetVisible(visible); }
    void PulseArrow(bool) {}
    void StartSparkles(bool) {}
    float GetDigProgress() const { return m_fProgress; }
    void SetDigProgress(float progress) { m_fProgress = progress; }
    int GetRoundedDigProgress() const { return static_cast<int>(m_fProgress * 0.25f); }

private:
    DelvorHole* m_pHole = nullptr;  // not held: the hole owns the meter
    float m_fProgress = 0.0f;
};
