#include "source/main/DelvorScoreEntry.h"

#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"

using namespace ZQ2;

const RTTI* const DelvorScoreEntry::rttis[] = {&HighScoreEntry::rtti, nullptr};
const RTTI DelvorScoreEntry::rtti("DelvorScoreEntry", DelvorScoreEntry::rttis);

ObjectInitializer DelvorScoreEntry::m_ObjectInitializer("DelvorScore", &DelvorScoreEntry::OnData);

namespace {

std::string CurrentPlayerName() {
    const PlayerManager* players = PlayerManager::g_Instance;
    const AbstractPlayer* player = players ? players->GetCurrentPlayer() : nullptr;
    return player ? std::string(player->GetName()) : std::string();
}

}  // namespace

DelvorScoreEntry::DelvorScoreEntry(int score, const std::string& extra)
    : HighScoreEntry(CurrentPlayerName(), score, false), m_sExtra(extra) {}

DelvorScoreEntry::DelvorScoreEntry(const std::string& name, int score, const std::string& extra)
    : HighScoreEntry(name, score, true), m_sExtra(extra) {}

DelvorScoreEntry::DelvorScoreEntry(AbstractProperty* node) : HighScoreEntry(node) {
    PropertyNode* data = node ? node->ToNode() : nullptr;
    if (data)
        m_sExtra = data->GetPropString("extra");
}

BaseObject* DelvorScoreEntry::OnData(AbstractProperty* node) { return new DelvorScoreEntry(node); }

void DelvorScoreEntry::Save(AbstractProperty* node) {
    HighScoreEntry::Save(node);
    PropertyNode* data = node ? node->ToNode() : nullptr;
    if (!data)
        return;
    data->SetTypeName("DelvorScore");
    data->InsertProperty(new PropertyValue("extra", m_sExtra, true));
}
