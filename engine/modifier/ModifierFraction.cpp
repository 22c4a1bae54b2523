#include "engine/modifier/ModifierFraction.h"

#include <cstdio>

#include "engine/graphics/GraphicsSettings.h"
#include "engine/sprite/GameNode.h"

namespace ZQ2 {

const RTTI* const ModifierFraction::rttis[] = {&Modifier::rtti, nullptr};
const RTTI ModifierFraction::rtti("ModifierFraction", ModifierFraction::rttis);

ModifierFraction::ModifierFraction(int durationMs, Redistribution redistribution)
    : m_nDuration(durationMs), m_pRedistribution(redistribution) {}

std::string ModifierFraction::ToString() const {
    char text[64];
    std::snprintf(text, sizeof text, "%d/%d ms (%.3f) ", m_nElapsed, m_nDuration, m_fFraction);
    return Modifier::ToString() + text;
}

void ModifierFraction::Tick(int elapsedMs) {
    m_nElapsed = AddTime(m_nElapsed, elapsedMs);
    if (m_nElapsed >= m_nDuration) {
        EndModifier();
        return;
    }
    m_fFraction = static_cast<float>(m_nElapsed) / static_cast<float>(m_nDuration);
    if (m_pRedistribution)
        m_fFraction = m_pRedistribution(m_fFraction);
}

void ModifierFraction::EndModifier() {
    m_nStatus |= STATUS_DONE;
    m_fFraction = 1.0f;
    m_nElapsed = m_nDuration;
}

GraphicsSettings* ModifierFraction::GetClientSettings() const { return ZQ2::QueryInterface<GraphicsSettings>(m_pClient); }

}  // namespace ZQ2
