#include "source/scenes/DVUpgradeHandler.h"

#include <algorithm>
#include <cstdio>

#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "source/main/DelvorMain.h"
#include "source/main/DelvorPlayer.h"

using namespace ZQ2;

const RTTI* const DVUpgradeHandler::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI DVUpgradeHandler::rtti("DVUpgradeHandler", DVUpgradeHandler::rttis);

namespace {

// Whether an upgrade sold in one country applies where the player is now.
bool AppliesHere(const DelvorUpgrade& upgrade) {
    return upgrade.GetCountry() <= 0 || upgrade.GetCountry() == DelvorMain::m_nCurCountry;
}

std::string CurrentPlayerName() {
    DelvorPlayer* player = DelvorPlayer::GetCurrent();
    return player ? std::string(player->GetName()) : std::string();
}

}  // namespace

void DVUpgradeHandler::AddUpgradeToMasterList(DelvorUpgrade* upgrade) {
    // The profile knows an upgrade by its identifier only; an empty one
    // would end the player's records.
    if (upgrade && !upgrade->GetID().empty())
        m_MasterList.push_back(SmartPtr<DelvorUpgrade>(upgrade));
}

DelvorUpgrade* DVUpgradeHandler::AcquireUpgrade(DelvorUpgrade* upgrade, int country, int day) {
    if (!upgrade)
        return nullptr;
    // A purchase goes into the current player's own list, never into a
    // list left behind by another player.
    SetupUserUpgradesForCurrentPlayer();
    upgrade->SetWhenAchieved(country != 0 ? country : DelvorMain::m_nCurCountry, day != 0 ? day : DelvorMain::m_nCurDay);
    m_OwnedList.push_back(SmartPtr<DelvorUpgrade>(upgrade));
    return upgrade;
}

DelvorUpgrade* DVUpgradeHandler::AcquireUpgrade(const std::string& id, int country, int day) {
    for (const SmartPtr<DelvorUpgrade>& upgrade : m_MasterList)
        if (upgrade->GetID() == id)
            return AcquireUpgrade(upgrade.Get(), country, day);
    return nullptr;
}

int DVUpgradeHandler::GetCurrentUpgradeValue(int type) const {
    int sum = 0;
    for (const SmartPtr<DelvorUpgrade>& upgrade : m_OwnedList) {
        if (upgrade->GetType() != type || upgrade->IsUsed())
            continue;
        // Hourglasses count in every country.
        if (type == DelvorUpgrade::TYPE_HOURGLASS || AppliesHere(*upgrade))
            sum += upgrade->GetEffect();
    }
    return sum;
}

int DVUpgradeHandler::RemoveUpgrade(int type) {
    for (int i = 0; i < m_OwnedList.size(); ++i) {
        if (m_OwnedList[i]->GetType() != type)
            continue;
        const int effect = m_OwnedList[i]->GetEffect();
        m_OwnedList.erase(m_OwnedList.begin() + i, m_OwnedList.begin() + i + 1);
        return effect;
    }
    return 0;
}

int DVUpgradeHandler::GetTopUpgradeOfType(int type) const {
    int level = 0;
    for (const SmartPtr<DelvorUpgrade>& upgrade : m_OwnedList) {
        if (upgrade->GetType() != type)
            continue;
        if (!upgrade->IsCheat() && !AppliesHere(*upgrade))
            continue;
        if (upgrade->IsUsed())
            continue;
        const std::string& id = upgrade->GetID();
        if (id.find('1') != std::string::npos && level == 0)
            level = 1;
        else if (id.find('2') != std::string::npos)
            level = 2;
    }
    return level;
}

bool DVUpgradeHandler::IsUpgradeAlreadyAcquiredForDay(int country, int day) const {
    return std::any_of(m_OwnedList.begin(), m_OwnedList.end(), [country, day](const SmartPtr<DelvorUpgrade>& upgrade) {
        int boughtCountry = 0;
        int boughtDay = 0;
        upgrade->GetWhenAchieved(boughtCountry, boughtDay);
        return boughtCountry == country && boughtDay == day;
    });
}

bool DVUpgradeHandler::IsOwned(const DelvorUpgrade* upgrade) const {
    return std::any_of(m_OwnedList.begin(), m_OwnedList.end(),
                       [upgrade](const SmartPtr<DelvorUpgrade>& owned) { return owned.Get() == upgrade; });
}

void DVUpgradeHandler::GetUpgradesforDialog(int max, UpgradeList* out) const {
    if (!out)
        return;
    out->clear();
    for (const SmartPtr<DelvorUpgrade>& upgrade : m_MasterList) {
        if (out->size() >= max)
            return;
        if (upgrade->GetCountry() > 0 && upgrade->GetCountry() == DelvorMain::m_nCurCountry && !IsOwned(upgrade.Get()))
            out->push_back(upgrade);
    }
}

void DVUpgradeHandler::RemoveAllBoughtUpgrades(bool keepPersistent) {
    UpgradeList kept;
    for (const SmartPtr<DelvorUpgrade>& upgrade : m_OwnedList) {
        if (keepPersistent && upgrade->IsPersistent())
            kept.push_back(upgrade);
        else
            upgrade->SetUsed(false);
    }
    m_OwnedList = kept;
    // An emptied list belongs to no one: the next use rebuilds it for the
    // player who is current then.
    if (!keepPersistent)
        m_sOwner.clear();
}

void DVUpgradeHandler::SetupUserUpgrades() {
    RemoveAllBoughtUpgrades(false);
    DelvorPlayer* player = DelvorPlayer::GetCurrent();
    if (!player)
        return;
    m_sOwner = std::string(player->GetName());
    for (int index = 0; index < MAX_OWNED; ++index) {
        std::string id;
        player->GetUpgradeID(index, id);
        if (id.empty())
            return;
        if (DelvorUpgrade* upgrade = AcquireUpgrade(id, player->GetCountryAchieved(index), player->GetDayAchieved(index)))
            upgrade->SetUsed(player->IsUsed(index));
    }
}

void DVUpgradeHandler::SetupUserUpgradesForCurrentPlayer() {
    const std::string current = CurrentPlayerName();
    if (!current.empty() && current != m_sOwner)
        SetupUserUpgrades();
}

void DVUpgradeHandler::UseCurrentPlayer() {
    if (g_Instance)
        g_Instance->SetupUserUpgradesForCurrentPlayer();
}

void DVUpgradeHandler::WriteUserRecords() {
    SetupUserUpgradesForCurrentPlayer();
    DelvorPlayer* player = DelvorPlayer::GetCurrent();
    if (!player)
        return;
    const int count = std::min(m_OwnedList.size(), MAX_OWNED);
    for (int index = 0; index < MAX_OWNED; ++index) {
        if (index >= count) {
            player->SetUpgradeID(index, std::string());
            player->SetCountryAchieved(index, 0);
            player->SetDayAchieved(index, 0);
            player->SetUsed(index, false);
            player->SetCheat(index, false);
            continue;
        }
        const DelvorUpgrade& upgrade = *m_OwnedList[index];
        int country = 0;
        int day = 0;
        upgrade.GetWhenAchieved(country, day);
        player->SetUpgradeID(index, upgrade.GetID());
        player->SetCountryAchieved(index, country);
        player->SetDayAchieved(index, day);
        player->SetUsed(index, upgrade.IsUsed());
        player->SetCheat(index, upgrade.IsCheat());
    }
}

void DVUpgradeHandler::SaveUpgrades(PropertyStore& store) {
    WriteUserRecords();
    const int count = std::min(m_OwnedList.size(), MAX_OWNED);
    for (int index = 0; index < count; ++index) {
        const DelvorUpgrade& upgrade = *m_OwnedList[index];
        char name[32];
        std::snprintf(name, sizeof name, "Upgrade%d", index + 1);
        auto* node = new PropertyNode(name, "Node");
        store.InsertProperty(node);
        int country = 0;
        int day = 0;
        upgrade.GetWhenAchieved(country, day);
        node->InsertProperty(new PropertyValue("id", std::string(name)));
        node->InsertProperty(new PropertyValue("upgrade_id", upgrade.GetID()));
        node->InsertProperty(new PropertyValue("achieved_country", country));
        node->InsertProperty(new PropertyValue("achieved_day", day));
        node->InsertBoolean("used", upgrade.IsUsed(), false);
        if (upgrade.IsCheat())
            node->InsertBoolean("cheat", true, false);
    }
}
