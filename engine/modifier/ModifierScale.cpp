#include "engine/modifier/ModifierScale.h"

#include <cstdio>

#include "engine/graphics/GraphicsSettings.h"

namespace ZQ2 {

const RTTI* const ModifierScale::rttis[] = {&ModifierFraction::rtti, nullptr};
const RTTI ModifierScale::rtti("ModifierScale", ModifierScale::rttis);

ModifierScale::ModifierScale(float from, float to, int durationMs, bool ease)
    : ModifierScale(from, from, to, to, durationMs, ease) {}

ModifierScale::ModifierScale(float fromX, float fromY, float toX, float toY, int durationMs, bool ease)
    : ModifierFraction(durationMs, ease ? RedistEaseInOut : nullptr),
      m_fFromX(fromX),
      m_fFromY(fromY),
      m_fToX(toX),
      m_fToY(toY) {}

std::string ModifierScale::ToString() const {
    char text[96];
    std::snprintf(text, sizeof text, "scale (%.3f, %.3f) to (%.3f, %.3f) ", m_fFromX, m_fFromY, m_fToX, m_fToY);
    return ModifierFraction::ToString() + text;
}

void ModifierScale::Tick(int elapsedMs) {
    ModifierFraction::Tick(elapsedMs);
    if (!IsRunning())
        return;
    SetScale(Interpolate(m_fFromX, m_fToX, m_fFraction), Interpolate(m_fFromY, m_fToY, m_fFraction));
}

void ModifierScale::EndModifier() {
    ModifierFraction::EndModifier();
    SetScale(m_fToX, m_fToY);
}

void ModifierScale::SetScale(float x, float y) {
    GraphicsSettings* settings = GetClientSettings();
    if (!settings)
        return;
    if (m_bApplyX)
        settings->SetScaleX(x);
    if (m_bApplyY)
        settings->SetScaleY(y);
}

}  // namespace ZQ2
