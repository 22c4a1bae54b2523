#include "engine/io/HighScoreEntry.h"

#include "engine/io/HighScoreManager.h"
#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/ResourceSection.h"
#include "engine/io/URL.h"

namespace ZQ2 {

const char* const TYPEDEF_HIGHSCORE_ENTRY = "HighScoreEntry";
const char* const PROP_SCORE_VALUE = "scorevalue";
const char* const PROP_PLAYER_NAME = "playername";
const char* const PROP_IS_PREFILLED_SCORE = "isprefilledscore";
const char* const PROP_UID = "uid";
const char* const PROP_SCORE = "score";

const RTTI* const HighScoreEntry::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI HighScoreEntry::rtti("HighScoreEntry", HighScoreEntry::rttis);
ObjectInitializer HighScoreEntry::m_ObjectInitializer(TYPEDEF_HIGHSCORE_ENTRY, &HighScoreEntry::OnData);

HighScoreEntry::HighScoreEntry(const std::string& name, int score, bool prefilled)
    : m_Name(name), m_iScore(score), m_bPrefilled(prefilled) {
    if (HighScoreManager::g_Instance)
        m_iUid = HighScoreManager::g_Instance->GetUid();
}

HighScoreEntry::HighScoreEntry(AbstractProperty* prop) {
    PropertyNode* node = prop ? prop->ToNode() : nullptr;
    if (!node)
        return;
    if (node->HasProperty(PROP_UID)) {
        m_iUid = node->GetValue(PROP_UID)->ToInt();
        m_Name = node->GetPropString(PROP_NAME);
        m_iScore = node->GetValue(PROP_SCORE)->ToInt();
        return;
    }
    m_Name = node->GetPropString(PROP_PLAYER_NAME);
    m_iScore = node->GetValue(PROP_SCORE_VALUE)->ToInt();
    m_bPrefilled = node->GetValue(PROP_IS_PREFILLED_SCORE)->ToBoolean();
}

void HighScoreEntry::Save(AbstractProperty* prop) {
    PropertyNode* node = prop ? prop->ToNode() : nullptr;
    if (!node)
        return;
    node->SetTypeName(TYPEDEF_HIGHSCORE_ENTRY);
    node->InsertProperty(new PropertyValue(PROP_SCORE_VALUE, m_iScore, true));
    node->InsertProperty(new PropertyValue(PROP_PLAYER_NAME, std::string(m_Name), true));
    node->InsertBoolean(PROP_IS_PREFILLED_SCORE, m_bPrefilled, true);
}

bool HighScoreEntry::IsLowerOrEqual(HighScoreEntry* other) {
    if (!other)
        return false;
    if (m_iOrderKey < 0)
        return other->m_iScore >= m_iScore;
    return m_iOrderKey < other->m_iOrderKey;
}

void HighScoreEntry::FillOnlineParameters(URL& url) const {
    url.SetParameter("name", std::string(m_Name));
    url.SetParameter("uid", m_iUid);
    url.SetParameter("s", m_iScore);
}

bool HighScoreEntry::IsCurrentPlayerScore() const {
    const PlayerManager* players = PlayerManager::g_Instance;
    if (!players || players->GetPlayers().empty() || !players->GetCurrentPlayer())
        return false;
    if (std::string(players->GetCurrentPlayer()->GetName()) != std::string(m_Name))
        return false;
    return HighScoreManager::g_Instance && m_iUid == HighScoreManager::g_Instance->GetUid();
}

}  // namespace ZQ2
