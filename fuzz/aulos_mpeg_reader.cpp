// Opens the input as an MPEG audio file (raw or RIFF), both with the
// estimated and the exact length, and loads it whole as the sample loader does.
#include "aulos/format_mpeg.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > (1u << 18))
        return 0;
    AUSND_Mpeg_Init();
    const char* image = reinterpret_cast<const char*>(data);
    for (const uint32_t accurate : {0u, static_cast<uint32_t>(AUSND_MPEGACCURATE)})
    {
        AUSND_FILE* file = AUSND_File_Open(image, AUSND_FILE_MEMORY, static_cast<int>(size));
        uint32_t mode = accurate;
        int rate = 0;
        uint32_t dataLength = 0;
        uint32_t pcmBytes = 0;
        AUSND_MPEG* mp = nullptr;
        int block = 0;
        uint32_t dataOffset = 0;
        uint32_t lengthMs = 0;
        AUSND_MPEGOFFSETS table{nullptr, 0, 0};
        AUSND_LOOPPAIR loop{0, 0};
        AUSND_SYNCLIST sync{nullptr, 0, 0};
        if (AUSND_Mpeg_Open(file, &mode, &rate, &dataLength, &pcmBytes, &mp, &block, &dataOffset, &lengthMs, &table,
                            &loop, &sync) &&
            accurate)
        {
            // Decode every frame the table lists, as a stream does.
            std::vector<int16_t> pcm(2304);
            for (int k = 0; k < table.count; ++k)
            {
                const size_t at = static_cast<size_t>(dataOffset) + table.offsets[k];
                if (at >= size)
                    break;
                uint32_t bytes = 0;
                AUSND_Mpeg_DecodeFrame(mp, data + at, static_cast<uint32_t>(size - at), pcm.data(), &bytes);
            }
        }
        AUSND_Mpeg_Close(mp);
        AUSND_Mpeg_FreeOffsets(&table);
        AUSND_Sync_Close(&sync);
        AUSND_File_Close(file);
    }
    return 0;
}
