#pragma once
// Waits, and holds back what follows it: a time, the end of another
// modifier, or until a node runs no modifiers of its own any more.
#include "engine/core/SmartPtr.h"
#include "engine/modifier/Modifier.h"
#include "engine/sprite/GameNode.h"

namespace ZQ2 {

class ModifierDelay : public Modifier {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // A time of 0 or less ends on the first tick.
    explicit ModifierDelay(int delayMs);
    // Each holds one reference on what it watches.
    explicit ModifierDelay(Modifier* watched);
    explicit ModifierDelay(GameNode* watched);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    void Tick(int elapsedMs) override;

    int GetRemaining() const { return m_nRemaining; }

private:
    bool IsOver(int elapsedMs);

    int m_nRemaining;
    SmartPtr<Modifier> m_spWatchedModifier;
    SmartPtr<GameNode> m_spWatchedNode;
};

}  // namespace ZQ2
