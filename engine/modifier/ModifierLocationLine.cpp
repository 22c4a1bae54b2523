#include "engine/modifier/ModifierLocationLine.h"

#include <cstdio>

namespace ZQ2 {

const RTTI* const ModifierLocationLine::rttis[] = {&ModifierLocation::rtti, nullptr};
const RTTI ModifierLocationLine::rtti("ModifierLocationLine", ModifierLocationLine::rttis);

ModifierLocationLine::ModifierLocationLine(float fromX, float fromY, float toX, float toY, int durationMs, bool ease)
    : ModifierLocation(fromX, fromY, durationMs, ease ? RedistEaseInOut : RedistStraight),
      m_fEndX(toX),
      m_fEndY(toY) {}

std::string ModifierLocationLine::ToString() const {
    char text[64];
    std::snprintf(text, sizeof text, "to (%.1f, %.1f) ", m_fEndX, m_fEndY);
    return ModifierLocation::ToString() + text;
}

void ModifierLocationLine::Tick(int elapsedMs) {
    ModifierFraction::Tick(elapsedMs);
    if (!IsRunning())
        return;
    SetPosition(Interpolate(m_fStartX, m_fEndX, m_fFraction), Interpolate(m_fStartY, m_fEndY, m_fFraction));
}

void ModifierLocationLine::EndModifier() {
    ModifierLocation::EndModifier();
    SetPosition(m_fEndX, m_fEndY);
}

}  // namespace ZQ2
