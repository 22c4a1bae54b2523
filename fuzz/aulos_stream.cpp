// Opens the input as a stream from memory (WAV, AIFF, Ogg Vorbis or anything
// else), plays it for a while with a loop and a seek, and loads it as a sample.
#include "aulos/ausnd.h"

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
    const int length = static_cast<int>(size);
    AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, image, AUSND_LOADMEMORY, 0, length);
    AUSND_Sample_Free(sample);

    AUSND_STREAM* stream = AUSND_Stream_Open(image, AUSND_LOADMEMORY | AUSND_LOOP_NORMAL | AUSND_2D, 0, length);
    if (!stream)
        return 0;
    AUSND_Stream_SetLoopCount(stream, 1);
    if (AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream) >= 0)
    {
        for (int i = 0; i < 40; ++i)
            AUSND_Update();
        AUSND_Stream_SetPCM(stream, static_cast<unsigned int>(size % 997));
        AUSND_Stream_SetTime(stream, static_cast<int>(size % 50));
        for (int i = 0; i < 10; ++i)
            AUSND_Update();
        AUSND_Stream_GetPosition(stream);
        AUSND_Stream_GetTime(stream);
    }
    AUSND_Stream_Close(stream);
    return 0;
}
