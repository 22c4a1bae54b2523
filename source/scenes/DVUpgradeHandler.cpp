#include "source/scenes/DVUpgradeHandler.h"

#include <algorithm>
#include <cstdio>

#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "source/main/DelvorPlayer.h"

using namespace ZQ2;

const RTTI* const DVUpgradeHandler::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI DVUpgradeHandler::rtti("DVUpgradeHandler", DVUpgradeHandler::rttis);

void DVUpgradeHandler::AddUpgradeToMasterList(DelvorUpgrade* upgrade) {
    if (upgrade)
        m_MasterList.push_back(SmartPtr<DelvorUpgrade>(upgrade));
}

void DVUpgradeHandler::RemoveAllBoughtUpgrades(bool keepCheats) {
    if (!keepCheats) {
        m_Bought.clear();
        return;
    }
    m_Bought.erase(std::remove_if(m_Bought.begin(), m_Bought.end(),
                                  [](const BoughtUpgrade& upgrade) { return !upgrade.bCheat; }),
                   m_Bought.end());
}

int DVUpgradeHandler::GetTopUpgradeOfType(int type) const {
    int level = 0;
    for (const BoughtUpgrade& bought : m_Bought) {
        if (bought.bUsed)
            continue;
        const auto same = [&bought](const SmartPtr<DelvorUpgrade>& u) { return u && u->GetID() == bought.sUpgradeID; };
        const auto it = std::find_if(m_MasterList.begin(), m_MasterList.end(), same);
        if (it == m_MasterList.end() || (*it)->GetType() != type)
            continue;
        if (bought.sUpgradeID.find('1') != std::string::npos && level == 0)
            level = 1;
        else if (bought.sUpgradeID.find('2') != std::string::npos)
            level = 2;
    }
    return level;
}

bool DVUpgradeHandler::IsUpgradeAlreadyAcquiredForDay(int country, int day) const {
    return std::any_of(m_Bought.begin(), m_Bought.end(), [country, day](const BoughtUpgrade& upgrade) {
        return upgrade.iCountry == country && upgrade.iDay == day;
    });
}

void DVUpgradeHandler::SaveUpgrades(PropertyStore& store) {
    DelvorPlayer* player = DelvorPlayer::GetCurrent();
    for (size_t i = 0; i < m_Bought.size(); ++i) {
        const BoughtUpgrade& upgrade = m_Bought[i];
        char name[32];
        std::snprintf(name, sizeof name, "Upgrade%zu", i + 1);
        auto* node = new PropertyNode(name, "Node");
        store.InsertProperty(node);
        node->InsertProperty(new PropertyValue("id", static_cast<int>(i)));
        node->InsertProperty(new PropertyValue("upgrade_id", upgrade.sUpgradeID));
        node->InsertProperty(new PropertyValue("achieved_country", upgrade.iCountry));
        node->InsertProperty(new PropertyValue("achieved_day", upgrade.iDay));
        node->InsertBoolean("used", upgrade.bUsed, false);
        if (upgrade.bCheat)
            node->InsertBoolean("cheat", true, false);
        if (!player || i >= static_cast<size_t>(DelvorPlayer::UPGRADE_COUNT))
            continue;
        const int index = static_cast<int>(i);
        player->SetUpgradeID(index, upgrade.sUpgradeID);
        player->SetCountryAchieved(index, upgrade.iCountry);
        player->SetDayAchieved(index, upgrade.iDay);
        player->SetUsed(index, upgrade.bUsed);
        player->SetCheat(index, upgrade.bCheat);
    }
}
