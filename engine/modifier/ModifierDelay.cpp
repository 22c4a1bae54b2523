#include "engine/modifier/ModifierDelay.h"

#include <algorithm>
#include <limits>

namespace ZQ2 {

const RTTI* const ModifierDelay::rttis[] = {&Modifier::rtti, nullptr};
const RTTI ModifierDelay::rtti("ModifierDelay", ModifierDelay::rttis);

namespace {
// The remaining time of the waiting forms, which do not use it.
constexpr int kUnusedTime = -100;
}  // namespace

ModifierDelay::ModifierDelay(int delayMs) : m_nRemaining(delayMs) { m_nOptions |= OPTION_BLOCKING; }

ModifierDelay::ModifierDelay(Modifier* watched) : m_nRemaining(kUnusedTime), m_spWatchedModifier(watched) {
    m_nOptions |= OPTION_BLOCKING;
}

ModifierDelay::ModifierDelay(GameNode* watched) : m_nRemaining(kUnusedTime), m_spWatchedNode(watched) {
    m_nOptions |= OPTION_BLOCKING;
}

std::string ModifierDelay::ToString() const {
    std::string text = Modifier::ToString();
    if (m_spWatchedNode)
        return text + "until <" + m_spWatchedNode->ToStringShort() + "> is still; ";
    if (m_spWatchedModifier)
        return text + "until <" + m_spWatchedModifier->ToStringShort() + "> is done; ";
    return text + std::to_string(m_nRemaining) + " ms; ";
}

bool ModifierDelay::IsOver(int elapsedMs) {
    if (m_spWatchedNode)
        return m_spWatchedNode->GetModifiers().empty();
    if (m_spWatchedModifier)
        return m_spWatchedModifier->HasDoneBit();
    m_nRemaining = AddTime(m_nRemaining, -std::max(elapsedMs, -std::numeric_limits<int>::max()));
    return m_nRemaining <= 0;
}

void ModifierDelay::Tick(int elapsedMs) {
    if (IsOver(elapsedMs))
        EndModifier();
}

}  // namespace ZQ2
