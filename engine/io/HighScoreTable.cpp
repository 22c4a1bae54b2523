#include "engine/io/HighScoreTable.h"

#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"

namespace ZQ2 {

const char* const PROP_DESCENDING = "descending";
const char* const PROP_MAX_ENTRIES = "maxentries";
const char* const PROP_LAST_SCORE = "lastscore";
const char* const PROP_ENTRIES = "entries";

const RTTI* const HighScoreTable::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI HighScoreTable::rtti("HighScoreTable", HighScoreTable::rttis);

HighScoreTable::HighScoreTable(int maxEntries, bool descending)
    : m_bDescending(descending), m_iMaxEntries(maxEntries) {}

HighScoreTable::HighScoreTable(AbstractProperty* prop) : m_iMaxEntries(-1) {
    PropertyNode* node = prop ? prop->ToNode() : nullptr;
    if (!node)
        return;
    if (node->HasProperty(PROP_DESCENDING))
        m_bDescending = node->GetValue(PROP_DESCENDING)->ToBoolean();
    if (node->HasProperty(PROP_LAST_SCORE))
        m_iLastScore = node->GetValue(PROP_LAST_SCORE)->ToInt();
    if (node->HasProperty(PROP_MAX_ENTRIES))
        m_iMaxEntries = node->GetValue(PROP_MAX_ENTRIES)->ToInt();
    for (const SmartPtr<AbstractProperty>& element : *node->GetVector(PROP_ENTRIES)) {
        // A table never holds more than its size, whatever the file says.
        if (m_iMaxEntries > 0 && m_Entries.size() >= m_iMaxEntries)
            break;
        BaseObject* built = element ? ObjectFactory::Instance()->CreateObject(element.Get()) : nullptr;
        SmartPtr<BaseObject> hold(built);
        if (auto* entry = DynamicCast<HighScoreEntry>(built))
            m_Entries.push_back(SmartPtr<HighScoreEntry>(entry));
    }
}

int HighScoreTable::AddScore(SmartPtr<HighScoreEntry> entry) {
    if (!entry)
        return -1;
    const bool bounded = m_iMaxEntries > 0;
    for (int i = 0; i < m_Entries.size(); ++i) {
        if (m_Entries[i]->IsLowerOrEqual(entry.Get()) != m_bDescending)
            continue;
        m_Entries.insert(m_Entries.begin() + i, &entry, &entry + 1);
        if (bounded && m_Entries.size() > m_iMaxEntries)
            m_Entries.pop_back();
        return m_iLastScore = i;
    }
    if (bounded && m_Entries.size() >= m_iMaxEntries)
        return m_iLastScore = -1;
    m_Entries.push_back(entry);
    return m_iLastScore = m_Entries.size() - 1;
}

int HighScoreTable::AddScore(const std::string& name, int score, bool) {
    return AddScore(SmartPtr<HighScoreEntry>(new HighScoreEntry(name, score, true)));
}

bool HighScoreTable::IsHighScore(SmartPtr<HighScoreEntry> entry) const {
    if (!entry)
        return false;
    for (const SmartPtr<HighScoreEntry>& stored : m_Entries) {
        if (stored->IsLowerOrEqual(entry.Get()))
            return true;
    }
    return false;
}

bool HighScoreTable::IsHighScore(int score) const {
    return IsHighScore(SmartPtr<HighScoreEntry>(new HighScoreEntry("", score, false)));
}

bool HighScoreTable::ContainsPlayer(const std::string& name) const {
    for (const SmartPtr<HighScoreEntry>& entry : m_Entries) {
        if (!entry->IsPrefilled() && std::string(entry->GetName()) == name)
            return true;
    }
    return false;
}

void HighScoreTable::Clear() {
    m_Entries.clear();
    m_iLastScore = -1;
}

void HighScoreTable::Save(AbstractProperty* prop) {
    PropertyNode* node = prop ? prop->ToNode() : nullptr;
    if (!node)
        return;
    node->InsertBoolean(PROP_DESCENDING, m_bDescending, true);
    node->InsertProperty(new PropertyValue(PROP_MAX_ENTRIES, m_iMaxEntries, true));
    node->InsertProperty(new PropertyValue(PROP_LAST_SCORE, m_iLastScore, true));
    if (m_Entries.empty())
        return;
    auto* entries = new PropertyVector(PROP_ENTRIES);
    for (const SmartPtr<HighScoreEntry>& entry : m_Entries) {
        auto* element = new PropertyNode("", "");
        entries->InsertProperty(element);
        entry->Save(element);
    }
    node->InsertProperty(entries);
}

}  // namespace ZQ2
