#pragma once
// Turns its client from one angle to another over a time, or endlessly at a
// steady speed. Angles are radians.
#include "engine/modifier/Modifier.h"

namespace ZQ2 {

class ModifierRotation : public Modifier {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    ModifierRotation(float fromAngle, float toAngle, int durationMs);
    // Endless turning, one full turn per periodMs; increasing angles when
    // forward is set. Ends only when ended from outside, on its start angle.
    ModifierRotation(int periodMs, bool forward, float startAngle);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    // The first tick shows the start angle; the time is added afterwards.
    void Tick(int elapsedMs) override;
    void EndModifier() override;

    void SetEase(bool ease) { m_bEase = ease; }
    float GetCurrentAngle() const { return m_fCurrent; }

private:
    void Apply(float angle);

    float m_fStart;
    // The target angle, or the direction (+1 or -1) when continuous.
    float m_fTarget;
    float m_fCurrent;
    int m_nElapsed = 0;
    // The duration, or the time of one turn when continuous.
    int m_nDuration;
    bool m_bEase = false;
    bool m_bContinuous;
};

}  // namespace ZQ2
