#pragma once
// Fades its target's alpha (0 transparent to 255 opaque) linearly from one
// value to another.
#include "engine/modifier/ModifierFraction.h"

namespace ZQ2 {

class ModifierAlpha : public ModifierFraction {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    ModifierAlpha(int fromAlpha, int toAlpha, int durationMs);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    void Tick(int elapsedMs) override;
    void EndModifier() override;
    // The target becomes the node's draw settings (none for a plain node).
    void SetClient(GameNode* client) override;
    // A target that is not a node: the client stays as it is.
    virtual void SetClient(GraphicsSettings* target) { m_pTarget = target; }

    GraphicsSettings* GetTarget() const { return m_pTarget; }

private:
    void Apply(int alpha);

    int m_nFromAlpha;
    int m_nToAlpha;
    GraphicsSettings* m_pTarget = nullptr;  // not owned
};

}  // namespace ZQ2
