#pragma once
// Base of the modifiers that move their client: keeps the start and the
// current position and writes the axes that are switched on. On its own it
// only waits its duration.
#include "engine/modifier/ModifierFraction.h"

namespace ZQ2 {

class ModifierLocation : public ModifierFraction {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    ModifierLocation(float x, float y, int durationMs);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    // Start and current position; the client is not moved.
    void SetStartPosition(float x, float y);
    // Current position, written to the client on the switched-on axes.
    void SetPosition(float x, float y);

    float GetCurrentX() const { return m_fCurrentX; }
    float GetCurrentY() const { return m_fCurrentY; }
    void SetApplyX(bool apply) { m_bApplyX = apply; }
    void SetApplyY(bool apply) { m_bApplyY = apply; }

protected:
    ModifierLocation(float x, float y, int durationMs, Redistribution redistribution);

    float m_fStartX;
    float m_fStartY;
    float m_fCurrentX;
    float m_fCurrentY;
    bool m_bApplyX = true;
    bool m_bApplyY = true;
};

}  // namespace ZQ2
