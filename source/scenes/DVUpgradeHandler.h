#pragma once
// The upgrade handler: the master list of every upgrade the data defines,
// and the list of upgrades the current player owns, rebuilt from the
// player's profile records and written back to them. Game objects ask it
// for the value that one upgrade type adds to their own tuning value.
#include <string>

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

    using UpgradeList = ZQ2::ZQVector<ZQ2::SmartPtr<DelvorUpgrade>>;

    // The profile holds this many upgrade records, one per shop day.
    static constexpr int MAX_OWNED = 21;
    // Each this much of summed hourglass effect is one hourglass.
    static constexpr int HOURGLASS_TIME = 30000;

    // An upgrade without an identifier is not taken.
    void AddUpgradeToMasterList(DelvorUpgrade* upgrade);
    // Marks the upgrade bought in that country and day (0: the current one)
    // and appends it to the owned list; no check for duplicates.
    DelvorUpgrade* AcquireUpgrade(DelvorUpgrade* upgrade, int country, int day);
    // The first master-list upgrade of that identifier, acquired; null when
    // there is none.
    DelvorUpgrade* AcquireUpgrade(const std::string& id, int country, int day);

    // The summed effect of the owned upgrades of that type that count in the
    // current country: hourglasses count everywhere, the others only in the
    // country that sold them; a used upgrade adds nothing.
    int GetCurrentUpgradeValue(int type) const;
    int GetNumHourGlasses() const { return GetCurrentUpgradeValue(DelvorUpgrade::TYPE_HOURGLASS) / HOURGLASS_TIME; }
    bool IsHourGlass() const { return GetCurrentUpgradeValue(DelvorUpgrade::TYPE_HOURGLASS) > 0; }
    // Gives up the first acquired hourglass; its effect is the time it stops the clock.
    int UseHourglass() { return RemoveUpgrade(DelvorUpgrade::TYPE_HOURGLASS); }
    // Removes the first owned upgrade of that type; its effect, 0 for none.
    int RemoveUpgrade(int type);
    // 0, 1 or 2: the level of the best owned, unused upgrade of that type,
    // told by the digits of its identifier.
    int GetTopUpgradeOfType(int type) const;
    // Whether an owned upgrade was bought in exactly this country and day,
    // so that a replayed shop day sells no second one.
    bool IsUpgradeAlreadyAcquiredForDay(int country, int day) const;
    // Up to max upgrades of the current country not owned yet, in master order.
    void GetUpgradesforDialog(int max, UpgradeList* out) const;

    // With false, the owned list is emptied; with true, persistent ones stay.
    void RemoveAllBoughtUpgrades(bool keepPersistent);
    // Rebuilds the owned list from the current player's upgrade records.
    void SetupUserUpgrades();
    // Rebuilds the owned list when it was built for another player than the
    // current one (or for none): an owned list never passes between players.
    void SetupUserUpgradesForCurrentPlayer();
    // For the menus that change the current player: the handler, if there
    // is one, rebuilds the owned list for the new player.
    static void UseCurrentPlayer();
    // One "Upgrade%d" node per owned upgrade into the store, and the owned
    // list into the current player's records.
    void SaveUpgrades(ZQ2::PropertyStore& store);
    // The owned list into the current player's records; the records after
    // the last owned upgrade are cleared.
    void WriteUserRecords();

    const UpgradeList& GetMasterList() const { return m_MasterList; }
    const UpgradeList& GetOwnedList() const { return m_OwnedList; }
    // The player the owned list was built for; empty for none.
    const std::string& GetOwner() const { return m_sOwner; }

private:
    bool IsOwned(const DelvorUpgrade* upgrade) const;

    UpgradeList m_MasterList;
    UpgradeList m_OwnedList;
    std::string m_sOwner;
};
