// Loads the input as a sound file from memory (WAV, AIFF or anything else),
// and walks it again for cue points, labels and loops.
#include "aulos/ausnd.h"
#include "aulos/format_wav.h"

#include <cstddef>
#include <cstdint>

namespace
{
bool StartDevice()
{
    AUSND_SetOutput(AUSND_OUTPUT_NOSOUND_NONREALTIME);
    return AUSND_Init(44100, 4, 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool s_bStarted = StartDevice();
    if (!s_bStarted || size == 0 || size > (1u << 20))
        return 0;
    const char* image = reinterpret_cast<const char*>(data);
    AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, image, AUSND_LOADMEMORY, 0, static_cast<int>(size));
    AUSND_Sample_Free(sample);
    sample = AUSND_Sample_Load(-1, image, AUSND_LOADMEMORY | AUSND_FORCEMONO | AUSND_8BITS, 0, static_cast<int>(size));
    AUSND_Sample_Free(sample);

    for (int aiff = 0; aiff < 2; ++aiff)
    {
        AUSND_FILE* file = AUSND_File_Open(image, AUSND_FILE_MEMORY, static_cast<int>(size));
        AUSND_SYNCLIST sync{};
        AUSND_LOOPPAIR loop{0, 0};
        uint32_t mode = 0;
        int rate = 0;
        uint32_t length = 0;
        uint32_t offset = 0;
        if (aiff)
        {
            int bytesPerFrame = 0;
            AUSND_AIFF_Open(file, &mode, &rate, &length, &bytesPerFrame, &offset, &loop, &sync);
        }
        else
        {
            uint32_t pcmBytes = 0;
            int blockAlign = 0;
            AUSND_WAVSTATE* state = nullptr;
            if (AUSND_WAV_Open(file, &mode, &rate, &length, &pcmBytes, &state, &blockAlign, &offset, &loop, &sync))
                AUSND_WAV_Close(state);
        }
        AUSND_Sync_Close(&sync);
        AUSND_File_Close(file);
    }
    return 0;
}
