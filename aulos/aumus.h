// The public interface of the sound system's tracker music players: loading a
// module or a sample bank as a song, playing it, and following its position.
#pragma once

#include <cstdint>

struct AUSND_SAMPLE;
struct AUMUS_SONG;

// Song callbacks receive the song and a byte: the row, the order, the Zxx
// parameter or the instrument number.
typedef void (*AUMUS_CALLBACK)(AUMUS_SONG* song, unsigned char param);

enum AUMUS_TYPES
{
    AUMUS_TYPE_NONE = 0,
    AUMUS_TYPE_MOD = 1,
    AUMUS_TYPE_S3M = 2,
    AUMUS_TYPE_XM = 3,
    AUMUS_TYPE_IT = 4,
    AUMUS_TYPE_MIDI = 5,
    AUMUS_TYPE_ASB = 6
};

// Load modes (besides the sample modes AUSND_LOADMEMORY and AUSND_NONBLOCKING).
enum AUMUS_LOADMODES : unsigned int
{
    AUMUS_LOAD_NOLOOP = 0x1,
    AUMUS_LOAD_LOOP = 0x2
};

AUMUS_SONG* AUMUS_LoadSong(const char* name);
AUMUS_SONG* AUMUS_LoadSongEx(const char* nameordata, int offset, int length, unsigned int mode,
                             const int* samplelist, int samplelistnum);
int AUMUS_GetOpenState(AUMUS_SONG* song);
bool AUMUS_FreeSong(AUMUS_SONG* song);
bool AUMUS_PlaySong(AUMUS_SONG* song);
bool AUMUS_StopSong(AUMUS_SONG* song);

bool AUMUS_SetZxxCallback(AUMUS_SONG* song, AUMUS_CALLBACK callback);
bool AUMUS_SetRowCallback(AUMUS_SONG* song, AUMUS_CALLBACK callback, int rowstep);
bool AUMUS_SetOrderCallback(AUMUS_SONG* song, AUMUS_CALLBACK callback, int orderstep);
bool AUMUS_SetInstCallback(AUMUS_SONG* song, AUMUS_CALLBACK callback, int instrument);
bool AUMUS_SetSample(AUMUS_SONG* song, int sampno, AUSND_SAMPLE* sample);
bool AUMUS_OptimizeChannels(AUMUS_SONG* song, int maxchannels, int minvolume);
bool AUMUS_SetOrder(AUMUS_SONG* song, int order);
bool AUMUS_SetMasterVolume(AUMUS_SONG* song, int volume);
bool AUMUS_SetMasterSpeed(AUMUS_SONG* song, float speed);
bool AUMUS_SetPanSeperation(AUMUS_SONG* song, float pansep);
int AUMUS_SetLooping(AUMUS_SONG* song, bool looping);
bool AUMUS_SetPaused(AUMUS_SONG* song, bool pause);
int AUMUS_SetUserData(AUMUS_SONG* song, unsigned int userdata);
bool AUMUS_SetReverb();

const char* AUMUS_GetName(AUMUS_SONG* song);
int AUMUS_GetType(AUMUS_SONG* song);
bool AUMUS_IsFinished(AUMUS_SONG* song);
bool AUMUS_IsPlaying(AUMUS_SONG* song);
bool AUMUS_GetPaused(AUMUS_SONG* song);
int AUMUS_GetNumOrders(AUMUS_SONG* song);
int AUMUS_GetNumPatterns(AUMUS_SONG* song);
int AUMUS_GetNumInstruments(AUMUS_SONG* song);
int AUMUS_GetNumSamples(AUMUS_SONG* song);
int AUMUS_GetNumChannels(AUMUS_SONG* song);
AUSND_SAMPLE* AUMUS_GetSample(AUMUS_SONG* song, int sampno);
int AUMUS_GetPatternLength(AUMUS_SONG* song, int orderno);
int AUMUS_GetMasterVolume(AUMUS_SONG* song);
int AUMUS_GetGlobalVolume(AUMUS_SONG* song);
int AUMUS_GetSpeed(AUMUS_SONG* song);
int AUMUS_GetBPM(AUMUS_SONG* song);
int AUMUS_GetPattern(AUMUS_SONG* song);
int AUMUS_GetOrder(AUMUS_SONG* song);
int AUMUS_GetRow(AUMUS_SONG* song);
unsigned int AUMUS_GetTime(AUMUS_SONG* song);
int AUMUS_GetRealChannel(AUMUS_SONG* song, int channel);
unsigned int AUMUS_GetUserData(AUMUS_SONG* song);

// Tracker sample decompression: 8-bit or 16-bit output, the 2.15 variant when
// it215 is set. Reads at most srclen bytes of source; false when the source
// or a block runs out of bits, or a width is corrupt (the rest of the
// destination is then zero).
bool AUMUS_IT_Decompress8(const void* src, uint32_t srclen, void* dest, int len, bool it215);
bool AUMUS_IT_Decompress16(const void* src, uint32_t srclen, void* dest, int len, bool it215);
