#pragma once
// Owning upgrades in a game test: an upgrade of one type and effect, sold
// in the current country, entered in the handler's master list and bought.
#include <string>

#include "engine/core/SmartPtr.h"
#include "source/main/DelvorMain.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/DelvorUpgrade.h"

namespace upgradetest {

// The identifier has no digit unless given: the level of an upgrade
// comes from the digits of its identifier.
inline DelvorUpgrade* Own(int type, int effect, const std::string& id = "OWNED") {
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    if (!upgrades)
        return nullptr;
    ZQ2::SmartPtr<DelvorUpgrade> upgrade(new DelvorUpgrade);
    upgrade->SetID(id);
    upgrade->SetType(type);
    upgrade->SetEffect(effect);
    upgrade->SetCountry(DelvorMain::m_nCurCountry);
    upgrades->AddUpgradeToMasterList(upgrade.Get());
    return upgrades->AcquireUpgrade(upgrade.Get(), 0, 0);
}

}  // namespace upgradetest
