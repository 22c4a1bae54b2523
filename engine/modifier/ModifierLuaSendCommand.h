#pragma once
// One step of a script-built animation that hands a command text to a node
// when it is reached, naming a sender. Both nodes are kept alive until the
// step is destroyed.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/UTF8String.h"
#include "engine/modifier/Modifier.h"
#include "engine/sprite/GameNode.h"

namespace ZQ2 {

class ModifierLuaSendCommand : public Modifier {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    ModifierLuaSendCommand(GameNode* target, const std::string& command, GameNode* sender);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    void Tick(int) override { EndModifier(); }
    // Only the first end sends, however it is reached.
    void EndModifier() override;

private:
    SmartPtr<GameNode> m_spTarget;
    UTF8String m_strCommand;
    SmartPtr<GameNode> m_spSender;
};

}  // namespace ZQ2
