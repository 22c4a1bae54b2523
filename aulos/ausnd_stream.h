// Streams: sound decoded while it plays into a looping sample split in two
// halves, refilled by the stream thread; the record, the format interface that
// every stream reader fills, and the calls the stream components share.
#pragma once

#include "aulos/ausnd_device.h"
#include "aulos/ausnd_tags.h"
#include "aulos/format_wav.h"
#include "aulos/net_http.h"
#include "aulos/system_file.h"

#include <atomic>
#include <cstdint>

struct AUSND_STREAM;

// Reads the next data of the format: raw/rawsize is the stream's raw buffer,
// dest receives decoded PCM; *bytes carries the bytes wanted in and the bytes
// produced out. True while more data follows.
typedef bool (*AUSND_STREAMREADFN)(AUSND_STREAM* stream, void* raw, uint32_t rawsize, void* dest, uint32_t* bytes);
typedef void (*AUSND_STREAMRESETFN)(void* codec);
typedef bool (*AUSND_STREAMCLOSEFN)(void* codec);
// Seeks the format's own decoder (formats whose data is not a plain byte
// range); unit 0 bytes, 1 ms, 2 PCM frames, target the value in that unit.
typedef bool (*AUSND_STREAMSEEKFN)(AUSND_STREAM* stream, int unit, uint64_t frame, uint64_t bytes);

// A named position in a stream, in PCM frames, linked in the stream's ring.
struct AUSND_STREAMSYNC
{
    AUSND_STREAMSYNC* next;
    AUSND_STREAMSYNC* prev;
    uint32_t id;
    uint32_t offset;
    char name[256];
};

// One entry per mix block: the source position of the block's first frame.
struct AUSND_STREAMRINGENTRY
{
    uint64_t pcm;
    uint32_t loopcounter;
};

// What an open operation of a format fills in.
struct AUSND_STREAMFORMAT
{
    uint32_t mode = 0;
    int rate = 0;
    uint32_t datalength = 0;  // bytes of data in the file
    uint64_t pcmbytes = 0;    // decoded bytes
    void* codec = nullptr;
    uint32_t bytesperframe = 0;
    uint32_t dataoffset = 0;
    uint32_t rawsize = 0;
    uint32_t decodesize = 0;
    int64_t lengthms = -1;
    AUSND_LOOPPAIR loop{0, 0};
    AUSND_STREAMREADFN read = nullptr;
    AUSND_STREAMRESETFN reset = nullptr;
    AUSND_STREAMCLOSEFN close = nullptr;
    AUSND_STREAMSEEKFN seek = nullptr;
};

struct AUSND_STREAM
{
    AUSND_LINK link; // in the device's stream list; first, so that a link is its stream
    AUSND_SAMPLE* sample;
    AUSND_FILE* file;

    AUSND_STREAMSYNC synchead;
    AUSND_STREAMSYNC synctail;
    AUSND_STREAMSYNC* nextsync;
    AUSND_STREAMSYNCCALLBACK synccallback;
    void* syncuserdata;

    uint32_t mode;
    AUSND_STREAMFORMAT format;
    AUSND_STREAMCALLBACK fill;
    void* filluserdata;
    AUSND_STREAMCALLBACK endcallback;
    void* enduserdata;

    std::atomic<int32_t> channel; // read by the stream thread and the mixer
    int32_t fillhalf;
    uint8_t* raw;
    uint8_t* decode;
    uint32_t leftover;
    uint32_t readoffset;
    uint32_t skipbytes;
    uint8_t sourceended;
    uint8_t fileerror;

    int64_t endcountdown; // ms x 256 still to play; -1 while data flows
    int32_t loopcount;
    int32_t loopsleft;
    uint32_t loopstart;
    uint32_t loopend;
    uint32_t loopcounter;

    uint64_t pcmposition;
    uint32_t datalength;
    uint32_t dataoffset;
    uint32_t pcmframebytes; // bytes of one decoded frame
    uint64_t lengthpcm;
    int64_t lengthms;

    AUSND_STREAMRINGENTRY* pcmring;
    uint32_t pcmringcount;
    uint32_t pcmringwrite;
    uint32_t blocksize;
    uint32_t blockleft;
    uint32_t savedcursor;

    AUSND_STREAMRINGENTRY* timering;
    uint32_t timeringcount;
    uint32_t timeringwrite;
    uint32_t lastloopcounter;

    float cpuusage;
    AUSND_TAGLIST tags;

    std::atomic<bool> playing;
    std::atomic<bool> ended;
    std::atomic<bool> ready;
    std::atomic<bool> repositioning;
    uint8_t rewindatplay;
    uint8_t flushatplay;
    std::atomic<bool> flushing;
    std::atomic<bool> openfailed;
    std::atomic<bool> opening; // a non-blocking open runs on the open thread
    uint8_t closing;

    // Bank streams: the sound playing, a switch asked for while the open runs
    // (-1 none), the loop bits the caller opened with (0: the sound's own),
    // and the sentence of sub-streams that plays as one.
    int32_t substream;
    std::atomic<int32_t> pendingsubstream;
    uint32_t callerloopbits;
    uint8_t nonblocking;
    int32_t* sentence;
    int32_t sentencecount;
    int32_t sentenceentry;

    // The stream's own processing units, in priority order, run on each flip.
    AUSND_LINK units;

    // Network streams: the connection (published while the open runs, so
    // that it can be called off), the bit rate last seen (kbit/s), and the
    // metadata callback given to the connection.
    std::atomic<struct AUSND_NETSTREAM*> net;
    std::atomic<int32_t> bitrate;
    AUSND_METADATACALLBACK metacallback;
    void* metauserdata;

    // What a non-blocking open keeps until the open thread takes it.
    AUSND_ASYNCITEM asyncitem;
    char asyncname[256];
    const char* asyncmemory;
    uint32_t asyncmode;
    int32_t asyncoffset;
    int32_t asynclength;
};

inline AUSND_STREAM* AUSND_StreamOfLink(AUSND_LINK* link)
{
    return reinterpret_cast<AUSND_STREAM*>(link);
}

extern int AUSND_Stream_HalfBufferSize;
extern std::atomic<bool> AUSND_Stream_DSPBusy;

// Held by the stream thread for a whole update pass; taken by anything that
// moves a stream's data under it (stops, repositioning, list changes).
AUSND_CRITICALSECTION AUSND_Stream_UpdateLock();
// Guards the stream list and the sync-point walk; taken after the update lock.
AUSND_CRITICALSECTION AUSND_Stream_ListLock();

// Shared by the stream components.
bool AUSND_Stream_Seek(AUSND_STREAM* stream, uint64_t position, int unit, bool resetsync);
bool AUSND_Stream_Flush(AUSND_STREAM* stream);
bool AUSND_Stream_Flip(AUSND_STREAM* stream);
void AUSND_Stream_UpdatePCMOffset(AUSND_STREAM* stream, uint64_t frames);
bool AUSND_Stream_StopEx(AUSND_STREAM* stream, bool notify);
bool AUSND_Stream_SetPositionEx(AUSND_STREAM* stream, uint64_t position, int unit, bool keepplaying);
uint64_t AUSND_Stream_GetTimeEx(AUSND_STREAM* stream, bool audible, uint32_t* loopcounter);
uint32_t AUSND_Stream_HalfBytes(uint32_t mode, int rate, int channels);
void AUSND_Stream_ResetSyncPointer(AUSND_STREAM* stream, uint64_t frame);

// The fill callback of opened streams: decodes from the file, follows loops.
bool AUSND_Stream_Read(AUSND_STREAM* stream, void* buffer, int length, void* userdata);

// Bank streams: opening fills the format from the bank's first sound.
// *isbank is set once the file is known to be a bank (its refusal then ends the probe).
bool AUSND_Stream_ProbeASB(AUSND_FILE* file, AUSND_STREAMFORMAT* format, bool* isbank);
bool AUSND_Stream_IsBank(const AUSND_STREAM* stream);
bool AUSND_Stream_SetSubStreamEx(AUSND_STREAM* stream, int index, bool duringopen, bool keepplaying);
// Moves a playing sentence on to its next entry (wrapping when the stream
// loops); false at its end.
bool AUSND_Stream_NextSentenceEntry(AUSND_STREAM* stream);
// Positions a sentence at an absolute frame: the entry that holds it and the place inside.
bool AUSND_Stream_SeekSentence(AUSND_STREAM* stream, uint64_t frame);
// Replaces the double-buffer sample (and the rings that follow its size) for a new channel layout.
bool AUSND_Stream_RecreateSample(AUSND_STREAM* stream, uint32_t mode);

// Network streams ("http://" names): connects, reads the answer and fills the stream.
bool AUSND_Stream_OpenNetwork(AUSND_STREAM* stream, const char* url, uint32_t mode);
// -4 while a network open connects, -5 while it buffers, 0 otherwise.
int AUSND_Stream_Net_OpenState(AUSND_STREAM* stream);
// Allocates the double buffer of an empty record and links the stream.
AUSND_STREAM* AUSND_Stream_CreateEx(AUSND_STREAM* stream, AUSND_STREAMCALLBACK fill, uint32_t halfbytes,
                                    uint32_t mode, int rate, void* userdata, int channels);
uint32_t AUSND_Stream_FrameBytes(uint32_t mode, int channels);

// The format readers' stream operations.
bool AUSND_Stream_ReadWav(AUSND_STREAM* stream, void* raw, uint32_t rawsize, void* dest, uint32_t* bytes);
bool AUSND_Stream_ReadAIFF(AUSND_STREAM* stream, void* raw, uint32_t rawsize, void* dest, uint32_t* bytes);
bool AUSND_Stream_ReadOggVorbis(AUSND_STREAM* stream, void* raw, uint32_t rawsize, void* dest, uint32_t* bytes);
bool AUSND_Stream_ReadASB(AUSND_STREAM* stream, void* raw, uint32_t rawsize, void* dest, uint32_t* bytes);

// Ogg Vorbis: the open operation fills the format (codec = the decoder).
bool AUSND_OggVorbis_Open(AUSND_FILE* file, AUSND_STREAMFORMAT* format, AUSND_TAGLIST* tags);
bool AUSND_OggVorbis_Read(void* codec, void* buffer, uint32_t* bytesInOut);
bool AUSND_OggVorbis_Close(void* codec);
// With lap, the first decoded block is cross-faded with the one decoded before the seek.
bool AUSND_OggVorbis_SeekPCM(void* codec, uint64_t frame, bool lap);
bool AUSND_OggVorbis_SeekRaw(void* codec, uint64_t bytes, bool lap);
AUSND_SAMPLE* AUSND_OggVorbis_Load(int index, AUSND_FILE* file, unsigned int mode);
