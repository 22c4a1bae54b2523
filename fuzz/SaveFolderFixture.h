#pragma once
// A private game save folder for the fuzz targets that read the player and
// score files: the user's data home is pointed at a new temporary folder
// before the save folder is first fixed.
#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/FileUtils.h"
#include "engine/io/PropertyValue.h"

namespace fuzzfixture {

inline std::string SaveFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/delvor-fuzz-save-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        setenv("XDG_DATA_HOME", pattern, 1);
        ZQ2::BasicProperties::CreateInstance();
        ZQ2::SmartPtr<ZQ2::PropertyValue> id(new ZQ2::PropertyValue("GAME_ID", "String", "delvorfuzz"));
        ZQ2::BasicProperties::OnString(id);
        ZQ2::BasicProperties::GetGameId();
        ZQ2::BasicProperties::ReleaseInstance();
        return ZQ2::GetGameSaveDirPath();
    }();
    return folder;
}

inline void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace fuzzfixture
