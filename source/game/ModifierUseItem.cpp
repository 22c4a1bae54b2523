#include "source/game/ModifierUseItem.h"

#include "source/game/DelvorCharacter.h"

const ZQ2::RTTI* const ModifierUseItem::rttis[] = {&ZQ2::Modifier::rtti, nullptr};
const ZQ2::RTTI ModifierUseItem::rtti("ModifierUseItem", ModifierUseItem::rttis);

ModifierUseItem::ModifierUseItem(int timeMs, ClickObject* target) : m_iRemaining(timeMs), m_pTarget(target) {
    m_nOptions |= OPTION_BLOCKING;
}

void ModifierUseItem::Use() {
    auto* boss = ZQ2::DynamicCast<DelvorCharacter>(GetClient());
    if (!boss) {
        m_bFinished = true;
        return;
    }
    const bool skipped = boss->SkipUseItem();
    if (!skipped) {
        m_bUsed = boss->UseItem(m_pTarget);
        boss->ResetImage();
    }
    if (m_pTarget && m_pTarget->GetRTTI().GetName() == "DelvorHole")
        boss->SetCurrentHole(m_pTarget);
    boss->SetNextDestination(nullptr);
    m_bFinished = (m_bUsed && boss->GetVuruState() > 0) || skipped || boss->IsInHomeArea();
}

void ModifierUseItem::Tick(int elapsedMs) {
    if (!m_bStarted) {
        m_bStarted = true;
        Use();
    }
    m_iRemaining -= elapsedMs;
    if (m_bFinished || m_iRemaining <= 0)
        EndModifier();
}
