#pragma once
// The step at the end of a boss's walk: the boss uses what it walked to
// (a hole, an item), then either goes on at once or stands there for the
// use time.
#include "engine/modifier/Modifier.h"

class ClickObject;

class ModifierUseItem : public ZQ2::Modifier {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    // The boss is the modifier's client; the target is not held (the level holds it).
    ModifierUseItem(int timeMs, ClickObject* target);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    void Tick(int elapsedMs) override;

    bool WasUsed() const { return m_bUsed; }

private:
    void Use();

    int m_iRemaining;
    bool m_bUsed = false;
    bool m_bFinished = false;
    bool m_bStarted = false;
    ClickObject* m_pTarget;
};
