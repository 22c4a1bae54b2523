// The song record that every tracker player shares with the music core, its
// channels and the core's helpers for the players. Private to the sound system.
#pragma once

#include "aulos/aumus.h"
#include "aulos/ausnd_device.h"
#include "aulos/system_file.h"

#include <atomic>
#include <cstdint>

enum AUMUS_NOTEFLAGS : uint8_t
{
    AUMUS_FREQ = 1,
    AUMUS_VOLUME = 2,
    AUMUS_PAN = 4,
    AUMUS_TRIGGER = 8,
    AUMUS_STOP = 32
};

enum AUMUS_CALLBACKKINDS
{
    AUMUS_CALLBACK_ROW = 0,
    AUMUS_CALLBACK_ORDER = 1,
    AUMUS_CALLBACK_ZXX = 2,
    AUMUS_CALLBACK_INSTRUMENT = 3
};

// A voice of a music channel on one reserved real channel.
struct AUMUS_VCHANNEL
{
    AUMUS_VCHANNEL* next;
    AUSND_CHANNEL* real; // null for the dummy
    int32_t index;
    int32_t handle;
    uint8_t flags;
    int32_t period;
    int32_t volume;
    int32_t pan;
    int32_t volumedelta;
    int32_t perioddelta;
    int32_t envvolume;
    int32_t envpan;
    int32_t fadeout;
};

struct AUMUS_CHANNEL
{
    AUMUS_VCHANNEL* vchannels;
    uint8_t instrument; // instrument number - 1
    uint8_t note;
    int32_t period;
    uint8_t lasteffect;
    uint8_t defpan;
    uint8_t defvol;
    uint32_t sampleoffset;
    int32_t portatarget;
    int32_t portaspeed;
    int8_t vibpos;
    uint8_t vibspeed;
    uint8_t vibdepth;
    int8_t trempos;
    uint8_t tremspeed;
    uint8_t tremdepth;
    int32_t looprow;
    int32_t loopcount;
    uint8_t wavecontrol;
};

struct AUMUS_PATTERN
{
    int32_t rows;
    uint8_t* cells; // five bytes a cell: note, instrument, volume column, effect, parameter
};

enum
{
    AUMUS_CELLSIZE = 5,
    AUMUS_MAXORDERS = 256,
    AUMUS_QUEUES = AUSND_SONG_CALLBACKQUEUES
};

struct AUMUS_CALLBACKRECORD
{
    AUMUS_CALLBACK callback;
    int32_t step;
    int32_t write; // next ring slot
    uint32_t dropped; // queued calls lost because the ring was full
};

struct AUMUS_SONG : SongRecord
{
    int8_t type;
    char name[256];
    AUMUS_PATTERN* patterns;
    AUMUS_CHANNEL* channels;
    AUMUS_VCHANNEL* vtable; // one per real channel of the device
    int32_t numvtable;
    int32_t numorders;
    int32_t numpatterns;
    int32_t numinstruments;
    int32_t numchannels;
    int32_t defaultspeed;
    int32_t defaulttempo;
    uint8_t defaultpan[64];
    uint8_t defaultvolume[64];
    int32_t defaultglobalvolume;
    int32_t mastervolume;
    float panseparation;
    int32_t globalvolume;
    uint8_t orderlist[AUMUS_MAXORDERS];
    int32_t restartorder;
    uint8_t finished;
    uint8_t looping;
    int32_t tickcount; // within the row; -1 once the speed ran out
    int32_t rowspeed;  // ticks per row
    int32_t patterndelay;
    int32_t nextrow;
    int32_t nextorder;
    int32_t maxchannels;
    int32_t minvolume;
    bool (*playhook)(AUMUS_SONG* song);
    void (*stophook)(AUMUS_SONG* song); // stops what the player plays outside the song's channels
    AUMUS_CALLBACKRECORD* records[AUMUS_QUEUES]; // Zxx, row, order, then one per instrument
    void* work; // the player's own state, freed with the song
    void (*freework)(void* work);
    uint32_t userdata;
    std::atomic<uint8_t> ready;
    std::atomic<uint8_t> failed;
    AUSND_ASYNCITEM asyncitem; // a background load, queued for the open thread
    void* asyncrequest;        // what that load reads; the song owns it
    std::atomic<uint8_t> opening; // the open thread has the load in hand or queued
};

// Shared tables.
extern const int32_t AUMUS_PeriodTable[132];
extern const uint8_t AUMUS_SineTable[32];
int AUMUS_FineTune2Hz(int finetune);

// Helpers for the players.
void AUMUS_SetBPM(AUMUS_SONG* song, int tempo);
// Reserves a free real channel as a new voice at the head of the channel's
// list: of the output's 3D or 2D voices for a sample the output holds, else of
// the mixer's channels (also for no sample); null when none is free.
AUMUS_VCHANNEL* AUMUS_SpawnNewVirtualChannel(AUMUS_SONG* song, AUMUS_CHANNEL* channel, const AUSND_SAMPLE* sample);
AUMUS_VCHANNEL* AUMUS_DummyVirtualChannel();
// Stops a voice's real channel, gives it back to the sound system and unlinks it from the channel.
void AUMUS_ReleaseVirtualChannel(AUMUS_CHANNEL* channel, AUMUS_VCHANNEL* vc);
AUSND_SAMPLE* AUMUS_DummySample();
void AUMUS_CheckCallback(AUMUS_SONG* song, int kind, int parameter);
// Sends a voice's changed settings to its real channel (MOD volume scale: 0-64).
void AUMUS_OutputVirtualChannel(AUMUS_SONG* song, AUMUS_VCHANNEL* vc, AUSND_SAMPLE* sample);
// Moves to the next row at the end of tick 0 when no effect chose one.
void AUMUS_AdvanceRow(AUMUS_SONG* song);
// Counts the tick on; at the end of a row the next row starts.
void AUMUS_AdvanceTick(AUMUS_SONG* song);
// Takes a pending order and row at tick 0; false when the song stopped.
bool AUMUS_StartRow(AUMUS_SONG* song);
// Allocates zeroed patterns of the given row count for the song.
bool AUMUS_AllocPatterns(AUMUS_SONG* song, int count);
bool AUMUS_AllocPattern(AUMUS_SONG* song, int index, int rows);
bool AUMUS_AllocSamples(AUMUS_SONG* song, int count);
AUMUS_CHANNEL* AUMUS_AllocChannels(AUMUS_SONG* song, int count);

// A bounded little- or big-endian reader over a module held in memory.
class AUMUS_Reader
{
public:
    AUMUS_Reader(const uint8_t* data, uint32_t size) : m_pData(data), m_iSize(size) {}
    uint32_t Size() const { return m_iSize; }
    uint32_t Tell() const { return m_iPos; }
    uint32_t Left() const { return m_iPos < m_iSize ? m_iSize - m_iPos : 0; }
    bool Seek(uint32_t pos)
    {
        m_iPos = pos;
        return pos <= m_iSize;
    }
    bool Skip(uint32_t n) { return Seek(m_iPos + n); }
    bool Has(uint32_t n) const { return m_iPos <= m_iSize && m_iSize - m_iPos >= n; }
    const uint8_t* At(uint32_t pos) const { return pos < m_iSize ? m_pData + pos : nullptr; }
    // Reads past the end give zeros and leave the reader marked as short.
    uint8_t U8()
    {
        if (m_iPos >= m_iSize)
        {
            m_bShort = true;
            ++m_iPos;
            return 0;
        }
        return m_pData[m_iPos++];
    }
    uint16_t U16LE()
    {
        const uint16_t lo = U8();
        return static_cast<uint16_t>(lo | (U8() << 8));
    }
    uint16_t U16BE()
    {
        const uint16_t hi = U8();
        return static_cast<uint16_t>((hi << 8) | U8());
    }
    uint32_t U32LE()
    {
        const uint32_t lo = U16LE();
        return lo | (static_cast<uint32_t>(U16LE()) << 16);
    }
    // Copies n bytes (zeros past the end); false when any were missing.
    bool Read(void* dest, uint32_t n);
    bool IsShort() const { return m_bShort; }

private:
    const uint8_t* m_pData;
    uint32_t m_iSize;
    uint32_t m_iPos = 0;
    bool m_bShort = false;
};

// Loaders: true when loaded; false with error 10 when the data is not theirs.
bool AUMUS_LoadMOD(AUMUS_SONG* song, AUMUS_Reader& file);
bool AUMUS_LoadS3M(AUMUS_SONG* song, AUMUS_Reader& file);
bool AUMUS_LoadXM(AUMUS_SONG* song, AUMUS_Reader& file);
bool AUMUS_LoadIT(AUMUS_SONG* song, AUMUS_Reader& file);
bool AUMUS_LoadASB(AUMUS_SONG* song, AUMUS_Reader& file, unsigned int mode, const int* samplelist, int count);

// Position jumps name file order positions; after markers are dropped they
// must name the kept order at or after that position. playedbefore[i] counts
// the kept entries before file position i.
void AUMUS_RemapJumps(AUMUS_SONG* song, uint8_t jumpeffect, const uint16_t* playedbefore, int count);

// Builds an 8-bit or 16-bit signed mono song sample from raw data; an empty
// one for length 0. The loop is clamped to the data, or switched off.
AUSND_SAMPLE* AUMUS_MakeSample(const void* data, uint32_t length, bool sixteen, uint32_t loopstart,
                               uint32_t looplen, bool bidi, int deffreq, int defvol);
