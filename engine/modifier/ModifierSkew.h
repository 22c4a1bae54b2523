#pragma once
// Skews its client's draw settings (radians) from one pair of values to another
// over a time, optionally eased in and out.
#include "engine/modifier/ModifierFraction.h"

namespace ZQ2 {

class ModifierSkew : public ModifierFraction {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // The same start and end for both axes.
    ModifierSkew(float from, float to, int durationMs, bool ease);
    ModifierSkew(float fromX, float fromY, float toX, float toY, int durationMs, bool ease);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    void Tick(int elapsedMs) override;
    void EndModifier() override;

    // Writes the switched-on axes to the client's draw settings.
    void SetSkew(float x, float y);
    void SetApplyX(bool apply) { m_bApplyX = apply; }
    void SetApplyY(bool apply) { m_bApplyY = apply; }

private:
    float m_fFromX;
    float m_fFromY;
    float m_fToX;
    float m_fToY;
    bool m_bApplyX = true;
    bool m_bApplyY = true;
};

}  // namespace ZQ2
