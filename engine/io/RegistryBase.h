#pragma once
// A typed accessor's key in the user's preferences of the game: splits a key
// path into a key folder and a value name, and reaches the one preferences
// store of the running game (named after its game id).
#include <string>

namespace platform {
class PreferencesStore;
}

namespace ZQ2 {

class RegistryBase {
public:
    RegistryBase(const std::string& path, bool uncached);
    virtual ~RegistryBase() = default;

    void SetBaseKey(long key) { m_lBaseKey = key; }
    void SetKeyPath(const std::string& path);
    const std::string& GetKeyFolder() const { return m_sKeyFolder; }
    const std::string& GetValueName() const { return m_sValueName; }
    bool IsCached() const { return m_bCached; }

    // Remove the whole key folder, or the one value. Both return 0.
    int RemoveKey();
    int RemoveValue();

    static std::string GetRegRootPath() { return std::string(); }
    static std::string GetTarvoWrapperRegistryPath() { return std::string(); }

    // The running game's preferences, read from disk on first use and again
    // whenever the game id changes.
    static platform::PreferencesStore& Defaults();
    // Drops the copy in memory: the next use reads the file again.
    static void ForgetDefaults();
    // Writes the store to disk.
    static bool Synchronize();

protected:
    void SplitPath(const std::string& path);

    long m_lBaseKey = 0;
    std::string m_sValueName;
    std::string m_sKeyFolder;
    bool m_bCached = false;
    bool m_bUncached = false;
};

}  // namespace ZQ2
