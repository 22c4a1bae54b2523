#include "engine/modifier/ModifierVisible.h"

#include "engine/sprite/GameNode.h"

namespace ZQ2 {

const RTTI* const ModifierVisible::rttis[] = {&Modifier::rtti, nullptr};
const RTTI ModifierVisible::rtti("ModifierVisible", ModifierVisible::rttis);

std::string ModifierVisible::ToString() const {
    static const char* const kWords[] = {"hide", "show", "flip"};
    return Modifier::ToString() + kWords[m_eAction] + "; ";
}

void ModifierVisible::EndModifier() {
    // Ended from outside after its tick, it must not flip back.
    if (HasDoneBit())
        return;
    m_nStatus |= STATUS_DONE;
    if (!m_pClient)
        return;
    switch (m_eAction) {
    case VISIBLE_HIDE:
        m_pClient->SetVisible(false);
        break;
    case VISIBLE_SHOW:
        m_pClient->SetVisible(true);
        break;
    case VISIBLE_FLIP:
        m_pClient->SetVisible(!m_pClient->IsVisible());
        break;
    }
}

}  // namespace ZQ2
