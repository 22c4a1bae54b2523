#pragma once
// The upgrade handler: the master list of upgrade definitions and the
// upgrades the current player bought. A stand-in until the level scene is
// built: it keeps the lists and writes the bought ones into the save game.
#include <string>
#include <vector>

#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/core/iInstance.h"
#include "source/scenes/DelvorUpgrade.h"

namespace ZQ2 {
class PropertyStore;
}

class DVUpgradeHandler : public ZQ2::BaseObject, public ZQ2::iInstance<DVUpgradeHandler> {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    struct BoughtUpgrade {
        std::string sUpgradeID;
        int iCountry = 0;
        int iDay = 0;
        bool bUsed = false;
        bool bCheat = false;
    };

    void AddUpgradeToMasterList(DelvorUpgrade* upgrade);
    void AddBoughtUpgrade(const BoughtUpgrade& upgrade) { m_Bought.push_back(upgrade); }
    // With false, the bought list is emptied.
    void RemoveAllBoughtUpgrades(bool keepCheats);
    // One "Upgrade%d" node per bought upgrade, copied into the current
    // player's upgrade records too.
    void SaveUpgrades(ZQ2::PropertyStore& store);

    const ZQ2::ZQVector<ZQ2::SmartPtr<DelvorUpgrade>>& GetMasterList() const { return m_MasterList; }
    const std::vector<BoughtUpgrade>& GetBoughtUpgrades() const { return m_Bought; }
    // 0, 1 or 2: the level of the best owned, unused upgrade of that type,
    // told by the digits of its identifier.
    int GetTopUpgradeOfType(int type) const;
    // Whether an owned upgrade was bought in exactly this country and day,
    // so that a replayed shop day sells no second one.
    bool IsUpgradeAlreadyAcquiredForDay(int country, int day) const;

    // The effects of owned upgrades are not counted yet: every value is 0.
    int GetCurrentUpgradeValue(int) const { return 0; }
    int GetNumHourGlasses() const { return GetCurrentUpgradeValue(13) / 30000; }
    bool IsHourGlass() const { return GetCurrentUpgradeValue(13) > 0; }
    int UseHourglass() { return 0; }

private:
    ZQ2::ZQVector<ZQ2::SmartPtr<DelvorUpgrade>> m_MasterList;
    std::vector<BoughtUpgrade> m_Bought;
};
