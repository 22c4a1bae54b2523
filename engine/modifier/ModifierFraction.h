#pragma once
// Common time base of the modifiers that move a value from a start to an end
// over a fixed time: the progress as a fraction, optionally reshaped.
#include "engine/modifier/Modifier.h"

namespace ZQ2 {

class GraphicsSettings;

class ModifierFraction : public Modifier {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    using Redistribution = float (*)(float);

    // durationMs of 0 or less ends the modifier on its first tick.
    ModifierFraction(int durationMs, Redistribution redistribution);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    void Tick(int elapsedMs) override;
    void EndModifier() override;

    static float RedistStraight(float f) { return f; }
    // Smooth start and stop: 0, 0.5 and 1 stay where they are.
    static float RedistEaseInOut(float f) { return f * f * (3.0f - f - f); }

    int GetDuration() const { return m_nDuration; }
    int GetElapsed() const { return m_nElapsed; }
    float GetFraction() const { return m_fFraction; }

protected:
    // Whether the last tick left the modifier running, so that a subclass
    // applies the value of the new fraction.
    bool IsRunning() const { return m_nElapsed < m_nDuration; }
    // The draw settings of the client, or null for a client without them.
    GraphicsSettings* GetClientSettings() const;

    int m_nDuration;
    int m_nElapsed = 0;
    float m_fFraction = 0.0f;
    Redistribution m_pRedistribution;
};

// a at t = 0 and exactly b at t = 1, whatever rounding the step takes.
inline float Interpolate(float a, float b, float t) { return t >= 1.0f ? b : a + (b - a) * t; }

}  // namespace ZQ2
