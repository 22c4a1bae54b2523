#pragma once
// Pulses alpha between two values in four timed phases: rise to the second,
// hold, fall to the first, hold; endlessly or a number of cycles. Drives the
// text cursor and highlighted rows, on the client or on extra targets.
#include "engine/core/ZQVector.h"
#include "engine/modifier/Modifier.h"

namespace ZQ2 {

class GraphicsSettings;

class ModifierBlink : public Modifier {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // repeatCount below 1: endless.
    ModifierBlink(int firstAlpha, int secondAlpha, int riseMs, int fallMs, int holdSecondMs, int holdFirstMs,
                  int repeatCount);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    // The alpha shown is that of the phase's start; the time comes after.
    void Tick(int elapsedMs) override;
    // Back to the first alpha.
    void EndModifier() override;

    // To the extra targets when there are any, else to the client.
    void SetAlpha(int alpha);

    int GetCurrentAlpha() const { return m_nCurrentAlpha; }
    int GetCompletedCycles() const { return m_nCompletedCycles; }

    // Not owned; when not empty, the client itself is left alone.
    ZQVector<GraphicsSettings*> m_ExtraTargets;

private:
    unsigned int LengthOfPhase(int phase) const;
    void AdvancePhases();

    unsigned int m_nTimeInPhase = 0;
    unsigned int m_nPhaseLength = 0;
    int m_nPhase = 0;
    int m_nFirstAlpha;
    int m_nCurrentAlpha;
    int m_nSecondAlpha;
    int m_nRise;
    int m_nFall;
    int m_nHoldSecond;
    int m_nHoldFirst;
    int m_nCompletedCycles = 0;
    int m_nRepeatCount;
};

}  // namespace ZQ2
