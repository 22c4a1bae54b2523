// MPEG-1/2/2.5 audio, layers II and III: frame headers, frame decoding to
// 16-bit interleaved PCM, length measurement, opening for streams and loading
// whole files into samples.
#pragma once

#include "aulos/ausnd.h"
#include "aulos/format_wav.h"
#include "aulos/system_file.h"

#include <cstdint>

struct AUSND_MPEG;

// Frame offsets (from the first frame) collected by an exact-length open.
struct AUSND_MPEGOFFSETS
{
    uint32_t* offsets;
    int32_t count;
    int32_t capacity;
};
void AUSND_Mpeg_FreeOffsets(AUSND_MPEGOFFSETS* table);

enum : uint32_t
{
    AUSND_MPEG_BLOCKSIZE = 5000, // file bytes per stream read
    AUSND_MPEG_MAXFRAME = 4 + 1792 // the longest frame accepted, header included
};

void AUSND_Mpeg_Init();
AUSND_MPEG* AUSND_Mpeg_Alloc();
bool AUSND_Mpeg_Close(AUSND_MPEG* mp);
void AUSND_Mpeg_ResetFrame(AUSND_MPEG* mp);
// True when the four bytes are an acceptable header (same layer as the stream so far).
bool AUSND_Mpeg_DecodeHeader(AUSND_MPEG* mp, const uint8_t* fourBytes, int* rateOut, int* channelsOut,
                             int* frameSizeOut);
// Forgets the stream's layer so that the next header may start a new stream.
void AUSND_Mpeg_ResetLayer(AUSND_MPEG* mp);
// Decodes one frame starting at its 4 header bytes; `frameBytes` bounds what
// may be read. A Xing/Info frame decodes to nothing (0 bytes) and succeeds.
bool AUSND_Mpeg_DecodeFrame(AUSND_MPEG* mp, const uint8_t* frame, uint32_t frameBytes, int16_t* pcmOut,
                            uint32_t* pcmBytesOut);
// Channels and rate of the last decoded header.
int AUSND_Mpeg_Channels(const AUSND_MPEG* mp);
int AUSND_Mpeg_Rate(const AUSND_MPEG* mp);
int AUSND_Mpeg_FrameSize(const AUSND_MPEG* mp);
uint32_t AUSND_Mpeg_PCMBytesPerFrame(const AUSND_MPEG* mp);

// Frames recorded in a Xing/Info header at the start of `frame`, or -1.
int64_t AUSND_Mpeg_XingFrames(const uint8_t* frame, uint32_t bytes);

uint32_t AUSND_Mpeg_GetPCMLength(AUSND_FILE* file, uint32_t dataLength, uint32_t pcmBytesPerFrame,
                                 AUSND_MPEGOFFSETS* offsetTable);
bool AUSND_Mpeg_Open(AUSND_FILE* file, uint32_t* modeInOut, int* rateOut, uint32_t* dataLengthInOut,
                     uint32_t* pcmBytesOut, AUSND_MPEG** contextOut, int* blockSizeOut, uint32_t* dataOffsetOut,
                     uint32_t* lengthMsOut, AUSND_MPEGOFFSETS* offsetTable, AUSND_LOOPPAIR* loopOut,
                     AUSND_SYNCLIST* syncOwner);
AUSND_SAMPLE* AUSND_Mpeg_Load(int index, AUSND_FILE* file, unsigned int mode);

struct AUSND_STREAMFORMAT;
// Fills a stream's format with the MPEG reader: frame-exact length, seeks
// through the frame table.
bool AUSND_Mpeg_OpenStream(AUSND_FILE* file, AUSND_STREAMFORMAT* format, AUSND_SYNCLIST* sync);
