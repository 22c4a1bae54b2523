#include "engine/modifier/ModifierLocation.h"

#include <cstdio>

#include "engine/sprite/GameNode.h"

namespace ZQ2 {

const RTTI* const ModifierLocation::rttis[] = {&ModifierFraction::rtti, nullptr};
const RTTI ModifierLocation::rtti("ModifierLocation", ModifierLocation::rttis);

ModifierLocation::ModifierLocation(float x, float y, int durationMs) : ModifierLocation(x, y, durationMs, nullptr) {}

ModifierLocation::ModifierLocation(float x, float y, int durationMs, Redistribution redistribution)
    : ModifierFraction(durationMs, redistribution), m_fStartX(x), m_fStartY(y), m_fCurrentX(x), m_fCurrentY(y) {}

std::string ModifierLocation::ToString() const {
    char text[64];
    std::snprintf(text, sizeof text, "at (%.1f, %.1f) ", m_fCurrentX, m_fCurrentY);
    return ModifierFraction::ToString() + text;
}

void ModifierLocation::SetStartPosition(float x, float y) {
    m_fStartX = m_fCurrentX = x;
    m_fStartY = m_fCurrentY = y;
}

void ModifierLocation::SetPosition(float x, float y) {
    m_fCurrentX = x;
    m_fCurrentY = y;
    if (!m_pClient)
        return;
    if (m_bApplyX)
        m_pClient->SetX(x);
    if (m_bApplyY)
        m_pClient->SetY(y);
}

}  // namespace ZQ2
