#include "engine/io/PlayerManager.h"

#include "engine/io/BasicProperties.h"
#include "engine/io/FileUtils.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"

namespace ZQ2 {

const char* const PROP_VERSION = "version";
const char* const PROP_CURRENT_PLAYER = "currentplayer";
const char* const VECTOR_PLAYER_NAMES = "playernames";
const char* const DEFAULT_PLAYERDATA_DIRECTORY = "players";
const char* const DEFAULT_SAVEGAME_DIRECTORY = "savegames";
const char* const DEFAULT_PLAYERLIST_FILE = "players";
const char* const DEFAULT_PLAYERLIST_EXTENSION = ".plrs";
const char* const DEFAULT_PLAYERDATA_EXTENSION = ".plr";
const char* const DEFAULT_SAVEGAME_EXTENSION = ".sav";

const RTTI* const PlayerManager::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI PlayerManager::rtti("PlayerManager", PlayerManager::rttis);

namespace {

const char* const kPlayersNode = "players";
const char* const kPlayerNode = "player";

// The version of a file's node: the attribute or typed value "version".
std::string VersionOf(PropertyNode* node) {
    return node->HasProperty(PROP_VERSION) ? node->GetPropString(PROP_VERSION) : std::string();
}

// Reads file into store when it holds valid XML. A file that is there but
// can't be read is set aside, so the next save does not replace it.
bool LoadSavedStore(PropertyStore& store, const std::string& file) {
    if (!store.IsValidXMLFile(file)) {
        SetFileAside(GetEncryptFileName(file, store.GetArchiveType()));
        return false;
    }
    return store.Load(file);
}

}  // namespace

void PlayerManager::CreateInstance(bool encipher, const std::string& version) {
    auto* manager = new PlayerManager;
    manager->m_bEncipher = encipher;
    manager->m_sVersion = version.empty() ? BasicProperties::GetString("PLAYERS_VERSION") : version;
    g_Instance = manager;
    manager->AddRef();
}

void PlayerManager::SaveToDisk() {
    PlayerManager* manager = g_Instance;
    if (!manager)
        return;
    SmartPtr<PropertyStore> store(new PropertyStore);
    store->SetArchiveType(manager->GetArchiveType());
    auto* node = new PropertyNode(kPlayersNode, "Players");
    store->InsertProperty(node);
    manager->Save(node);
    store->AddFile(manager->GetPlayerListFileName());
    store->Save();
    if (!manager->m_Players.empty() && manager->m_pCurrentPlayer)
        manager->SavePlayerData(manager->m_pCurrentPlayer);
}

void PlayerManager::Save(AbstractProperty* prop) const {
    PropertyNode* node = prop ? prop->ToNode() : nullptr;
    if (!node)
        return;
    node->InsertProperty(new PropertyValue(PROP_VERSION, m_sVersion, true));
    if (m_pCurrentPlayer)
        node->InsertProperty(new PropertyValue(PROP_CURRENT_PLAYER, std::string(m_pCurrentPlayer->GetName()), true));
    auto* names = new PropertyVector(VECTOR_PLAYER_NAMES);
    for (const SmartPtr<AbstractPlayer>& player : m_Players) {
        auto* entry = new PropertyNode("", "");
        names->InsertProperty(entry);
        player->Save(entry);
    }
    node->InsertProperty(names);
}

void PlayerManager::LoadFromDisk() {
    SmartPtr<PropertyStore> store(new PropertyStore);
    store->SetArchiveType(GetArchiveType());
    const std::string file = GetPlayerListFileName();
    if (FileExists(GetEncryptFileName(file, GetArchiveType())) && LoadSavedStore(*store, file)) {
        PropertyNode* node = store->GetNode(kPlayersNode);
        if (VersionOf(node) == m_sVersion)
            Load(node);
    }
    if (!m_Players.empty() && m_pCurrentPlayer)
        LoadPlayerData(m_pCurrentPlayer);
}

void PlayerManager::Load(AbstractProperty* prop) {
    PropertyNode* node = prop ? prop->ToNode() : nullptr;
    if (!node || !node->HasProperty(VECTOR_PLAYER_NAMES))
        return;
    for (const SmartPtr<AbstractProperty>& entry : *node->GetVector(VECTOR_PLAYER_NAMES)) {
        BaseObject* built = entry ? ObjectFactory::Instance()->CreateObject(entry.Get()) : nullptr;
        SmartPtr<BaseObject> hold(built);
        auto* player = DynamicCast<AbstractPlayer>(built);
        if (player && !player->GetName().empty())
            m_Players.push_back(SmartPtr<AbstractPlayer>(player));
    }
    if (!m_Players.empty())
        m_pCurrentPlayer = GetPlayer(node->GetPropString(PROP_CURRENT_PLAYER));
}

AbstractPlayer* PlayerManager::AddPlayer(AbstractPlayer* player) {
    const SmartPtr<AbstractPlayer> hold(player);
    // An empty name would share its files and save-game folder with no one,
    // and removing it would reach the folder of every player.
    if (!player || player->GetName().empty())
        return nullptr;
    m_Players.push_back(hold);
    if (m_Players.size() == 1)
        m_pCurrentPlayer = player;
    return player;
}

const SmartPtr<AbstractPlayer>* PlayerManager::GetPlayerIterator(const std::string& name) const {
    const std::string key = MakeValidFileName(name);
    for (const SmartPtr<AbstractPlayer>& player : m_Players) {
        if (MakeValidFileName(player->GetName()) == key)
            return &player;
    }
    return m_Players.end();
}

bool PlayerManager::HasPlayer(const std::string& name) const { return GetPlayerIterator(name) != m_Players.end(); }

AbstractPlayer* PlayerManager::GetPlayer(const std::string& name) const {
    const SmartPtr<AbstractPlayer>* found = GetPlayerIterator(name);
    return found == m_Players.end() ? nullptr : found->Get();
}

void PlayerManager::ChangePlayer(const std::string& name) {
    if (m_pCurrentPlayer) {
        SavePlayerData(m_pCurrentPlayer);
        m_pCurrentPlayer->UnLoadData();
    }
    m_pCurrentPlayer = GetPlayer(name);
    if (m_pCurrentPlayer)
        LoadPlayerData(m_pCurrentPlayer);
}

void PlayerManager::RemovePlayer(const std::string& name) {
    if (name.empty())
        return;
    AbstractPlayer* player = GetPlayer(name);
    if (player && player == m_pCurrentPlayer) {
        m_pCurrentPlayer->UnLoadData();
        m_pCurrentPlayer = nullptr;
    }
    RemoveAllSaveGames(name);
    DeleteFile(GetEncryptFileName(GetPlayerDataFileName(name), GetArchiveType()));
    const std::string key = MakeValidFileName(name);
    for (int i = 0; i < m_Players.size(); ++i) {
        if (MakeValidFileName(m_Players[i]->GetName()) == key) {
            m_Players.erase(m_Players.begin() + i, m_Players.begin() + i + 1);
            break;
        }
    }
    SaveToDisk();
}

void PlayerManager::SavePlayerData(AbstractPlayer* player) const {
    if (!player || player->GetName().empty())
        return;
    SmartPtr<PropertyNode> node(new PropertyNode(kPlayerNode, "Player"));
    player->SaveData(node.Get());
    if (node->GetCount() == 0)
        return;  // the previous file stays
    SmartPtr<PropertyStore> store(new PropertyStore);
    store->SetArchiveType(GetArchiveType());
    store->InsertProperty(new PropertyValue(PROP_VERSION, std::string("String"), m_sVersion));
    store->InsertProperty(node.Get());
    store->AddFile(GetPlayerDataFileName(player->GetName()));
    store->Save();
}

void PlayerManager::LoadPlayerData(AbstractPlayer* player) const {
    if (!player || player->GetName().empty())
        return;
    SmartPtr<PropertyStore> store(new PropertyStore);
    store->SetArchiveType(GetArchiveType());
    const std::string file = GetPlayerDataFileName(player->GetName());
    if (!FileExists(GetEncryptFileName(file, GetArchiveType())) || !LoadSavedStore(*store, file))
        return;
    if (store->HasProperty(PROP_VERSION) && store->GetPropString(PROP_VERSION) == m_sVersion)
        player->LoadData(store->GetNode(kPlayerNode));
}

std::string PlayerManager::PlayerDataFolder() const {
    const std::string folder = GetGameSaveDirPath() + "/" + m_sPlayerDataDirectory;
    CreatePath(folder);
    return folder;
}

std::string PlayerManager::GetPlayerListFileName() const {
    return PlayerDataFolder() + "/" + DEFAULT_PLAYERLIST_FILE + DEFAULT_PLAYERLIST_EXTENSION;
}

std::string PlayerManager::GetPlayerDataFileName(const std::string& name) const {
    return PlayerDataFolder() + "/" + MakeValidFileName(name) + DEFAULT_PLAYERDATA_EXTENSION;
}

std::string PlayerManager::GetSaveGameOriginalFileName(const std::string& save, const std::string& player) const {
    std::string folder = GetGameSaveDirPath();
    folder.append("/").append(m_sSaveGameDirectory).append("/").append(MakeValidFileName(player));
    CreatePath(folder);
    return folder + "/" + save + DEFAULT_SAVEGAME_EXTENSION;
}

std::string PlayerManager::GetSaveGameFileName(const std::string& save, const std::string& player) const {
    return GetEncryptFileName(GetSaveGameOriginalFileName(save, player), GetArchiveType());
}

bool PlayerManager::IsSaveGameAvailable(const std::string& save, const std::string& player) const {
    return !player.empty() && FileExists(GetSaveGameFileName(save, player));
}

void PlayerManager::RemoveSaveGame(const std::string& save, const std::string& player) const {
    if (!IsSaveGameAvailable(save, player))
        return;
    DeleteFile(GetSaveGameFileName(save, player));
}

// The folder of a player without a name would be the save-game folder of
// every player.
void PlayerManager::RemoveAllSaveGames(const std::string& player) const {
    const std::string escaped = MakeValidFileName(player);
    if (escaped.empty())
        return;
    std::string folder = GetGameSaveDirPath();
    folder.append("/").append(m_sSaveGameDirectory).append("/").append(escaped);
    RemoveDir(folder);
}

void PlayerManager::SaveSaveGameToDisk(PropertyStore& store, const std::string& save, const std::string& player) {
    if (player.empty())
        return;
    store.SetArchiveType(GetArchiveType());
    store.AddFile(GetSaveGameOriginalFileName(save, player));
    store.Save();
}

bool PlayerManager::LoadSaveGameFromDisk(PropertyStore& store, const std::string& save, const std::string& player) {
    if (player.empty())
        return false;
    store.SetArchiveType(GetArchiveType());
    return store.Load(GetSaveGameOriginalFileName(save, player));
}

}  // namespace ZQ2
