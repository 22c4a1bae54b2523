// The sound system's records: the one device, channels, samples, processing
// units, songs, output drivers and mixers, and the calls that the sound
// system's own components make of each other.
#pragma once

#include "aulos/ausnd.h"
#include "aulos/system_memory.h"
#include "aulos/system_thread.h"
#include "aulos/system_time.h"

#include <atomic>
#include <cstdint>
#include <mutex>

// Each thread has its own error number; calls on the thread that started the
// device clear it first.
extern thread_local int AUSND_ErrorNo;
void AUSND_ClearErrorOnOwner();
bool AUSND_IsOwnerThread();

// A link of a circular, doubly linked ring with a sentinel head.
struct AUSND_LINK
{
    AUSND_LINK* next;
    AUSND_LINK* prev;
};

inline void AUSND_Link_Init(AUSND_LINK* head)
{
    head->next = head;
    head->prev = head;
}

inline bool AUSND_Link_IsEmpty(const AUSND_LINK* head)
{
    return head->next == head;
}

inline void AUSND_Link_Remove(AUSND_LINK* link)
{
    if (!link->next)
        return;
    link->prev->next = link->next;
    link->next->prev = link->prev;
    link->next = nullptr;
    link->prev = nullptr;
}

inline void AUSND_Link_InsertBefore(AUSND_LINK* at, AUSND_LINK* link)
{
    link->next = at;
    link->prev = at->prev;
    at->prev->next = link;
    at->prev = link;
}

inline void AUSND_Link_AddTail(AUSND_LINK* head, AUSND_LINK* link)
{
    AUSND_Link_InsertBefore(head, link);
}

struct AUSND_CHANNEL;
struct SongRecord;

enum AUSND_CHANNELFLAGS : uint32_t
{
    AUSND_CHANNEL_ABSOLUTEVOLUME = 1,
    AUSND_CHANNEL_MUTED = 2,
    AUSND_CHANNEL_SURROUND = 4,
    AUSND_CHANNEL_RESERVED = 8,
    AUSND_CHANNEL_PAUSED = 16,
    AUSND_CHANNEL_MUSIC = 32,
    AUSND_CHANNEL_SETTINGUP = 0x200,
    AUSND_CHANNEL_STOPPING = 0x2000,
    AUSND_CHANNEL_REVERSED = 0x4000 // the frequency last applied was negative
};

// What a channel does with its voice; software channels reach the mixer,
// every other slot does nothing and succeeds.
struct AUSND_CHANNELOPS
{
    bool (*Init)(AUSND_CHANNEL* ch);
    void (*Close)(AUSND_CHANNEL* ch);
    bool (*Alloc)(AUSND_CHANNEL* ch, AUSND_SAMPLE* sample);
    bool (*PlaySound)(AUSND_DSPUNIT* unit, AUSND_CHANNEL* ch, AUSND_SAMPLE* sample);
    bool (*StopSound)(AUSND_CHANNEL* ch);
    bool (*SetFrequency)(AUSND_CHANNEL* ch, int freq);
    bool (*SetFrequencyEx)(AUSND_CHANNEL* ch, float freq);
    bool (*SetVolume)(AUSND_CHANNEL* ch, int vol);
    bool (*SetPan)(AUSND_CHANNEL* ch, int pan);
    bool (*SetLevels)(AUSND_CHANNEL* ch, const int* levels6);
    bool (*SetPaused)(AUSND_CHANNEL* ch, bool paused);
    bool (*SetCurrentPosition)(AUSND_CHANNEL* ch, uint32_t pos);
    uint64_t (*GetCurrentPosition)(AUSND_CHANNEL* ch);
    bool (*GetCurrentLevels)(AUSND_CHANNEL* ch, float* l, float* r);
    bool (*IsPlaying)(AUSND_CHANNEL* ch);
    bool (*SetMode)(AUSND_CHANNEL* ch, uint32_t mode);
    bool (*Set3DAttributes)(AUSND_CHANNEL* ch);
    bool (*Reverb_SetProperties)(AUSND_CHANNEL* ch, const void* properties72);
    bool (*SetADSR)(AUSND_CHANNEL* ch, int attackms, int decayms, int sustainlevel, int releasems);
    bool (*SetADSRKeyoff)(AUSND_CHANNEL* ch);
    int (*FX_Enable)(AUSND_CHANNEL* ch, unsigned int fxtype);
    bool (*FX_Disable)(AUSND_CHANNEL* ch);
    bool (*FX_SetParameters)(AUSND_CHANNEL* ch, int fxid, const float* params, int count);
};

struct AUSND_SAMPLE
{
    char name[256];
    int32_t index; // slot in the device's table, -2 outside it
    void* data;    // owned by the sample functions below
    uint32_t length; // frames
    uint32_t loopstart;
    uint32_t looplen;
    int32_t guardindex; // frame that holds the loop's guard copy, -1 when none
    int32_t maxplaybacks;
    int32_t channels; // with AUSND_MULTICHANNEL
    uint32_t mode;
    int32_t deffreq;
    int32_t defvol;
    int32_t defpan;
    int32_t defpri;
    int32_t varfreq;
    int32_t varvol;
    int32_t varpan;
    int32_t middlec;    // tracker songs
    uint8_t songowned;  // belongs to a loaded song
    float mindistance;
    float maxdistance;
    void* codec;
    void* locktemp; // interleaved copy handed out while a multichannel sample is locked
    uint32_t lockoffset;
    uint32_t locklength;

    bool (*AllocData)(AUSND_SAMPLE* sample);
    void (*FreeData)(AUSND_SAMPLE* sample);
    bool (*UploadData)(AUSND_SAMPLE* sample, const void* src, uint32_t offset, uint32_t length, uint32_t srcmode);
    bool (*LockData)(AUSND_SAMPLE* sample, uint32_t offset, uint32_t length, void** ptr1, void** ptr2, uint32_t* len1,
                     uint32_t* len2);
    bool (*UnlockData)(AUSND_SAMPLE* sample, void* ptr1, void* ptr2, uint32_t len1, uint32_t len2);
};

struct AUSND_CHANNEL
{
    AUSND_LINK link; // in a unit's ring or the idle ring; first, so that a link is its channel
    int32_t index;
    int32_t handle;
    int32_t refcount;
    int32_t volume;
    int32_t frequency;
    int32_t pan;
    int32_t actualvolume;
    int32_t actualpan;
    uint32_t startoffset;
    int32_t priority;
    uint32_t flags;
    uint32_t mode;
    float pos[3];
    float vel[3];
    AUSND_SAMPLE* sample;
    AUSND_DSPUNIT* unit;
    AUSND_CHANNEL* nextsub;
    uint8_t issub;
    int32_t leftvolume;
    int32_t rightvolume;
    int32_t averagevolume;
    int32_t volumescale3d;
    float frequencyscale;
    uint32_t mixpos;    // whole samples
    uint32_t mixposlo;  // fraction
    uint32_t speedlo;   // fraction
    uint32_t speedhi;   // whole samples
    int32_t direction;  // 1 forward, 2 backward
    int32_t* levelhistory;
    void* sampledata;
    float mindistance;
    float maxdistance;
    uint8_t reverb[72];
    // A resonant low-pass that tracker songs put on a channel: the weights of
    // the input and the last two outputs, and those outputs for each side.
    uint8_t filtered;
    int16_t filtercutoff;
    int16_t filterresonance;
    float filtercoef[3];
    float filterhistory[4];
    AUSND_CHANNELOPS ops;
};

inline AUSND_CHANNEL* AUSND_ChannelOfLink(AUSND_LINK* link)
{
    return reinterpret_cast<AUSND_CHANNEL*>(link);
}

struct AUSND_DSPUNIT
{
    AUSND_LINK link; // in the device's unit ring, ordered by priority
    AUSND_DSPCALLBACK callback;
    int32_t priority;
    uint8_t active;
    void* param;
    AUSND_LINK channelring; // channels this unit mixes
    int32_t numchannels;
};

inline AUSND_DSPUNIT* AUSND_UnitOfLink(AUSND_LINK* link)
{
    return reinterpret_cast<AUSND_DSPUNIT*>(link);
}

// A queued song callback: fired once the song time reaches it, then marked -1.
struct AUSND_SONGCALLBACK
{
    int32_t time;
    void (*routine)(SongRecord* song, void* param);
    void* param;
};

struct AUSND_SONGHISTORY
{
    uint32_t time;
    int32_t row;
    int32_t order;
};

enum
{
    AUSND_SONG_CALLBACKQUEUES = 3 + 256,
    AUSND_SONG_CALLBACKQUEUE_LENGTH = 256
};

// A loaded tracker song as the mixer sees it.
struct SongRecord
{
    AUSND_LINK link; // in the device's song ring
    uint8_t playing;
    uint8_t paused;
    float speed; // 0 holds the song
    void (*tick)(SongRecord* song);
    int32_t samplestonexttick;
    int32_t ticklength;
    uint32_t time; // ms
    uint32_t timefraction; // what the ms count has not taken yet, in 1/mixrate ms: keeps the clock exact
    int32_t row;
    int32_t order;
    float bpm;
    AUSND_SONGHISTORY* history; // one entry per mix block, or null
    int32_t historyblock;
    AUSND_SONGCALLBACK* callbacks[AUSND_SONG_CALLBACKQUEUES]; // each null or a ring of 256
    AUSND_LINK channelring;
    AUSND_SAMPLE** samples;
    int32_t numsamples;
};

// One row of the mixer table.
struct AUSND_MIXER
{
    const char* name;
    bool (*Initialize)();
    void (*Close)();
    void (*Clear)(void* buffer, int length);
    void (*Mix)(void* buffer, AUSND_LINK* ring, int length);
    void (*ClipCopy)(void* dest, const void* src, int length);
    int32_t bits;
    int32_t channels;
    void* mixbuffer;
    void* mixbufferaligned;
    std::atomic<int32_t> currentblock; // written by the mixing thread, read by the owner for levels
    int32_t formatcode;
    AUSND_CRITICALSECTION criticalsection; // guards the units' channel rings and the channels' mix fields
};

extern AUSND_MIXER AUSND_MixerTable[AUSND_MIXER_COUNT];
extern const int AUSND_Software_PanTable[256];

// An output driver's table of operations.
struct AUSND_OUTPUT
{
    int32_t hw3dsupport;
    int32_t hw2dsupport;
    int32_t mixerthread; // the software mixer runs its own thread
    bool (*EnumerateDrivers)();
    bool (*Initialize)(int mixrate);
    void (*Close)();
    void (*SetSampleFunctions)(AUSND_SAMPLE* sample);
    void (*SetChannelFunctions)(AUSND_CHANNEL* ch);
    void (*GetCaps)(int driver, unsigned int* caps);
    void* (*GetHandle)();
    void (*SetSpeakerMode)(int mode);
    bool (*Update)();
    void (*Reverb_Initialize)();
    bool (*Reverb_SetProperties)(const void* properties120);
    bool (*Reverb_GetProperties)(void* properties120);
    bool (*Record_EnumerateDrivers)();
    bool (*Record_Initialize)(int driver);
    bool (*Record_Start)(uint32_t length, uint32_t mode, int rate);
    bool (*Record_Stop)();
    int (*Record_GetCurrentPosition)();
    bool (*Record_Lock)(uint32_t offset, uint32_t length, void** ptr1, void** ptr2, uint32_t* len1, uint32_t* len2);
    bool (*Record_Unlock)(void* ptr1, void* ptr2, uint32_t len1, uint32_t len2);
};

extern AUSND_OUTPUT AUSND_Output_NoSound;
extern AUSND_OUTPUT AUSND_Output_SDL;
extern AUSND_OUTPUT AUSND_Output_Capture;

struct AUSND_CHANNELRANGE
{
    int32_t first;
    int32_t last;
    int32_t next; // where the next search starts
};

enum
{
    AUSND_RANGE_HW3D = 0,
    AUSND_RANGE_HW2D = 1,
    AUSND_RANGE_SOFTWARE = 2,
    AUSND_MAXDRIVERS = 16,
    AUSND_DRIVERNAME_LENGTH = 80,
    AUSND_MAXLISTENERS = 4
};

struct AUSND_LISTENER
{
    float pos[3] = {0.0f, 0.0f, 0.0f};
    float vel[3] = {0.0f, 0.0f, 0.0f};
    float previouspos[3] = {0.0f, 0.0f, 0.0f};
    float front[3] = {0.0f, 0.0f, 1.0f};
    float top[3] = {0.0f, 1.0f, 0.0f};
    float right[3] = {1.0f, 0.0f, 0.0f}; // top x front
};

struct AUSND_Device
{
    AUSND_OUTPUT* output = nullptr;
    int32_t outputtype = AUSND_OUTPUT_DEFAULT;
    uint32_t initflags = 0;
    uint8_t largebuffer = 0;
    uint8_t driversenumerated = 0;
    int32_t sfxmastervolume = 255;
    float panseparation = 1.0f;
    void* hwnd = nullptr;
    std::atomic<AUSND_THREADID> ownerthread{0};
    std::atomic<bool> initialised{false};
    std::atomic<float> mixcpuusage{0.0f};
    std::atomic<float> streamcpuusage{0.0f};
    int32_t speakermode = 4;
    AUSND_MIXER* mixer = nullptr;
    int32_t mixertype = AUSND_MIXER_QUALITY_AUTODETECT;
    int32_t mixrate = 44100;
    int32_t buffersize = -1;
    int32_t totalmixlength = 0;
    float blocktime = 0.0f; // ms, for reports; clocks advance by whole frames (AUSND_AdvanceClock)
    uint32_t updatefraction = 0; // AUSND_Update's clock remainder with the non-real-time outputs
    int32_t blocklength = 0;
    int32_t requestedbuffersize = -1;

    AUSND_DSPUNIT* unitclear = nullptr;
    AUSND_DSPUNIT* unitsfx = nullptr;
    AUSND_DSPUNIT* unitmusic = nullptr;
    AUSND_DSPUNIT* unitclipcopy = nullptr;
    AUSND_DSPUNIT* unitlevels = nullptr;
    AUSND_DSPUNIT* unitfft = nullptr;
    void* fft = nullptr;

    std::atomic<bool> mixerstop{false};
    std::atomic<bool> mixing{false};
    std::atomic<bool> mixerfinished{true};
    AUSND_THREADHANDLE mixerthread = nullptr;
    AUSND_TIMESTAMP mixstamp{};

    AUSND_LINK idlering{};

    int32_t selecteddriver = -1;
    int32_t numdrivers = 0;
    char drivernames[AUSND_MAXDRIVERS][AUSND_DRIVERNAME_LENGTH]{};

    AUSND_CHANNEL* channels = nullptr;
    AUSND_CHANNEL* primarychannel = nullptr;
    AUSND_CHANNELRANGE ranges[3]{};
    int32_t totalchannels = 0;
    int32_t extrachannels = 0;
    int32_t softwarechannels = 0;
    int32_t hw3dchannels = 0;
    int32_t hw2dchannels = 0;
    int32_t minhwchannels = 0;
    int32_t maxhwchannels = 0;
    AUSND_SAMPLE** samples = nullptr;
    int32_t numsamples = 0;
    AUSND_SAMPLE* primarysample = nullptr;

    int32_t numrecorddrivers = 0;
    char recorddrivernames[AUSND_MAXDRIVERS][AUSND_DRIVERNAME_LENGTH]{};
    int32_t recorddriver = -1;
    bool recording = false;
    uint32_t recordposition = 0;
    bool recordloop = false;
    AUSND_SAMPLE* recordsample = nullptr;

    uint64_t lastupdatetime = 0;

    AUSND_LISTENER listeners[AUSND_MAXLISTENERS];
    int32_t currentlistener = 0;
    int32_t numlisteners = 1;
    float dopplerfactor = 1.0f;
    float distancefactor = 1.0f; // stored as its inverse
    float rolloffscale = 1.0f;

    AUSND_LINK songring{};
    AUSND_LINK unitring{};
    // Held by a mix for its whole walk of the unit ring, and by every change of
    // the ring. Recursive: a song's tick runs inside the walk and may play sounds.
    std::recursive_mutex unitlock;
    AUSND_MEMPOOL pool;
};

extern AUSND_Device* AUSND_CurrentDevice;

// The whole milliseconds that frames at mixrate add to a clock whose
// sub-millisecond rest is kept in fraction (units of 1/mixrate ms): summed
// over many blocks the clock never drifts.
uint32_t AUSND_AdvanceClock(uint32_t& fraction, int frames, int mixrate);

// Set-up and channels.
bool AUSND_Output_IsNonRealTime(int outputtype);
AUSND_OUTPUT* AUSND_Output_ForType(int outputtype);
void AUSND_Device_Reset();
AUSND_CHANNEL* AUSND_Channel_Validate(int handle);
AUSND_CHANNEL* AUSND_Channel_Alloc(int requested, int range, AUSND_SAMPLE* sample, int priority, int excluded,
                                   bool stopduplicates);
void AUSND_Channel_Update3D(AUSND_CHANNEL* ch);

// Output drivers.
void AUSND_Output_NoSound_SetChannelFunctions(AUSND_CHANNEL* ch);
void AUSND_Output_NoSound_SetSampleFunctions(AUSND_SAMPLE* sample);
bool AUSND_Output_NoSound_Record_Start(uint32_t length, uint32_t mode, int rate);
void AUSND_Output_NoSound_Close();
void AUSND_Output_NoSound_GetCaps(int driver, unsigned int* caps);
void* AUSND_Output_NoSound_GetHandle();
void AUSND_Output_NoSound_SetSpeakerMode(int mode);
// Lists one output driver under the given name; always true.
bool AUSND_Output_SetSingleDriver(const char* name);
void AUSND_Output_NoSound_Reverb_Initialize();
bool AUSND_Output_NoSound_Reverb_SetProperties(const void* properties120);
bool AUSND_Output_NoSound_Reverb_GetProperties(void* properties120);
bool AUSND_Output_NoSound_Record_EnumerateDrivers();
bool AUSND_Output_NoSound_Record_Initialize(int driver);
bool AUSND_Output_NoSound_Record_Stop();
int AUSND_Output_NoSound_Record_GetCurrentPosition();
bool AUSND_Output_NoSound_Record_Lock(uint32_t offset, uint32_t length, void** ptr1, void** ptr2, uint32_t* len1,
                                      uint32_t* len2);
bool AUSND_Output_NoSound_Record_Unlock(void* ptr1, void* ptr2, uint32_t len1, uint32_t len2);
// The primary mix buffer held in memory (SDL and capture outputs).
bool AUSND_Output_BufferAlloc(AUSND_SAMPLE* sample);
void AUSND_Output_SetBufferSampleFunctions(AUSND_SAMPLE* sample);
// Mixes the block at the mixer's current index and moves the index on; returns
// the block's 16-bit frames in the primary mix buffer sample, or null.
const int16_t* AUSND_Output_MixNextBlock();

// Software mixer.
bool AUSND_Software_Initialize();
bool AUSND_Software_Start();
void AUSND_Software_Close();
void AUSND_Software_Fill(int position, int length);
void AUSND_Software_Update();
void AUSND_Software_SetChannelFunctions(AUSND_CHANNEL* ch);
void AUSND_Software_SetSampleFunctions(AUSND_SAMPLE* sample);
void AUSND_Software_DetachUnitChannels(AUSND_DSPUNIT* unit);
void* AUSND_Software_MixSFX(void* block, void* current, int length, void* param);
// Puts the resonant low-pass on a channel (cutoff and resonance 0-127), or
// takes it off with a cutoff below 0.
void AUSND_Software_SetChannelFilter(AUSND_CHANNEL* ch, int cutoff, int resonance);
// The mixers' clear and clip-and-copy rows. Lengths are frames; below 1 nothing happens.
void AUSND_Mixer_Clear_Int32C(void* buffer, int length);
void AUSND_Mixer_Clear_Int32C_Mono(void* buffer, int length);
void AUSND_Mixer_Clear_Int16C(void* buffer, int length);
void AUSND_Mixer_ClipCopy_Int32C(void* dest, const void* src, int length);
void AUSND_Mixer_ClipCopy_Int32C_Mono(void* dest, const void* src, int length);
void AUSND_Mixer_ClipCopy_Int16C(void* dest, const void* src, int length);
// Averages interleaved stereo frames into mono: 16-bit (mode AUSND_16BITS),
// unsigned 8-bit (AUSND_UNSIGNED) or signed 8-bit data; count is frames.
void AUSND_Mixer_ClipCopy_StereoToMono(void* dest, const void* src, int count, unsigned int mode);

// Processing units.
void AUSND_DSP_Init();
bool AUSND_DSP_VerifyUnit(AUSND_DSPUNIT* unit);
AUSND_DSPUNIT* AUSND_DSP_CreateUnit(AUSND_DSPCALLBACK callback, int priority, void* param);
// Frees any unit of the ring, the built-in ones included (AUSND_DSP_Free refuses those).
void AUSND_DSP_Release(AUSND_DSPUNIT* unit);
void AUSND_DSP_FreeAll();
bool AUSND_FFT_Init(int blocklength, int totallength, int priority, int formatcode);
void AUSND_FFT_Free();

// Samples.
AUSND_SAMPLE* AUSND_Sample_AllocHeader(int index, unsigned int mode);
bool AUSND_Sample_AdjustLoopPoints(AUSND_SAMPLE* sample);
bool AUSND_Sample_Convert(void* dest, const void* src, unsigned int length, unsigned int destmode,
                          unsigned int srcmode, int channels);
uint32_t AUSND_Sample_ByteSize(const AUSND_SAMPLE* sample);
// With openfile, nameordata is an open AUSND_FILE, which is left open.
AUSND_SAMPLE* AUSND_Sample_LoadEx(int index, const char* nameordata, unsigned int mode, int offset, int length,
                                  bool openfile);

// Neighbours that come later: streams, files and codecs, tracker songs.
bool AUSND_Stream_Init();
void AUSND_Stream_ShutDown();
void AUSND_Stream_Update(int elapsedms);
void AUSND_Stream_Net_Shutdown();
extern std::atomic<bool> AUSND_Stream_UpdateBusy;
void AUSND_Async_Init();
void AUSND_Async_ShutDown();
void AUSND_File_ShutDown();
void AUSND_Mpeg_Init();
void AUSND_OggVorbis_Init();
void AUSND_Record_Fill(uint32_t position, uint32_t length);
void AUMUS_SetBPM(SongRecord* song, int bpm);
void AUMUS_StopAllSongs();
bool AUMUS_StopSong(SongRecord* song);
