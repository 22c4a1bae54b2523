// Reads the input as a music stream's sync-point file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "engine/core/SmartPtr.h"
#include "engine/sound/SoundStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string s_Path = "/tmp/delvor_fuzz_syncpoints_" + std::to_string(getpid()) + ".xml";
    FILE* file = std::fopen(s_Path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    ZQ2::SmartPtr<ZQ2::SoundStream> stream(new ZQ2::SoundStream(nullptr));
    stream->SetSyncPointsFileName(s_Path);
    stream->ParseSyncPoints();
    std::remove(s_Path.c_str());
    return 0;
}
