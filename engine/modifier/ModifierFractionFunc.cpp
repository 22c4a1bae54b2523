#include "engine/modifier/ModifierFractionFunc.h"

namespace ZQ2 {

const RTTI* const ModifierFractionFunc::rttis[] = {&ModifierFraction::rtti, &iGuiMethod::rtti, nullptr};
const RTTI ModifierFractionFunc::rtti("ModifierFractionFunc", ModifierFractionFunc::rttis);

ModifierFractionFunc::ModifierFractionFunc(int durationMs, BaseObject* target, iGuiMethod::Method method,
                                           int intervalMs)
    : ModifierFraction(durationMs, nullptr), iGuiMethod(target, method), m_nInterval(intervalMs) {}

void* ModifierFractionFunc::QueryInterface(const RTTI& which) {
    if (&which == &iGuiMethod::rtti)
        return static_cast<iGuiMethod*>(this);
    return nullptr;
}

void ModifierFractionFunc::Tick(int elapsedMs) {
    ModifierFraction::Tick(elapsedMs);
    if (m_nInterval <= 0) {
        TryExecuteMethod(this);
        return;
    }
    while (m_nLastCall + m_nInterval < m_nElapsed) {
        m_nLastCall += m_nInterval;
        TryExecuteMethod(this);
    }
}

}  // namespace ZQ2
