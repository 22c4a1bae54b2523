#include "engine/io/HighScoreManager.h"

#include "engine/core/Random.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/FileUtils.h"
#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"

namespace ZQ2 {

const char* const DEFAULT_HIGHSCORE_DIRECTORY = "players";
const char* const DEFAULT_HIGHSCORE_FILE = "scores";
const char* const DEFAULT_HIGHSCORE_EXTENSION = ".xml";

const RTTI* const HighScoreManager::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI HighScoreManager::rtti("HighScoreManager", HighScoreManager::rttis);

namespace {

const char* const kTablesNode = "highscoretables";
const char* const kTablesVector = "scoretables";

}  // namespace

HighScoreManager::HighScoreManager() : m_iUid(Random::Instance()->GetInt(0, 2147483647)) {}

void HighScoreManager::CreateInstance(bool encipher, const std::string& version) {
    auto* manager = new HighScoreManager;
    manager->m_bEncipher = encipher;
    manager->m_sVersion = version.empty() ? BasicProperties::GetString("HIGHSCORES_VERSION") : version;
    g_Instance = manager;
    manager->AddRef();
}

HighScoreTable* HighScoreManager::GetHighScoreTable(const std::string& name) const {
    const auto found = m_Tables.find(name);
    return found == m_Tables.end() ? nullptr : found->second.Get();
}

bool HighScoreManager::HasHighScoreTable(const std::string& name) const { return m_Tables.count(name) != 0; }

void HighScoreManager::AddHighScoreTable(const std::string& name, HighScoreTable* table) {
    m_Tables[name] = SmartPtr<HighScoreTable>(table);
}

void HighScoreManager::ClearAllTables() {
    for (auto& entry : m_Tables)
        entry.second->Clear();
}

std::string HighScoreManager::GetHighScoreFileName() const {
    std::string folder = GetGameSaveDirPath();
    folder.append("/").append(DEFAULT_HIGHSCORE_DIRECTORY);
    CreatePath(folder);
    return folder + "/" + DEFAULT_HIGHSCORE_FILE + DEFAULT_HIGHSCORE_EXTENSION;
}

void HighScoreManager::SaveToDisk() {
    HighScoreManager* manager = g_Instance;
    if (!manager)
        return;
    SmartPtr<PropertyStore> store(new PropertyStore);
    store->SetArchiveType(manager->GetArchiveType());
    auto* node = new PropertyNode(kTablesNode, "HighScoreTables");
    store->InsertProperty(node);
    manager->Save(node);
    store->AddFile(manager->GetHighScoreFileName());
    store->Save();
}

void HighScoreManager::Save(AbstractProperty* prop) const {
    PropertyNode* node = prop ? prop->ToNode() : nullptr;
    if (!node)
        return;
    node->InsertProperty(new PropertyValue(PROP_VERSION, m_sVersion, true));
    node->InsertProperty(new PropertyValue(PROP_UID, m_iUid, true));
    auto* tables = new PropertyVector(kTablesVector);
    for (const auto& [name, table] : m_Tables) {
        auto* element = new PropertyNode(name, "ScoreTable");
        tables->InsertProperty(element);
        table->Save(element);
    }
    node->InsertProperty(tables);
}

// A scores file that exists but can't be read is set aside before the
// current tables are written in its place.
void HighScoreManager::LoadFromDisk() {
    SmartPtr<PropertyStore> store(new PropertyStore);
    store->SetArchiveType(GetArchiveType());
    const std::string file = GetHighScoreFileName();
    const std::string stored = GetEncryptFileName(file, GetArchiveType());
    if (!FileExists(stored))
        return;
    if (!store->IsValidXMLFile(file)) {
        SetFileAside(stored);
        return;
    }
    store->Load(file);
    PropertyNode* node = store->GetNode(kTablesNode);
    if (node->HasProperty(PROP_VERSION) && node->GetPropString(PROP_VERSION) == m_sVersion)
        Load(node);
    SaveToDisk();
}

void HighScoreManager::Load(AbstractProperty* prop) {
    PropertyNode* node = prop ? prop->ToNode() : nullptr;
    if (!node)
        return;
    m_sVersion = node->HasProperty(PROP_VERSION) ? node->GetPropString(PROP_VERSION) : std::string("0.0");
    if (node->HasProperty(PROP_UID))
        m_iUid = node->GetValue(PROP_UID)->ToInt();
    for (const SmartPtr<AbstractProperty>& element : *node->GetVector(kTablesVector)) {
        if (!element || element->GetType() != PROPERTY_NODE)
            continue;
        SmartPtr<HighScoreTable> table(new HighScoreTable(element.Get()));
        table->SetLastScore(-1);
        m_Tables[element->GetName()] = table;
    }
}

}  // namespace ZQ2
