#include "engine/modifier/ModifierSkew.h"

#include <cstdio>

#include "engine/graphics/GraphicsSettings.h"

namespace ZQ2 {

const RTTI* const ModifierSkew::rttis[] = {&ModifierFraction::rtti, nullptr};
const RTTI ModifierSkew::rtti("ModifierSkew", ModifierSkew::rttis);

ModifierSkew::ModifierSkew(float from, float to, int durationMs, bool ease)
    : ModifierSkew(from, from, to, to, durationMs, ease) {}

ModifierSkew::ModifierSkew(float fromX, float fromY, float toX, float toY, int durationMs, bool ease)
    : ModifierFraction(durationMs, ease ? RedistEaseInOut : nullptr),
      m_fFromX(fromX),
      m_fFromY(fromY),
      m_fToX(toX),
      m_fToY(toY) {}

std::string ModifierSkew::ToString() const {
    char text[96];
    std::snprintf(text, sizeof text, "skew (%.3f, %.3f) to (%.3f, %.3f) ", m_fFromX, m_fFromY, m_fToX, m_fToY);
    return ModifierFraction::ToString() + text;
}

void ModifierSkew::Tick(int elapsedMs) {
    ModifierFraction::Tick(elapsedMs);
    if (!IsRunning())
        return;
    SetSkew(Interpolate(m_fFromX, m_fToX, m_fFraction), Interpolate(m_fFromY, m_fToY, m_fFraction));
}

void ModifierSkew::EndModifier() {
    ModifierFraction::EndModifier();
    SetSkew(m_fToX, m_fToY);
}

void ModifierSkew::SetSkew(float x, float y) {
    GraphicsSettings* settings = GetClientSettings();
    if (!settings)
        return;
    if (m_bApplyX)
        settings->SetSkewX(x);
    if (m_bApplyY)
        settings->SetSkewY(y);
}

}  // namespace ZQ2
