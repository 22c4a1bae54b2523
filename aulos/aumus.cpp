// What the device needs of the tracker music players before they exist: songs
// in the device's song ring are stopped and retimed; no loader puts any there yet.
#include "aulos/ausnd_device.h"

void AUMUS_SetBPM(SongRecord* song, int bpm)
{
    if (!song)
        return;
    song->bpm = static_cast<float>(bpm < 1 ? 1 : bpm);
    const float ticks = song->bpm * 2.0f / 5.0f * song->speed;
    if (ticks >= 0.01f)
        song->ticklength = static_cast<int32_t>(static_cast<float>(AUSND_CurrentDevice->mixrate) / ticks);
}

bool AUMUS_StopSong(SongRecord* song)
{
    if (!song)
        return false;
    song->playing = 0;
    return true;
}

void AUMUS_StopAllSongs()
{
    AUSND_Device* dev = AUSND_CurrentDevice;
    for (AUSND_LINK* link = dev->songring.next; link && link != &dev->songring; link = link->next)
        AUMUS_StopSong(reinterpret_cast<SongRecord*>(link));
}
