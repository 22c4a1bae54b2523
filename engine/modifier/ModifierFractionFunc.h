#pragma once
// A timed modifier that calls a bound callback at a fixed interval while it
// runs (or on every tick, for an interval of 0 or less).
#include "engine/core/iGuiMethod.h"
#include "engine/modifier/ModifierFraction.h"

namespace ZQ2 {

class ModifierFractionFunc : public ModifierFraction, public iGuiMethod {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // The callback gets (target, this modifier).
    ModifierFractionFunc(int durationMs, BaseObject* target, iGuiMethod::Method method, int intervalMs);

    const RTTI& GetRTTI() const override { return rtti; }
    // The callback part for the iGuiMethod record; null for anything else.
    void* QueryInterface(const RTTI& which) override;
    BaseObject* QueryBaseObject() override { return this; }

    // Calls fall strictly after each whole interval, never at the exact end.
    void Tick(int elapsedMs) override;

private:
    int m_nInterval;
    int m_nLastCall = 0;
};

}  // namespace ZQ2
