#pragma once
// The players of the installation: the list of profiles and the current one,
// and their files below the game save folder (the player list, one data file
// per player and the players' save games), all version-checked property
// stores, enciphered when the manager is made so.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/core/iInstance.h"
#include "engine/io/AbstractPlayer.h"
#include "engine/io/eArchiveType.h"

namespace ZQ2 {

class PropertyStore;

extern const char* const PROP_VERSION;
extern const char* const PROP_CURRENT_PLAYER;
extern const char* const VECTOR_PLAYER_NAMES;
extern const char* const DEFAULT_PLAYERDATA_DIRECTORY;
extern const char* const DEFAULT_SAVEGAME_DIRECTORY;
extern const char* const DEFAULT_PLAYERLIST_FILE;
extern const char* const DEFAULT_PLAYERLIST_EXTENSION;
extern const char* const DEFAULT_PLAYERDATA_EXTENSION;
extern const char* const DEFAULT_SAVEGAME_EXTENSION;

class PlayerManager : public BaseObject, public iInstance<PlayerManager> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    using Players = ZQVector<SmartPtr<AbstractPlayer>>;

    PlayerManager() = default;
    const RTTI& GetRTTI() const override { return rtti; }

    // An empty version stands for the constant "PLAYERS_VERSION".
    static void CreateInstance(bool encipher, const std::string& version);

    virtual void Load(AbstractProperty* node);
    virtual void Save(AbstractProperty* node) const;

    void LoadFromDisk();
    static void SaveToDisk();

    // A player without a name is refused (null); the first player added
    // becomes current.
    AbstractPlayer* AddPlayer(AbstractPlayer* player);
    bool HasPlayer(const std::string& name) const;
    AbstractPlayer* GetPlayer(const std::string& name) const;
    const SmartPtr<AbstractPlayer>* GetPlayerIterator(const std::string& name) const;
    AbstractPlayer* GetCurrentPlayer() const { return m_pCurrentPlayer; }
    const Players& GetPlayers() const { return m_Players; }
    void ChangePlayer(const std::string& name);
    void RemovePlayer(const std::string& name);

    void LoadPlayerData(AbstractPlayer* player) const;
    void SavePlayerData(AbstractPlayer* player) const;

    std::string GetPlayerListFileName() const;
    std::string GetPlayerDataFileName(const std::string& name) const;
    std::string GetSaveGameOriginalFileName(const std::string& save, const std::string& player) const;
    std::string GetSaveGameFileName(const std::string& save, const std::string& player) const;
    bool IsSaveGameAvailable(const std::string& save, const std::string& player) const;
    void RemoveSaveGame(const std::string& save, const std::string& player) const;
    void RemoveAllSaveGames(const std::string& player) const;
    void SaveSaveGameToDisk(PropertyStore& store, const std::string& save, const std::string& player);
    bool LoadSaveGameFromDisk(PropertyStore& store, const std::string& save, const std::string& player);

    void SetPlayerDataDirectory(const std::string& folder) { m_sPlayerDataDirectory = folder; }
    void SetSaveGameDirectory(const std::string& folder) { m_sSaveGameDirectory = folder; }
    const std::string& GetVersion() const { return m_sVersion; }
    eArchiveType GetArchiveType() const { return m_bEncipher ? ARCHIVE_ENCRYPT_FILE : ARCHIVE_FILE; }

private:
    std::string PlayerDataFolder() const;

    Players m_Players;
    std::string m_sVersion;
    std::string m_sPlayerDataDirectory = DEFAULT_PLAYERDATA_DIRECTORY;
    std::string m_sSaveGameDirectory = DEFAULT_SAVEGAME_DIRECTORY;
    AbstractPlayer* m_pCurrentPlayer = nullptr;
    bool m_bEncipher = false;
};

}  // namespace ZQ2
