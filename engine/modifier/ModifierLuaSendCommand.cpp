#include "engine/modifier/ModifierLuaSendCommand.h"

namespace ZQ2 {

const RTTI* const ModifierLuaSendCommand::rttis[] = {&Modifier::rtti, nullptr};
const RTTI ModifierLuaSendCommand::rtti("ModifierLuaSendCommand", ModifierLuaSendCommand::rttis);

ModifierLuaSendCommand::ModifierLuaSendCommand(GameNode* target, const std::string& command, GameNode* sender)
    : m_spTarget(target), m_strCommand(command), m_spSender(sender) {}

std::string ModifierLuaSendCommand::ToString() const {
    std::string text = Modifier::ToString();
    text += "cmd=";
    text += m_strCommand;
    text += "; ";
    return text;
}

void ModifierLuaSendCommand::EndModifier() {
    if (HasDoneBit())
        return;
    m_nStatus |= STATUS_DONE;
    if (m_spTarget)
        m_spTarget->HandleCommand(m_strCommand, m_spSender.Get());
}

}  // namespace ZQ2
