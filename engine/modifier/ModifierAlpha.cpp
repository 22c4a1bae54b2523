#include "engine/modifier/ModifierAlpha.h"

#include "engine/graphics/GraphicsSettings.h"
#include "engine/sprite/GameNode.h"

namespace ZQ2 {

const RTTI* const ModifierAlpha::rttis[] = {&ModifierFraction::rtti, nullptr};
const RTTI ModifierAlpha::rtti("ModifierAlpha", ModifierAlpha::rttis);

ModifierAlpha::ModifierAlpha(int fromAlpha, int toAlpha, int durationMs)
    : ModifierFraction(durationMs, nullptr), m_nFromAlpha(fromAlpha), m_nToAlpha(toAlpha) {}

std::string ModifierAlpha::ToString() const {
    return ModifierFraction::ToString() + "alpha " + std::to_string(m_nFromAlpha) + " to " +
           std::to_string(m_nToAlpha) + "; ";
}

void ModifierAlpha::Tick(int elapsedMs) {
    ModifierFraction::Tick(elapsedMs);
    if (!IsRunning())
        return;
    const float alpha = static_cast<float>(m_nFromAlpha) + static_cast<float>(m_nToAlpha - m_nFromAlpha) * m_fFraction;
    Apply(static_cast<int>(alpha));
}

void ModifierAlpha::EndModifier() {
    ModifierFraction::EndModifier();
    Apply(m_nToAlpha);
}

void ModifierAlpha::SetClient(GameNode* client) {
    m_pTarget = ZQ2::QueryInterface<GraphicsSettings>(client);
    ModifierFraction::SetClient(client);
}

void ModifierAlpha::Apply(int alpha) {
    if (m_pTarget)
        m_pTarget->SetAlpha(alpha);
}

}  // namespace ZQ2
