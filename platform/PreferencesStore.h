#pragma once
// The user's preferences of one application: strings and integers under
// names, optionally grouped in folders, kept in one file below the XDG config
// home ($XDG_CONFIG_HOME, else ~/.config) in a folder named after the domain.
// Every save replaces the file in one step.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class PreferencesStore {
public:
    struct Value {
        bool m_bInteger = false;
        std::string m_sText;
        int64_t m_iNumber = 0;
    };
    // (folder, name); the folder is empty for top-level keys.
    using Key = std::pair<std::string, std::string>;
    using Entries = std::map<Key, Value>;

    // Files larger than this are refused.
    static constexpr size_t MAX_FILE_SIZE = 1024 * 1024;

    // Nothing is read until Load.
    explicit PreferencesStore(const std::string& domain);

    // <config home>/<domain>/preferences; "" without a usable domain or home.
    const std::string& GetPath() const { return m_sPath; }
    const std::string& GetDomain() const { return m_sDomain; }

    // Reads the file. A missing file is an empty store; a file that can't be
    // read or parsed leaves the store empty, is set aside (renamed with
    // ".bad" appended) so the next save does not destroy it, and gives false.
    // Temporary files that an interrupted save left in the folder go first.
    bool Load();
    // Writes every entry; false when the file could not be replaced.
    bool Save() const;

    bool Has(const std::string& folder, const std::string& name) const;
    // Null when absent.
    const Value* Get(const std::string& folder, const std::string& name) const;
    void SetString(const std::string& folder, const std::string& name, const std::string& text);
    void SetInteger(const std::string& folder, const std::string& name, int64_t number);
    void Remove(const std::string& folder, const std::string& name);
    void RemoveFolder(const std::string& folder);
    // The top-level keys, in byte order (folders are not values).
    std::vector<std::string> ListKeys() const;
    void Clear() { m_Entries.clear(); }

    // The file's text form. Parse takes CR-LF line ends and blank lines as
    // a hand-edited file has them, and refuses any malformed line, leaving
    // out untouched.
    static std::string Format(const Entries& entries);
    static bool Parse(const std::string& text, Entries& out);

    // $XDG_CONFIG_HOME when it is absolute, else <home>/.config; "" without
    // a home.
    static std::string ConfigHome();

private:
    std::string m_sDomain;
    std::string m_sPath;
    Entries m_Entries;
};

}  // namespace platform
