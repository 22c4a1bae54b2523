#include "source/game/DelvorBoss.h"

#include <algorithm>

const ZQ2::RTTI* const DelvorBoss::rttis[] = {&DelvorCharacter::rtti, nullptr};
const ZQ2::RTTI DelvorBoss::rtti("DelvorBoss", DelvorBoss::rttis);

bool DelvorBoss::CanAddHoleToStack(ClickObject* target) {
    if (!target || target->GetRTTI().GetName() != "DelvorHole")
        return false;
    if (target == GetCurrentHole() || IsNextDestination(target))
        return false;
    const auto& stack = GetStack();
    return std::find(stack.begin(), stack.end(), target) == stack.end();
}
