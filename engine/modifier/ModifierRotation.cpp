#include "engine/modifier/ModifierRotation.h"

#include <cstdio>

#include "engine/graphics/GraphicsSettings.h"
#include "engine/sprite/GameNode.h"

namespace ZQ2 {

const RTTI* const ModifierRotation::rttis[] = {&Modifier::rtti, nullptr};
const RTTI ModifierRotation::rtti("ModifierRotation", ModifierRotation::rttis);

namespace {
constexpr float kFullTurn = 6.2831855f;
}

ModifierRotation::ModifierRotation(float fromAngle, float toAngle, int durationMs)
    : m_fStart(fromAngle), m_fTarget(toAngle), m_fCurrent(fromAngle), m_nDuration(durationMs), m_bContinuous(false) {}

ModifierRotation::ModifierRotation(int periodMs, bool forward, float startAngle)
    : m_fStart(startAngle),
      m_fTarget(forward ? 1.0f : -1.0f),
      m_fCurrent(startAngle),
      m_nDuration(periodMs),
      m_bContinuous(true) {}

std::string ModifierRotation::ToString() const {
    char text[96];
    std::snprintf(text, sizeof text, "angle %.3f%s ", m_fCurrent, m_bContinuous ? " turning" : "");
    return Modifier::ToString() + text;
}

void ModifierRotation::Tick(int elapsedMs) {
    if (m_bContinuous) {
        // A period of 0 or less would turn infinitely fast: it stands still.
        if (m_nDuration > 0)
            m_fCurrent = m_fStart + (static_cast<float>(m_nElapsed) * kFullTurn * m_fTarget) /
                                        static_cast<float>(m_nDuration);
    } else {
        if (m_nElapsed >= m_nDuration) {
            EndModifier();
            return;
        }
        float f = static_cast<float>(m_nElapsed) / static_cast<float>(m_nDuration);
        if (m_bEase)
            f = f * f * (3.0f - 2.0f * f);
        m_fCurrent = m_fStart + (m_fTarget - m_fStart) * f;
    }
    Apply(m_fCurrent);
    m_nElapsed = AddTime(m_nElapsed, elapsedMs);
}

void ModifierRotation::EndModifier() {
    m_nElapsed = m_nDuration;
    m_fCurrent = m_bContinuous ? m_fStart : m_fTarget;
    Apply(m_fCurrent);
    m_nStatus |= STATUS_DONE;
}

void ModifierRotation::Apply(float angle) {
    if (GraphicsSettings* settings = ZQ2::QueryInterface<GraphicsSettings>(m_pClient))
        settings->SetRotation(angle);
}

}  // namespace ZQ2
