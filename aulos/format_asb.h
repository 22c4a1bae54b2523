// Sound banks: a header, a table of per-sound headers and the sounds' data,
// already in the sound system's sample formats. Streams play one sound of a
// bank at a time; a bank of one sound loads as a sample.
#pragma once

#include "aulos/ausnd.h"
#include "aulos/system_file.h"

#include <cstdint>

enum : uint32_t
{
    AUSND_ASB_HEADERBYTES = 24,
    AUSND_ASB_FULLHEADER = 64,
    AUSND_ASB_FULLHEADER_V31 = 80, // version 0x30001
    AUSND_ASB_COMPACTHEADER = 8,
    AUSND_ASB_VERSION_31 = 0x30001,
    AUSND_ASB_FLAG_FILES = 1,  // each sound's data is a complete sound file
    AUSND_ASB_FLAG_COMPACT = 2 // sounds after the first have compact headers
};

struct AUSND_ASBBANK
{
    uint8_t header[AUSND_ASB_HEADERBYTES];
    int32_t count;
    uint32_t version;
    uint32_t flags;
    uint8_t* area;            // the sample-header area; the first sound's header starts it
    uint32_t areaSize;
    const uint8_t** full;     // per sound, its full header (null with compact headers)
    const uint8_t** compact;  // per sound after the first, its compact header (null without)
    uint32_t* dataOffsets;    // file offset of each sound's data
    uint32_t* dataSizes;
    uint32_t* lengths;        // in samples
    int32_t current;
    void* streamFormat;       // attached by the stream opener, freed with the bank
    void* streamBuffer;
};

// The first sound's fields, read from its full header.
struct AUSND_ASBSOUND
{
    char name[31];
    uint32_t length;
    uint32_t dataSize;
    uint32_t loopStart;
    uint32_t loopEnd;
    uint32_t mode;
    int32_t rate;
    int32_t volume;
    int32_t pan;
    int32_t priority;
    int32_t channels;
};
void AUSND_ASB_FirstSound(const AUSND_ASBBANK* bank, AUSND_ASBSOUND* out);

bool AUSND_ASB_Open(AUSND_FILE* file, uint32_t* modeInOut, int* rateOut, uint32_t* dataBytesOut,
                    uint32_t* pcmBytesOut, AUSND_ASBBANK** bankOut, int* blockSizeOut, uint32_t* dataOffsetOut);
bool AUSND_ASB_Close(AUSND_ASBBANK* bank);
AUSND_SAMPLE* AUSND_ASB_Load(int index, AUSND_FILE* file, unsigned int mode);
