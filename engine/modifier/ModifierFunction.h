#pragma once
// Calls a bound callback once, with (target, this modifier): on its first
// tick, or when it is ended from outside.
#include <string>

#include "engine/core/iGuiMethod.h"
#include "engine/modifier/Modifier.h"

namespace ZQ2 {

class ModifierFunction : public Modifier, public iGuiMethod {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    ModifierFunction(BaseObject* target, iGuiMethod::Method method, const std::string& name);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;
    // The callback part for the iGuiMethod record; null for anything else.
    void* QueryInterface(const RTTI& which) override;
    BaseObject* QueryBaseObject() override { return this; }

    void Tick(int) override { EndModifier(); }
    // Only the first end calls back, however it is reached.
    void EndModifier() override;
};

}  // namespace ZQ2
