#include "engine/modifier/ModifierFunction.h"

namespace ZQ2 {

const RTTI* const ModifierFunction::rttis[] = {&Modifier::rtti, &iGuiMethod::rtti, nullptr};
const RTTI ModifierFunction::rtti("ModifierFunction", ModifierFunction::rttis);

ModifierFunction::ModifierFunction(BaseObject* target, iGuiMethod::Method method, const std::string& name)
    : iGuiMethod(target, method) {
    SetName(name);
}

std::string ModifierFunction::ToString() const { return Modifier::ToString() + "call; "; }

void* ModifierFunction::QueryInterface(const RTTI& which) {
    if (&which == &iGuiMethod::rtti)
        return static_cast<iGuiMethod*>(this);
    return nullptr;
}

void ModifierFunction::EndModifier() {
    if (HasDoneBit())
        return;
    m_nStatus |= STATUS_DONE;
    TryExecuteMethod(this);
}

}  // namespace ZQ2
