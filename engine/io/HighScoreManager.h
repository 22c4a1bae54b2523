#pragma once
// The named high-score tables of the installation, kept in one scores file
// below the game save folder, and the number that identifies this
// installation's entries.
#include <map>
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/iInstance.h"
#include "engine/io/HighScoreTable.h"
#include "engine/io/eArchiveType.h"

namespace ZQ2 {

extern const char* const DEFAULT_HIGHSCORE_DIRECTORY;
extern const char* const DEFAULT_HIGHSCORE_FILE;
extern const char* const DEFAULT_HIGHSCORE_EXTENSION;

class HighScoreManager : public BaseObject, public iInstance<HighScoreManager> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    using Tables = std::map<std::string, SmartPtr<HighScoreTable>>;

    HighScoreManager();
    const RTTI& GetRTTI() const override { return rtti; }

    // An empty version stands for the constant "HIGHSCORES_VERSION".
    static void CreateInstance(bool encipher, const std::string& version);

    HighScoreTable* GetHighScoreTable(const std::string& name) const;
    bool HasHighScoreTable(const std::string& name) const;
    void AddHighScoreTable(const std::string& name, HighScoreTable* table);
    void ClearAllTables();
    const Tables& GetTables() const { return m_Tables; }

    void LoadFromDisk();
    static void SaveToDisk();
    virtual void Load(AbstractProperty* node);
    virtual void Save(AbstractProperty* node) const;
    std::string GetHighScoreFileName() const;

    int GetUid() const { return m_iUid; }
    const std::string& GetVersion() const { return m_sVersion; }
    eArchiveType GetArchiveType() const { return m_bEncipher ? ARCHIVE_ENCRYPT_FILE : ARCHIVE_FILE; }

private:
    std::string m_sVersion;
    Tables m_Tables;
    bool m_bEncipher = false;
    int m_iUid = 0;
};

}  // namespace ZQ2
