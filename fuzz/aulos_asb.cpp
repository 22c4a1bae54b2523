// Opens the input as a sound bank and, when it holds one sound, loads it as
// a sample on the capture output.
#include "aulos/ausnd.h"
#include "aulos/format_asb.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool s_started = AUSND_SetOutput(AUSND_OUTPUT_CAPTURE) && AUSND_Init(44100, 8, 0);
    if (size == 0 || size > (1u << 20))
        return 0;
    const char* image = reinterpret_cast<const char*>(data);
    AUSND_FILE* file = AUSND_File_Open(image, AUSND_FILE_MEMORY, static_cast<int>(size));
    uint32_t mode = 0;
    int rate = 0;
    uint32_t dataBytes = 0;
    uint32_t pcmBytes = 0;
    AUSND_ASBBANK* bank = nullptr;
    int block = 0;
    uint32_t dataOffset = 0;
    if (AUSND_ASB_Open(file, &mode, &rate, &dataBytes, &pcmBytes, &bank, &block, &dataOffset))
        AUSND_ASB_Close(bank);
    AUSND_File_Close(file);
    if (s_started)
    {
        file = AUSND_File_Open(image, AUSND_FILE_MEMORY, static_cast<int>(size));
        AUSND_SAMPLE* sample = AUSND_ASB_Load(-2, file, 0);
        if (sample)
            AUSND_Sample_Free(sample);
        AUSND_File_Close(file);
    }
    return 0;
}
