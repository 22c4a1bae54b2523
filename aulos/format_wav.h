// Readers of the WAV (RIFF) and AIFF containers: PCM 8 and 16-bit, mono and
// stereo, and IMA ADPCM WAV decoded on the fly; cue points, labels and
// markers become sync points, sampler and instrument loops become loop points.
#pragma once

#include "aulos/ausnd.h"
#include "aulos/system_file.h"

#include <cstdint>

// A named position in a stream's data, in sample frames.
struct AUSND_SYNCPOINT
{
    uint32_t offset;
    uint32_t id;
    char name[256];
};

// Sync points in ascending offset order (points at equal offsets keep the
// order in which they were added).
struct AUSND_SYNCLIST
{
    AUSND_SYNCPOINT* points;
    int32_t count;
    int32_t capacity;
};

// Empties the list (and frees its memory).
void AUSND_Sync_Close(AUSND_SYNCLIST* list);
// Adds a point; null with error 12 when memory runs out. The pointer holds
// until the next add or close.
AUSND_SYNCPOINT* AUSND_Sync_Add(AUSND_SYNCLIST* list, uint32_t offset, const char* name);

// Loop start and end in sample frames; both 0 when the file has none.
struct AUSND_LOOPPAIR
{
    uint32_t start;
    uint32_t end;
};

// What a WAV stream or loading sample keeps between reads.
struct AUSND_WAVSTATE
{
    uint16_t formattag;
    uint16_t channels;
    uint16_t blockalign;
    uint16_t samplesperblock;
    uint8_t* format; // copy of the IMA ADPCM "fmt " head (20 bytes), null for PCM
};

enum : uint32_t
{
    AUSND_DATAOFFSET_UNSET = 0xFFFFFFFFu
};

// Walks the RIFF chunks from the file's current position. Every out argument
// may be null: a null fmtOut skips the "fmt " copy (a pool buffer of at least
// 40 bytes that the caller frees), a null syncOwner skips cues and labels, a
// null loopOut skips "smpl". Data offsets count from the file's start offset.
bool AUSND_Wav_ParseRIFF(AUSND_FILE* file, uint8_t** fmtOut, uint32_t* dataOffsetOut, uint32_t* dataLengthOut,
                         uint32_t* factCountOut, AUSND_SYNCLIST* syncOwner, AUSND_LOOPPAIR* loopOut);
// pcmBytesOut: the length of the decoded 16-bit or raw PCM data in bytes.
bool AUSND_WAV_Open(AUSND_FILE* file, uint32_t* modeInOut, int* rateOut, uint32_t* dataLengthOut,
                    uint32_t* pcmBytesOut, AUSND_WAVSTATE** stateOut, int* blockAlignOut, uint32_t* dataOffsetOut,
                    AUSND_LOOPPAIR* loopOut, AUSND_SYNCLIST* syncOwner);
// Decodes whole IMA ADPCM blocks of the source; bytesOut receives the bytes
// written (blocks x samples per block x channels x 2). PCM states produce nothing.
bool AUSND_WAV_Read(AUSND_WAVSTATE* state, const void* source, uint32_t sourceBytes, void* destination,
                    uint32_t* bytesOut);
bool AUSND_WAV_Close(AUSND_WAVSTATE* state);
AUSND_SAMPLE* AUSND_WAV_Load(int index, AUSND_FILE* file, unsigned int mode);

// Shared by the loaders: a sample for a file's decoded data, with default
// frequency `rate` and loop points over the whole data (null with error 11
// for no frames), and the file's own loop applied once the data is in.
AUSND_SAMPLE* AUSND_Sample_AllocForFile(int index, uint32_t frames, uint32_t mode, unsigned int callerMode, int rate);
void AUSND_Sample_ApplyFileLoop(AUSND_SAMPLE* sample, const AUSND_LOOPPAIR& loop, unsigned int callerMode);

bool AUSND_AIFF_Parse(AUSND_FILE* file, uint32_t* dataOffsetOut, uint32_t* dataLengthOut, uint32_t* modeInOut,
                      int* rateOut, AUSND_SYNCLIST* syncOwner, AUSND_LOOPPAIR* loopOut);
bool AUSND_AIFF_Open(AUSND_FILE* file, uint32_t* modeInOut, int* rateOut, uint32_t* dataLengthOut,
                     int* bytesPerFrameOut, uint32_t* dataOffsetOut, AUSND_LOOPPAIR* loopOut,
                     AUSND_SYNCLIST* syncOwner);
AUSND_SAMPLE* AUSND_AIFF_Load(int index, AUSND_FILE* file, unsigned int mode);
bool AUSND_AIFF_Close(void* state);

// An 80-bit IEEE extended number stored big-endian, as a float.
float ConvertFromIeeeExtended(const uint8_t* bytes);
