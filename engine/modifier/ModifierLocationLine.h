#pragma once
// Moves its client along a straight line, optionally eased in and out; the
// last tick lands exactly on the end point.
#include "engine/modifier/ModifierLocation.h"

namespace ZQ2 {

class ModifierLocationLine : public ModifierLocation {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    ModifierLocationLine(float fromX, float fromY, float toX, float toY, int durationMs, bool ease);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    void Tick(int elapsedMs) override;
    void EndModifier() override;

private:
    float m_fEndX;
    float m_fEndY;
};

}  // namespace ZQ2
