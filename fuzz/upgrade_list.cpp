// Builds the upgrade handler's master list from an arbitrary upgrade file,
// buys every other upgrade for a player, asks every question the game asks,
// then writes the owned list into the player's records and rebuilds it from
// them: the same upgrades must come back, in the same order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "fuzz/SaveFolderFixture.h"
#include "source/main/DelvorMain.h"
#include "source/main/DelvorPlayer.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/DelvorUpgrade.h"

using namespace ZQ2;

namespace {

std::vector<std::string> OwnedIds(const DVUpgradeHandler& upgrades, int limit) {
    std::vector<std::string> ids;
    for (const auto& upgrade : upgrades.GetOwnedList()) {
        if (static_cast<int>(ids.size()) == limit)
            break;
        ids.push_back(upgrade->GetID());
    }
    return ids;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzfixture::SaveFolder();
    const std::string text(reinterpret_cast<const char*>(data), size);
    SmartPtr<PropertyStore> store(new PropertyStore);
    if (!store->ParseFromBuffer(text.c_str()))
        return 0;
    PropertyNode* list = store->GetNode("upgrades");
    if (!list)
        return 0;
    PlayerManager::CreateInstance(false, "1");
    DVUpgradeHandler::CreateInstance();
    DVUpgradeHandler& upgrades = *DVUpgradeHandler::g_Instance;
    for (const auto& child : *list) {
        const SmartPtr<BaseObject> object(child ? ObjectFactory::Instance()->CreateObject(child.Get()) : nullptr);
        if (auto* upgrade = DynamicCast<DelvorUpgrade>(object.Get()))
            upgrades.AddUpgradeToMasterList(upgrade);
    }
    PlayerManager::g_Instance->AddPlayer(new DelvorPlayer("Ann"));
    DelvorMain::m_nCurCountry = 1 + static_cast<int>(size % 7);
    DelvorMain::m_nCurDay = 2;
    for (int i = 0; i < upgrades.GetMasterList().size(); i += 2)
        upgrades.AcquireUpgrade(upgrades.GetMasterList()[i].Get(), 0, 0);
    for (int type = -1; type <= DelvorUpgrade::TYPE_COUNT; ++type) {
        (void)upgrades.GetCurrentUpgradeValue(type);
        const int level = upgrades.GetTopUpgradeOfType(type);
        if (level < 0 || level > 2)
            std::abort();
    }
    DVUpgradeHandler::UpgradeList offers;
    upgrades.GetUpgradesforDialog(3, &offers);
    if (offers.size() > 3)
        std::abort();
    (void)upgrades.GetNumHourGlasses();
    (void)upgrades.UseHourglass();

    const std::vector<std::string> before = OwnedIds(upgrades, DVUpgradeHandler::MAX_OWNED);
    PropertyStore saved;
    upgrades.SaveUpgrades(saved);
    if (saved.HasProperty("Upgrade22"))
        std::abort();
    upgrades.SetupUserUpgrades();
    // Identifiers shared by several upgrades come back as the first of them.
    if (OwnedIds(upgrades, DVUpgradeHandler::MAX_OWNED) != before)
        std::abort();

    DVUpgradeHandler::ReleaseInstance();
    PlayerManager::ReleaseInstance();
    DelvorMain::m_nCurCountry = 1;
    DelvorMain::m_nCurDay = 1;
    return 0;
}
