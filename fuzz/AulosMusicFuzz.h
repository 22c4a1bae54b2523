// Loads arbitrary bytes as a tracker song on a silent non-real-time device,
// plays a few seconds of it and frees it. The format's signature is written
// into the bytes first, so that the chosen loader reads them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "aulos/aumus.h"
#include "aulos/ausnd.h"

inline void StartSilentDevice()
{
    static bool started = false;
    if (started)
        return;
    AUSND_SetOutput(AUSND_OUTPUT_NOSOUND_NONREALTIME);
    AUSND_Init(44100, 64, 0);
    started = true;
}

inline void PlayFuzzedSong(const uint8_t* data, size_t size, size_t at, const char* signature, size_t length)
{
    if (size > (1u << 22))
        return;
    StartSilentDevice();
    std::vector<uint8_t> bytes(data, data + size);
    if (bytes.size() < at + length)
        bytes.resize(at + length, 0);
    std::memcpy(bytes.data() + at, signature, length);
    AUMUS_SONG* song = AUMUS_LoadSongEx(reinterpret_cast<const char*>(bytes.data()), 0,
                                        static_cast<int>(bytes.size()), AUSND_LOADMEMORY, nullptr, 0);
    if (!song)
        return;
    AUMUS_SetLooping(song, false);
    AUMUS_PlaySong(song);
    for (int block = 0; block < 10 && AUMUS_IsPlaying(song); ++block)
        AUSND_Update();
    AUMUS_FreeSong(song);
}
