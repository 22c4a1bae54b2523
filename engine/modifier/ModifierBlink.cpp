#include "engine/modifier/ModifierBlink.h"

#include <algorithm>

#include "engine/graphics/GraphicsSettings.h"
#include "engine/sprite/GameNode.h"

namespace ZQ2 {

const RTTI* const ModifierBlink::rttis[] = {&Modifier::rtti, nullptr};
const RTTI ModifierBlink::rtti("ModifierBlink", ModifierBlink::rttis);

namespace {

unsigned int NonNegative(int ms) { return static_cast<unsigned int>(std::max(ms, 0)); }

int Ramp(int from, int to, unsigned int time, unsigned int length) {
    const float f = static_cast<float>(time) / static_cast<float>(length);
    return static_cast<int>(static_cast<float>(from) + f * static_cast<float>(to - from));
}

}  // namespace

ModifierBlink::ModifierBlink(int firstAlpha, int secondAlpha, int riseMs, int fallMs, int holdSecondMs,
                             int holdFirstMs, int repeatCount)
    : m_nFirstAlpha(firstAlpha),
      m_nCurrentAlpha(firstAlpha),
      m_nSecondAlpha(secondAlpha),
      m_nRise(riseMs),
      m_nFall(fallMs),
      m_nHoldSecond(holdSecondMs),
      m_nHoldFirst(holdFirstMs),
      m_nRepeatCount(repeatCount) {}

std::string ModifierBlink::ToString() const {
    return Modifier::ToString() + "alpha " + std::to_string(m_nCurrentAlpha) + " phase " + std::to_string(m_nPhase) +
           " cycles " + std::to_string(m_nCompletedCycles) + "; ";
}

unsigned int ModifierBlink::LengthOfPhase(int phase) const {
    switch (phase) {
    case 1:
        return NonNegative(m_nRise);
    case 2:
        return NonNegative(m_nHoldSecond);
    case 3:
        return NonNegative(m_nFall);
    default:
        return NonNegative(m_nHoldFirst);
    }
}

void ModifierBlink::AdvancePhases() {
    const unsigned int cycle = LengthOfPhase(0) + LengthOfPhase(1) + LengthOfPhase(2) + LengthOfPhase(3);
    if (cycle == 0) {
        // Phases of no length would never let the walk below end: a whole
        // cycle passes on every tick instead, on the first alpha.
        ++m_nCompletedCycles;
        m_nPhase = 0;
        m_nTimeInPhase = 0;
        return;
    }
    // Whole cycles return to the same phase, passing the start of phase 0
    // once each; skipping them bounds the walk below to one round.
    if (m_nTimeInPhase >= cycle) {
        m_nCompletedCycles += static_cast<int>(m_nTimeInPhase / cycle);
        m_nTimeInPhase %= cycle;
    }
    while (m_nTimeInPhase >= m_nPhaseLength) {
        m_nTimeInPhase -= m_nPhaseLength;
        m_nPhase = (m_nPhase + 1) % 4;
        m_nPhaseLength = LengthOfPhase(m_nPhase);
        if (m_nPhase == 0)
            ++m_nCompletedCycles;
    }
}

void ModifierBlink::Tick(int elapsedMs) {
    AdvancePhases();
    if (m_nRepeatCount >= 1 && m_nCompletedCycles >= m_nRepeatCount) {
        m_nCurrentAlpha = m_nFirstAlpha;
        EndModifier();
        m_nTimeInPhase += NonNegative(elapsedMs);
        return;
    }
    switch (m_nPhase) {
    case 1:
        m_nCurrentAlpha = Ramp(m_nFirstAlpha, m_nSecondAlpha, m_nTimeInPhase, m_nPhaseLength);
        break;
    case 2:
        m_nCurrentAlpha = m_nSecondAlpha;
        break;
    case 3:
        m_nCurrentAlpha = Ramp(m_nSecondAlpha, m_nFirstAlpha, m_nTimeInPhase, m_nPhaseLength);
        break;
    default:
        m_nCurrentAlpha = m_nFirstAlpha;
        break;
    }
    SetAlpha(m_nCurrentAlpha);
    m_nTimeInPhase += NonNegative(elapsedMs);
}

void ModifierBlink::EndModifier() {
    m_nStatus |= STATUS_DONE;
    SetAlpha(m_nFirstAlpha);
}

void ModifierBlink::SetAlpha(int alpha) {
    if (!m_ExtraTargets.empty()) {
        for (GraphicsSettings* target : m_ExtraTargets) {
            if (target)
                target->SetAlpha(alpha);
        }
        return;
    }
    if (GraphicsSettings* settings = ZQ2::QueryInterface<GraphicsSettings>(m_pClient))
        settings->SetAlpha(alpha);
}

}  // namespace ZQ2
