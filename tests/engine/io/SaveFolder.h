#pragma once
// The game save folder of a test program: the user's data home is pointed
// at a private folder, once, before the folder is first fixed, so that no
// test writes into the real one.
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/FileUtils.h"
#include "engine/io/PropertyValue.h"

namespace savefolder {

// The folder, removed with everything in it when the program ends.
class PrivateDataHome {
public:
    PrivateDataHome() {
        char pattern[] = "/tmp/delvor-savehome-XXXXXX";
        m_sPath = mkdtemp(pattern) ? pattern : "/nonexistent";
        setenv("XDG_DATA_HOME", m_sPath.c_str(), 1);
    }
    ~PrivateDataHome() {
        std::error_code ignored;
        std::filesystem::remove_all(m_sPath, ignored);
    }
    const std::string& Path() const { return m_sPath; }

private:
    std::string m_sPath;
};

inline const std::string& DataHome() {
    static const PrivateDataHome home;
    return home.Path();
}

// The save folder for the game id "delvortest", emptied; "" when the folder
// was fixed elsewhere before this program could redirect it.
inline std::string Fresh() {
    DataHome();
    // The game id is kept once read, so the constants table may go again.
    if (!ZQ2::BasicProperties::g_Instance) {
        ZQ2::BasicProperties::CreateInstance();
        ZQ2::SmartPtr<ZQ2::PropertyValue> id(new ZQ2::PropertyValue("GAME_ID", "String", "delvortest"));
        ZQ2::BasicProperties::OnString(id);
        ZQ2::BasicProperties::GetGameId();
        ZQ2::BasicProperties::ReleaseInstance();
    }
    const std::string folder = ZQ2::GetGameSaveDirPath();
    if (folder.compare(0, DataHome().size(), DataHome()) != 0)
        return std::string();
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        std::filesystem::remove_all(entry.path());
    return folder;
}

}  // namespace savefolder
