// The music core: songs in the device's song ring, their public interface,
// callbacks, channels and the tick timing that every tracker player shares.
#include "aulos/aumus_song.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

const int32_t AUMUS_PeriodTable[132] = {
    27392, 25856, 24384, 23040, 21696, 20480, 19328, 18240, 17216, 16256, 15360, 14496, 13696, 12928, 12192,
    11520, 10848, 10240, 9664,  9120,  8608,  8128,  7680,  7248,  6848,  6464,  6096,  5760,  5424,  5120,
    4832,  4560,  4304,  4064,  3840,  3624,  3424,  3232,  3048,  2880,  2712,  2560,  2416,  2280,  2152,
    2032,  1920,  1812,  1712,  1616,  1524,  1440,  1356,  1280,  1208,  1140,  1076,  1016,  960,   906,
    856,   808,   762,   720,   678,   640,   604,   570,   538,   508,   480,   453,   428,   404,   381,
    360,   339,   320,   302,   285,   269,   254,   240,   226,   214,   202,   190,   180,   170,   160,
    151,   143,   135,   127,   120,   113,   107,   101,   95,    90,    85,    80,    75,    71,    67,
    63,    60,    56,    53,    50,    47,    45,    42,    40,    37,    35,    33,    31,    30,    28,
    26,    25,    23,    22,    21,    20,    18,    17,    16,    15,    15,    14};

const uint8_t AUMUS_SineTable[32] = {0,   24,  49,  74,  97,  120, 141, 161, 180, 197, 212, 224, 235, 244, 250, 253,
                                     255, 253, 250, 244, 235, 224, 212, 197, 180, 161, 141, 120, 97,  74,  49,  24};

namespace
{
const int kFineTuneHz[16] = {8363, 8413, 8463, 8529, 8581, 8651, 8723, 8757,
                             7895, 7941, 7985, 8046, 8107, 8169, 8232, 8280};
const int kAmigaClock = 14317056;

AUSND_Device* Dev()
{
    return AUSND_CurrentDevice;
}

bool Initialised()
{
    return Dev() && Dev()->initialised;
}

template <typename T>
T Fail(int error, T result)
{
    AUSND_ErrorNo = error;
    return result;
}

// A song the public calls may use: not null and fully loaded.
AUMUS_SONG* Valid(AUMUS_SONG* song)
{
    AUSND_ClearErrorOnOwner();
    if (!song || !song->ready)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return nullptr;
    }
    return song;
}

AUMUS_VCHANNEL g_DummyVChannel{};
AUSND_SAMPLE* g_pDummySample = nullptr;

std::recursive_mutex& MixLock()
{
    return Dev()->unitlock;
}

void ReleaseRealChannel(AUMUS_SONG* song, AUMUS_VCHANNEL* vc)
{
    AUSND_CHANNEL* ch = vc->real;
    if (!ch)
        return;
    AUSND_StopSound(vc->handle);
    {
        AUSND_ScopedSection section(Dev()->mixer ? Dev()->mixer->criticalsection : nullptr);
        ch->flags &= ~(AUSND_CHANNEL_RESERVED | AUSND_CHANNEL_MUSIC);
        if (ch->link.next)
        {
            AUSND_Link_Remove(&ch->link);
            AUSND_Link_AddTail(&Dev()->idlering, &ch->link);
        }
        ch->startoffset = 0;
    }
    (void)song;
    vc->real = nullptr;
}

void ReleaseAllChannels(AUMUS_SONG* song)
{
    for (int i = 0; song->channels && i < song->numchannels; ++i)
    {
        for (AUMUS_VCHANNEL* vc = song->channels[i].vchannels; vc; vc = vc->next)
            ReleaseRealChannel(song, vc);
        song->channels[i].vchannels = nullptr;
    }
}

void EmptyQueues(AUMUS_SONG* song)
{
    for (int q = 0; q < AUMUS_QUEUES; ++q)
    {
        if (song->callbacks[q])
        {
            for (int i = 0; i < AUSND_SONG_CALLBACKQUEUE_LENGTH; ++i)
                song->callbacks[q][i] = AUSND_SONGCALLBACK{-1, nullptr, nullptr};
        }
        if (song->records[q])
            song->records[q]->write = 0;
    }
}

void StopLocked(AUMUS_SONG* song)
{
    ReleaseAllChannels(song);
    if (song->stophook)
        song->stophook(song);
    song->playing = 0;
    song->finished = 1;
}

void FreeSongData(AUMUS_SONG* song)
{
    ReleaseAllChannels(song);
    if (song->stophook && song->work)
        song->stophook(song);
    for (int i = 0; song->samples && i < song->numsamples; ++i)
    {
        AUSND_SAMPLE* sample = song->samples[i];
        if (!sample)
            continue;
        // The sample free clears every song's pointers to it, this table's included.
        if (sample->songowned || song->type == AUMUS_TYPE_ASB)
            AUSND_Sample_Free(sample);
    }
    std::free(song->samples);
    song->samples = nullptr;
    for (int i = 0; song->patterns && i < song->numpatterns; ++i)
        std::free(song->patterns[i].cells);
    std::free(song->patterns);
    std::free(song->channels);
    std::free(song->vtable);
    for (int q = 0; q < AUMUS_QUEUES; ++q)
    {
        std::free(song->callbacks[q]);
        delete song->records[q];
    }
    std::free(song->history);
    if (song->work && song->freework)
        song->freework(song->work);
}

// Undoes what a loader that gave up made, so that the next loader starts afresh.
void ForgetLoaderWork(AUMUS_SONG* song)
{
    ReleaseAllChannels(song);
    if (song->stophook && song->work)
        song->stophook(song);
    for (int i = 0; song->samples && i < song->numsamples; ++i)
    {
        if (song->samples[i] && song->samples[i]->songowned)
            AUSND_Sample_Free(song->samples[i]);
    }
    std::free(song->samples);
    for (int i = 0; song->patterns && i < song->numpatterns; ++i)
        std::free(song->patterns[i].cells);
    std::free(song->patterns);
    std::free(song->channels);
    if (song->work && song->freework)
        song->freework(song->work);
    song->samples = nullptr;
    song->numsamples = 0;
    song->patterns = nullptr;
    song->numpatterns = 0;
    song->channels = nullptr;
    song->numchannels = 0;
    song->numinstruments = 0;
    song->numorders = 0;
    song->work = nullptr;
    song->freework = nullptr;
    song->tick = nullptr;
    song->playhook = nullptr;
    song->stophook = nullptr;
    song->type = AUMUS_TYPE_NONE;
}

// Fires a queued callback from the mixer: the parameter carries the queue and the value.
void FireQueued(SongRecord* record, void* param)
{
    AUMUS_SONG* song = static_cast<AUMUS_SONG*>(record);
    const uintptr_t packed = reinterpret_cast<uintptr_t>(param);
    const int queue = static_cast<int>(packed >> 8);
    AUMUS_CALLBACKRECORD* rec = queue < AUMUS_QUEUES ? song->records[queue] : nullptr;
    if (rec && rec->callback)
        rec->callback(song, static_cast<unsigned char>(packed & 0xFF));
}

int QueueOf(int kind, int parameter)
{
    switch (kind)
    {
    case AUMUS_CALLBACK_ZXX:
        return 0;
    case AUMUS_CALLBACK_ROW:
        return 1;
    case AUMUS_CALLBACK_ORDER:
        return 2;
    default:
        return 3 + (parameter & 0xFF);
    }
}

bool SetCallback(AUMUS_SONG* song, int queue, AUMUS_CALLBACK callback, int step)
{
    if (!Valid(song) || step < 0)
        return Fail(AUSND_ERR_INVALID_PARAM, false);
    std::lock_guard<std::recursive_mutex> guard(MixLock());
    if (!song->records[queue])
    {
        song->records[queue] = new (std::nothrow) AUMUS_CALLBACKRECORD{};
        song->callbacks[queue] = static_cast<AUSND_SONGCALLBACK*>(
            std::calloc(AUSND_SONG_CALLBACKQUEUE_LENGTH, sizeof(AUSND_SONGCALLBACK)));
        if (!song->records[queue] || !song->callbacks[queue])
            return Fail(AUSND_ERR_MEMORY, false);
    }
    for (int i = 0; i < AUSND_SONG_CALLBACKQUEUE_LENGTH; ++i)
        song->callbacks[queue][i] = AUSND_SONGCALLBACK{-1, nullptr, nullptr};
    song->records[queue]->write = 0;
    song->records[queue]->callback = callback;
    song->records[queue]->step = step;
    return true;
}

// Reads a whole song file through the file layer (the user's file callbacks
// when set): error 9 when it cannot be opened, 11 when it reads short. The
// length known at open bounds the reads: the buffered disk file reports a read
// past its end as a failure, not as an empty read.
bool ReadWholeFile(const char* name, std::vector<uint8_t>& out)
{
    AUSND_FILE* file = AUSND_File_Open(name, AUSND_File_UsingFileCallbacks() ? AUSND_FILE_USER : AUSND_FILE_BUFFERED, 0);
    if (!file)
        return Fail(AUSND_ERR_FILE_NOTFOUND, false);
    const int length = std::max(file->length, 0);
    bool ok = true;
    try
    {
        out.resize(static_cast<size_t>(length));
    }
    catch (const std::bad_alloc&)
    {
        ok = Fail(AUSND_ERR_MEMORY, false);
    }
    for (int done = 0; ok && done < length;)
    {
        const int want = std::min(length - done, static_cast<int>(AUSND_FILE_BUFFERSIZE) * 8);
        const int n = AUSND_File_Read(out.data() + done, 1, want, file);
        if (n <= 0)
            ok = Fail(AUSND_ERR_FILE_BAD, false);
        else
            done += n;
    }
    AUSND_File_Close(file);
    return ok;
}

struct LoadRequest
{
    std::vector<uint8_t> filedata; // the file's contents when loaded by name
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    unsigned int mode = 0;
    std::vector<int> samplelist;
    // A background load keeps what it was asked for until the open thread runs it.
    std::string name;
    const char* memory = nullptr;
    int offset = 0;
    int length = 0;
};

// Finds the data, tries every loader in turn and applies the mode's loop flags.
bool LoadInto(AUMUS_SONG* song, LoadRequest& request, int offset, int length)
{
    uint32_t start = offset > 0 ? static_cast<uint32_t>(offset) : 0;
    uint32_t size = request.size;
    if (start > size)
        return Fail(AUSND_ERR_FILE_BAD, false);
    size -= start;
    if (length > 0 && static_cast<uint32_t>(length) < size)
        size = static_cast<uint32_t>(length);
    const uint8_t* data = request.data + start;

    using Loader = bool (*)(AUMUS_SONG*, AUMUS_Reader&);
    const Loader loaders[] = {AUMUS_LoadS3M, AUMUS_LoadXM, AUMUS_LoadIT, AUMUS_LoadMOD};
    AUMUS_Reader asb(data, size);
    AUSND_ErrorNo = AUSND_ERR_FILE_FORMAT;
    bool loaded = AUMUS_LoadASB(song, asb, request.mode, request.samplelist.data(),
                                static_cast<int>(request.samplelist.size()));
    for (Loader loader : loaders)
    {
        if (loaded || AUSND_ErrorNo != AUSND_ERR_FILE_FORMAT)
            break;
        ForgetLoaderWork(song);
        AUMUS_Reader file(data, size);
        loaded = loader(song, file);
    }
    if (!loaded)
        return false;
    if (song->numorders <= 0)
        return Fail(AUSND_ERR_FILE_BAD, false);
    for (int i = 0; song->type != AUMUS_TYPE_ASB && i < song->numsamples; ++i)
    {
        if (song->samples[i])
            song->samples[i]->songowned = 1;
    }
    if (request.mode & AUMUS_LOAD_LOOP)
        song->looping = 1;
    else if (request.mode & AUMUS_LOAD_NOLOOP)
        song->looping = 0;
    return true;
}

bool PrepareRequest(LoadRequest& request, const char* nameordata, int offset, int length, unsigned int mode)
{
    request.mode = mode;
    if (mode & AUSND_LOADMEMORY)
    {
        request.data = reinterpret_cast<const uint8_t*>(nameordata);
        request.size = static_cast<uint32_t>(std::max(0, offset) + std::max(0, length));
        if (length <= 0)
            return Fail(AUSND_ERR_INVALID_PARAM, false);
        return true;
    }
    if (!ReadWholeFile(nameordata, request.filedata))
        return false;
    request.data = request.filedata.data();
    request.size = static_cast<uint32_t>(request.filedata.size());
    return true;
}

AUMUS_SONG* AllocSong()
{
    AUMUS_SONG* song = new (std::nothrow) AUMUS_SONG();
    if (!song)
        return Fail(AUSND_ERR_MEMORY, static_cast<AUMUS_SONG*>(nullptr));
    AUSND_Device* dev = Dev();
    AUSND_Link_Init(&song->channelring);
    const int blocks = dev->blocklength > 0 ? dev->totalmixlength / dev->blocklength : 0;
    if (blocks > 0 && !AUSND_Output_IsNonRealTime(dev->outputtype))
        song->history = static_cast<AUSND_SONGHISTORY*>(std::calloc(static_cast<size_t>(blocks), sizeof(AUSND_SONGHISTORY)));
    song->maxchannels = AUSND_GetMaxChannels();
    song->speed = 1.0f;
    song->panseparation = 1.0f;
    song->looping = 1;
    song->mastervolume = 256;
    song->nextrow = -1;
    song->nextorder = -1;
    std::lock_guard<std::recursive_mutex> guard(MixLock());
    AUSND_Link_InsertBefore(dev->songring.next, &song->link);
    return song;
}

// Waits for a background load of the song to end, or calls it off while it is still queued.
void SettleBackgroundLoad(AUMUS_SONG* song)
{
    if (song->opening && AUSND_Async_Remove(&song->asyncitem))
        song->opening = 0;
    while (song->opening)
        AUSND_Time_Sleep(1);
    delete static_cast<LoadRequest*>(song->asyncrequest);
    song->asyncrequest = nullptr;
}

void DestroySong(AUMUS_SONG* song)
{
    SettleBackgroundLoad(song);
    {
        std::lock_guard<std::recursive_mutex> guard(MixLock());
        song->playing = 0;
        AUSND_Link_Remove(&song->link);
        FreeSongData(song);
    }
    delete song;
}
} // namespace

int AUMUS_FineTune2Hz(int finetune)
{
    return kFineTuneHz[finetune & 15];
}

AUSND_SAMPLE* AUMUS_DummySample()
{
    if (!g_pDummySample)
    {
        static AUSND_SAMPLE dummy{};
        std::strcpy(dummy.name, "Invalid Sample");
        dummy.index = -2;
        dummy.deffreq = 8363;
        g_pDummySample = &dummy;
    }
    return g_pDummySample;
}

void AUMUS_ReleaseVirtualChannel(AUMUS_CHANNEL* channel, AUMUS_VCHANNEL* vc)
{
    for (AUMUS_VCHANNEL** link = &channel->vchannels; *link; link = &(*link)->next)
    {
        if (*link != vc)
            continue;
        *link = vc->next;
        break;
    }
    vc->next = nullptr;
    ReleaseRealChannel(nullptr, vc);
}

AUMUS_VCHANNEL* AUMUS_DummyVirtualChannel()
{
    g_DummyVChannel = AUMUS_VCHANNEL{};
    return &g_DummyVChannel;
}

bool AUMUS_Reader::Read(void* dest, uint32_t n)
{
    uint8_t* out = static_cast<uint8_t*>(dest);
    const uint32_t have = std::min(n, Left());
    if (have)
        std::memcpy(out, m_pData + m_iPos, have);
    if (have < n)
    {
        std::memset(out + have, 0, n - have);
        m_bShort = true;
    }
    m_iPos += n;
    return have == n;
}

void AUMUS_SetBPM(SongRecord* record, int bpm)
{
    AUMUS_SetBPM(static_cast<AUMUS_SONG*>(record), bpm);
}

void AUMUS_SetBPM(AUMUS_SONG* song, int tempo)
{
    if (!song)
        return;
    tempo = std::max(tempo, 1);
    song->bpm = static_cast<float>(tempo);
    const float ticks = static_cast<float>(tempo) * 2.0f / 5.0f * song->speed;
    if (ticks >= 0.01f)
        song->ticklength = static_cast<int32_t>(static_cast<float>(Dev()->mixrate) / ticks);
}

namespace
{
int ChannelRangeFor(const AUSND_SAMPLE* sample)
{
    // A sample whose data the output holds can only be played on that output's
    // own voices: AUSND_PlaySound refuses it on a mixer channel. No output of
    // this platform has such voices, so those ranges are empty and its note
    // stays silent on the dummy voice rather than failing later at the trigger.
    if (!sample || !(sample->mode & (AUSND_HW3D | AUSND_HW2D)))
        return AUSND_RANGE_SOFTWARE;
    return (sample->mode & AUSND_HW3D) ? AUSND_RANGE_HW3D : AUSND_RANGE_HW2D;
}
} // namespace

AUMUS_VCHANNEL* AUMUS_SpawnNewVirtualChannel(AUMUS_SONG* song, AUMUS_CHANNEL* channel, const AUSND_SAMPLE* sample)
{
    AUSND_CHANNEL* ch = AUSND_Channel_Alloc(AUSND_CHANNEL_FREE, ChannelRangeFor(sample), nullptr, 255, -1, true);
    if (!ch || ch->index < 0 || ch->index >= song->numvtable)
        return nullptr;
    AUMUS_VCHANNEL* vc = &song->vtable[ch->index];
    *vc = AUMUS_VCHANNEL{};
    vc->real = ch;
    vc->index = ch->index;
    vc->handle = ch->index;
    vc->envvolume = 64;
    vc->envpan = 128;
    vc->fadeout = 1024;
    vc->next = channel->vchannels;
    channel->vchannels = vc;
    AUSND_ScopedSection section(Dev()->mixer ? Dev()->mixer->criticalsection : nullptr);
    ch->flags |= AUSND_CHANNEL_RESERVED | AUSND_CHANNEL_MUSIC;
    AUSND_Link_Remove(&ch->link);
    AUSND_Link_AddTail(&song->channelring, &ch->link);
    return vc;
}

void AUMUS_CheckCallback(AUMUS_SONG* song, int kind, int parameter)
{
    const int queue = QueueOf(kind, parameter);
    AUMUS_CALLBACKRECORD* rec = song->records[queue];
    if (!rec || !rec->callback)
        return;
    if ((kind == AUMUS_CALLBACK_ROW || kind == AUMUS_CALLBACK_ORDER) && (rec->step == 0 || parameter % rec->step))
        return;
    const unsigned char value = static_cast<unsigned char>(parameter & 0xFF);
    AUSND_Device* dev = Dev();
    if (AUSND_Output_IsNonRealTime(dev->outputtype))
    {
        rec->callback(song, value);
        return;
    }
    AUSND_SONGCALLBACK& slot = song->callbacks[queue][rec->write];
    if (slot.time >= 0)
    {
        ++rec->dropped; // the ring is full: the oldest pending call stays
        return;
    }
    const float bufferms = dev->mixrate > 0 ? 1000.0f * static_cast<float>(dev->totalmixlength) /
                                                  static_cast<float>(dev->mixrate)
                                            : 0.0f;
    const float due = bufferms + static_cast<float>(song->time) - dev->blocktime;
    slot.time = static_cast<int32_t>(std::max(0.0f, due));
    slot.routine = FireQueued;
    slot.param = reinterpret_cast<void*>(static_cast<uintptr_t>((queue << 8) | value));
    rec->write = (rec->write + 1) % AUSND_SONG_CALLBACKQUEUE_LENGTH;
}

void AUMUS_OutputVirtualChannel(AUMUS_SONG* song, AUMUS_VCHANNEL* vc, AUSND_SAMPLE* sample)
{
    if (!vc->real)
        return;
    const int period = vc->period + vc->perioddelta;
    if (period == 0)
        vc->flags &= static_cast<uint8_t>(~AUMUS_FREQ);
    if (vc->volume + vc->volumedelta < song->minvolume && AUSND_GetChannelsPlaying() > song->maxchannels)
        vc->flags = AUMUS_STOP;
    if ((vc->flags & AUMUS_TRIGGER) && sample && sample->data)
    {
        const int handle = AUSND_PlaySound(vc->index, sample);
        if (handle >= 0)
            vc->handle = handle;
        // Playing moves the channel into the effects mix; it belongs to the song's ring.
        AUSND_CHANNEL* ch = vc->real;
        AUSND_ScopedSection section(Dev()->mixer ? Dev()->mixer->criticalsection : nullptr);
        if (ch->unit)
            --ch->unit->numchannels;
        ch->unit = nullptr;
        AUSND_Link_Remove(&ch->link);
        AUSND_Link_AddTail(&song->channelring, &ch->link);
        ch->flags |= AUSND_CHANNEL_MUSIC | AUSND_CHANNEL_RESERVED;
    }
    else if (vc->flags & AUMUS_TRIGGER)
    {
        vc->flags |= AUMUS_STOP;
    }
    if (vc->flags & AUMUS_VOLUME)
        AUSND_SetVolumeAbsolute(vc->handle, std::max(0, vc->volume + vc->volumedelta) * song->mastervolume >> 7);
    if (vc->flags & AUMUS_PAN)
        AUSND_SetPan(vc->handle,
                     static_cast<int>(static_cast<float>(vc->pan - 128) * song->panseparation + 128.0f));
    if (vc->flags & AUMUS_FREQ)
        AUSND_SetFrequency(vc->handle, period > 0 ? kAmigaClock / period : kAmigaClock);
    if ((vc->flags & AUMUS_STOP) && !(vc->flags & AUMUS_TRIGGER))
    {
        AUSND_StopSound(vc->handle);
        vc->real->startoffset = 0;
        AUSND_ScopedSection section(Dev()->mixer ? Dev()->mixer->criticalsection : nullptr);
        vc->real->flags |= AUSND_CHANNEL_MUSIC | AUSND_CHANNEL_RESERVED;
    }
}

bool AUMUS_StartRow(AUMUS_SONG* song)
{
    if (song->finished && !song->looping)
    {
        StopLocked(song);
        return false;
    }
    if (song->nextorder >= 0)
    {
        song->order = song->nextorder;
        song->nextorder = -1;
        if (song->order >= song->numorders)
        {
            song->finished = 1;
            song->order = song->restartorder < song->numorders ? song->restartorder : 0;
            if (!song->looping)
            {
                StopLocked(song);
                return false;
            }
        }
        AUMUS_CheckCallback(song, AUMUS_CALLBACK_ORDER, song->order);
        if (song->nextorder >= 0)
        {
            song->order = std::min(song->nextorder, song->numorders - 1);
            song->nextorder = -1;
        }
    }
    if (song->order >= song->numorders)
    {
        song->finished = 1;
        song->order = song->restartorder < song->numorders ? song->restartorder : 0;
    }
    if (song->nextrow >= 0)
    {
        song->row = song->nextrow;
        song->nextrow = -1;
        AUMUS_CheckCallback(song, AUMUS_CALLBACK_ROW, song->row);
        if (song->nextrow >= 0)
        {
            song->row = song->nextrow;
            song->nextrow = -1;
        }
    }
    const int pattern = song->orderlist[song->order];
    if (pattern < song->numpatterns && song->row >= song->patterns[pattern].rows)
        song->row = 0;
    return true;
}

void AUMUS_AdvanceRow(AUMUS_SONG* song)
{
    if (song->nextrow >= 0)
        return;
    song->nextrow = song->row + 1;
    const int pattern = song->orderlist[song->order];
    const int rows = pattern < song->numpatterns ? song->patterns[pattern].rows : 64;
    if (song->nextrow < rows)
        return;
    song->nextrow = 0;
    song->nextorder = song->order + 1;
    if (song->nextorder >= song->numorders)
    {
        song->finished = 1;
        song->nextorder = song->restartorder < song->numorders ? song->restartorder : 0;
    }
}

void AUMUS_AdvanceTick(AUMUS_SONG* song)
{
    if (song->rowspeed == 0)
    {
        song->finished = 1;
        song->tickcount = -1;
        return;
    }
    ++song->tickcount;
    if (song->tickcount >= song->rowspeed + song->patterndelay)
    {
        song->patterndelay = 0;
        song->tickcount = 0;
    }
}

bool AUMUS_AllocPatterns(AUMUS_SONG* song, int count)
{
    song->patterns = static_cast<AUMUS_PATTERN*>(std::calloc(static_cast<size_t>(std::max(count, 1)), sizeof(AUMUS_PATTERN)));
    if (!song->patterns)
        return Fail(AUSND_ERR_MEMORY, false);
    song->numpatterns = count;
    return true;
}

bool AUMUS_AllocPattern(AUMUS_SONG* song, int index, int rows)
{
    AUMUS_PATTERN& p = song->patterns[index];
    p.rows = rows;
    p.cells = static_cast<uint8_t*>(
        std::calloc(static_cast<size_t>(rows) * static_cast<size_t>(song->numchannels), AUMUS_CELLSIZE));
    if (!p.cells)
        return Fail(AUSND_ERR_MEMORY, false);
    return true;
}

bool AUMUS_AllocSamples(AUMUS_SONG* song, int count)
{
    song->samples = static_cast<AUSND_SAMPLE**>(std::calloc(static_cast<size_t>(std::max(count, 1)), sizeof(AUSND_SAMPLE*)));
    if (!song->samples)
        return Fail(AUSND_ERR_MEMORY, false);
    song->numsamples = count;
    return true;
}

AUMUS_CHANNEL* AUMUS_AllocChannels(AUMUS_SONG* song, int count)
{
    song->channels = static_cast<AUMUS_CHANNEL*>(std::calloc(static_cast<size_t>(std::max(count, 1)), sizeof(AUMUS_CHANNEL)));
    if (!song->channels)
        return Fail(AUSND_ERR_MEMORY, static_cast<AUMUS_CHANNEL*>(nullptr));
    song->numchannels = count;
    return song->channels;
}

AUSND_SAMPLE* AUMUS_MakeSample(const void* data, uint32_t length, bool sixteen, uint32_t loopstart,
                               uint32_t looplen, bool bidi, int deffreq, int defvol)
{
    const unsigned int format = (sixteen ? AUSND_16BITS : AUSND_8BITS) | AUSND_MONO | AUSND_SIGNED | AUSND_2D;
    if (length == 0)
    {
        AUSND_SAMPLE* empty = AUSND_Sample_AllocHeader(-2, format | AUSND_LOOP_OFF);
        if (!empty)
            return Fail(AUSND_ERR_MEMORY, static_cast<AUSND_SAMPLE*>(nullptr));
        empty->songowned = 1;
        empty->deffreq = deffreq;
        empty->defvol = defvol;
        empty->defpan = -1;
        empty->defpri = 255;
        return empty;
    }
    // A loop that leaves the data is cut to it; one that is too short or empty is off.
    if (loopstart >= length)
        looplen = 0;
    else
        looplen = std::min(looplen, length - loopstart);
    const bool loops = looplen >= 3;
    unsigned int mode = format | (loops ? (bidi ? AUSND_LOOP_BIDI : AUSND_LOOP_NORMAL) : AUSND_LOOP_OFF);
    AUSND_SAMPLE* sample = AUSND_Sample_AllocEx(-2, static_cast<int>(length), mode, deffreq, defvol, -1, 255, 0);
    if (!sample)
        return Fail(AUSND_ERR_MEMORY, static_cast<AUSND_SAMPLE*>(nullptr));
    sample->songowned = 1; // freed with the song even when its loader fails later
    if (!AUSND_Sample_Upload(sample, data, format))
    {
        AUSND_Sample_Free(sample);
        return Fail(AUSND_ERR_MEMORY, static_cast<AUSND_SAMPLE*>(nullptr));
    }
    if (loops)
        AUSND_Sample_SetLoopPoints(sample, static_cast<int>(loopstart), static_cast<int>(loopstart + looplen - 1));
    else
    {
        sample->loopstart = 0;
        sample->looplen = length;
    }
    return sample;
}

void AUMUS_RemapJumps(AUMUS_SONG* song, uint8_t jumpeffect, const uint16_t* playedbefore, int count)
{
    for (int p = 0; p < song->numpatterns; ++p)
    {
        uint8_t* cell = song->patterns[p].cells;
        const int cells = song->patterns[p].rows * song->numchannels;
        for (int i = 0; cell && i < cells; ++i, cell += AUMUS_CELLSIZE)
        {
            if (cell[3] == jumpeffect)
                cell[4] = static_cast<uint8_t>(cell[4] < count ? std::min<int>(playedbefore[cell[4]], 255) : 255);
        }
    }
}

namespace
{
// Runs on the open thread (at once on the caller's thread with the non-real-time outputs).
void LoadInBackground(AUSND_ASYNCITEM* item)
{
    AUMUS_SONG* song = static_cast<AUMUS_SONG*>(item->target);
    LoadRequest& request = *static_cast<LoadRequest*>(song->asyncrequest);
    const char* source = request.memory ? request.memory : request.name.c_str();
    const bool ok = PrepareRequest(request, source, request.offset, request.length, request.mode) &&
                    LoadInto(song, request, request.offset, request.length);
    if (ok)
        song->ready = 1;
    else
        song->failed = 1;
    song->opening = 0;
}

AUMUS_SONG* QueueBackgroundLoad(AUMUS_SONG* song, std::unique_ptr<LoadRequest> request, const char* nameordata,
                                int offset, int length, unsigned int mode)
{
    // The caller's name may not outlive this call; memory data must.
    if (mode & AUSND_LOADMEMORY)
        request->memory = nameordata;
    else
        request->name = std::string(nameordata).substr(0, 255);
    request->offset = offset;
    request->length = length;
    request->mode = mode & ~static_cast<unsigned int>(AUSND_NONBLOCKING);
    song->asyncrequest = request.release();
    song->asyncitem.target = song;
    song->asyncitem.type = 1;
    song->asyncitem.open = LoadInBackground;
    song->opening = 1;
    if (!AUSND_Async_Add(&song->asyncitem))
    {
        // A song that no thread will load would report "loading" for ever.
        song->opening = 0;
        DestroySong(song);
        return Fail(AUSND_ERR_MEMORY, static_cast<AUMUS_SONG*>(nullptr));
    }
    return song;
}
} // namespace

// ---------------------------------------------------------------- public interface

AUMUS_SONG* AUMUS_LoadSong(const char* name)
{
    return AUMUS_LoadSongEx(name, 0, 0, 0, nullptr, 0);
}

AUMUS_SONG* AUMUS_LoadSongEx(const char* nameordata, int offset, int length, unsigned int mode,
                             const int* samplelist, int samplelistnum)
{
    AUSND_ClearErrorOnOwner();
    if (!Initialised())
        return Fail(AUSND_ERR_UNINITIALIZED, static_cast<AUMUS_SONG*>(nullptr));
    if (!nameordata)
        return Fail(AUSND_ERR_INVALID_PARAM, static_cast<AUMUS_SONG*>(nullptr));
    auto request = std::unique_ptr<LoadRequest>(new (std::nothrow) LoadRequest());
    if (!request)
        return Fail(AUSND_ERR_MEMORY, static_cast<AUMUS_SONG*>(nullptr));
    if (samplelist && samplelistnum > 0)
        request->samplelist.assign(samplelist, samplelist + samplelistnum);
    AUMUS_SONG* song = AllocSong();
    if (!song)
        return nullptr;
    song->vtable = static_cast<AUMUS_VCHANNEL*>(
        std::calloc(static_cast<size_t>(std::max(Dev()->totalchannels, 1)), sizeof(AUMUS_VCHANNEL)));
    song->numvtable = Dev()->totalchannels;
    if (!song->vtable)
    {
        DestroySong(song);
        return Fail(AUSND_ERR_MEMORY, static_cast<AUMUS_SONG*>(nullptr));
    }

    if (mode & AUSND_NONBLOCKING)
        return QueueBackgroundLoad(song, std::move(request), nameordata, offset, length, mode);

    if (!PrepareRequest(*request, nameordata, offset, length, mode) || !LoadInto(song, *request, offset, length))
    {
        const int error = AUSND_ErrorNo;
        DestroySong(song);
        return Fail(error, static_cast<AUMUS_SONG*>(nullptr));
    }
    song->ready = 1;
    return song;
}

int AUMUS_GetOpenState(AUMUS_SONG* song)
{
    AUSND_ClearErrorOnOwner();
    if (!song)
        return Fail(AUSND_ERR_INVALID_PARAM, -1);
    if (song->ready)
        return 0;
    return song->failed ? -3 : -2;
}

bool AUMUS_FreeSong(AUMUS_SONG* song)
{
    AUSND_ClearErrorOnOwner();
    if (!song)
        return Fail(AUSND_ERR_INVALID_PARAM, false);
    DestroySong(song);
    return true;
}

bool AUMUS_PlaySong(AUMUS_SONG* song)
{
    AUSND_ClearErrorOnOwner();
    if (!Initialised())
        return Fail(AUSND_ERR_UNINITIALIZED, false);
    if (!Valid(song))
        return false;
    std::lock_guard<std::recursive_mutex> guard(MixLock());
    StopLocked(song);
    song->paused = 0;
    song->row = song->order = 0;
    song->nextrow = song->nextorder = 0;
    song->globalvolume = song->defaultglobalvolume;
    song->tickcount = 0;
    song->samplestonexttick = 0;
    song->rowspeed = song->defaultspeed;
    song->patterndelay = 0;
    song->finished = 0;
    song->time = 0;
    EmptyQueues(song);
    if (song->playhook && !song->playhook(song))
        return false;
    AUMUS_SetBPM(song, song->defaulttempo);
    for (int i = 0; song->channels && i < song->numchannels; ++i)
    {
        song->channels[i] = AUMUS_CHANNEL{};
        song->channels[i].defpan = song->defaultpan[i & 63];
        song->channels[i].defvol = song->defaultvolume[i & 63];
    }
    song->historyblock = Dev()->mixer ? Dev()->mixer->currentblock.load() : 0;
    song->playing = 1;
    return true;
}

bool AUMUS_StopSong(SongRecord* record)
{
    return AUMUS_StopSong(static_cast<AUMUS_SONG*>(record));
}

bool AUMUS_StopSong(AUMUS_SONG* song)
{
    if (!Valid(song))
        return false;
    std::lock_guard<std::recursive_mutex> guard(MixLock());
    StopLocked(song);
    return true;
}

void AUMUS_StopAllSongs()
{
    AUSND_Device* dev = Dev();
    std::lock_guard<std::recursive_mutex> guard(dev->unitlock);
    for (AUSND_LINK* link = dev->songring.next; link && link != &dev->songring; link = link->next)
    {
        AUMUS_SONG* song = static_cast<AUMUS_SONG*>(reinterpret_cast<SongRecord*>(link));
        if (song->ready)
            StopLocked(song);
    }
}

bool AUMUS_SetZxxCallback(AUMUS_SONG* song, AUMUS_CALLBACK callback)
{
    return SetCallback(song, QueueOf(AUMUS_CALLBACK_ZXX, 0), callback, 1);
}

bool AUMUS_SetRowCallback(AUMUS_SONG* song, AUMUS_CALLBACK callback, int rowstep)
{
    return SetCallback(song, QueueOf(AUMUS_CALLBACK_ROW, 0), callback, rowstep);
}

bool AUMUS_SetOrderCallback(AUMUS_SONG* song, AUMUS_CALLBACK callback, int orderstep)
{
    return SetCallback(song, QueueOf(AUMUS_CALLBACK_ORDER, 0), callback, orderstep);
}

bool AUMUS_SetInstCallback(AUMUS_SONG* song, AUMUS_CALLBACK callback, int instrument)
{
    if (instrument < 0 || instrument > 255)
    {
        AUSND_ClearErrorOnOwner();
        return Fail(AUSND_ERR_INVALID_PARAM, false);
    }
    return SetCallback(song, QueueOf(AUMUS_CALLBACK_INSTRUMENT, instrument), callback, 1);
}

bool AUMUS_SetSample(AUMUS_SONG* song, int sampno, AUSND_SAMPLE* sample)
{
    if (!Valid(song) || song->type == AUMUS_TYPE_MIDI || sampno < 0 || sampno > 0xFFFF)
        return Fail(AUSND_ERR_INVALID_PARAM, false);
    std::lock_guard<std::recursive_mutex> guard(MixLock());
    AUSND_SAMPLE* old = sampno < song->numsamples ? song->samples[sampno] : nullptr;
    if (sampno >= song->numsamples)
    {
        auto** grown = static_cast<AUSND_SAMPLE**>(
            std::realloc(song->samples, static_cast<size_t>(sampno + 1) * sizeof(AUSND_SAMPLE*)));
        if (!grown)
            return Fail(AUSND_ERR_MEMORY, false);
        for (int i = song->numsamples; i <= sampno; ++i)
            grown[i] = nullptr;
        song->samples = grown;
        song->numsamples = sampno + 1;
    }
    song->samples[sampno] = sample;
    if (sample && old)
    {
        sample->deffreq = old->deffreq;
        sample->defvol = old->defvol;
        sample->defpan = old->defpan;
        sample->middlec = old->middlec;
    }
    return true;
}

bool AUMUS_OptimizeChannels(AUMUS_SONG* song, int maxchannels, int minvolume)
{
    if (!Valid(song))
        return false;
    song->maxchannels = std::max(maxchannels, 0);
    song->minvolume = std::max(minvolume, 0);
    return true;
}

bool AUMUS_SetOrder(AUMUS_SONG* song, int order)
{
    if (!Valid(song))
        return false;
    std::lock_guard<std::recursive_mutex> guard(MixLock());
    song->nextorder = std::max(0, std::min(order, song->numorders - 1));
    song->nextrow = 0;
    song->tickcount = 0;
    return true;
}

bool AUMUS_SetMasterVolume(AUMUS_SONG* song, int volume)
{
    if (!Valid(song))
        return false;
    song->mastervolume = std::max(0, std::min(volume, 256));
    return true;
}

bool AUMUS_SetMasterSpeed(AUMUS_SONG* song, float speed)
{
    if (!Valid(song))
        return false;
    std::lock_guard<std::recursive_mutex> guard(MixLock());
    song->speed = std::max(0.0f, std::min(speed, 10.0f));
    AUMUS_SetBPM(song, static_cast<int>(song->bpm));
    return true;
}

bool AUMUS_SetPanSeperation(AUMUS_SONG* song, float pansep)
{
    if (!Valid(song))
        return false;
    song->panseparation = std::max(0.0f, std::min(pansep, 1.0f));
    return true;
}

int AUMUS_SetLooping(AUMUS_SONG* song, bool looping)
{
    if (!Valid(song))
        return -1;
    song->looping = looping ? 1 : 0;
    return 1;
}

bool AUMUS_SetPaused(AUMUS_SONG* song, bool pause)
{
    if (!Valid(song))
        return false;
    song->paused = pause ? 1 : 0;
    return true;
}

int AUMUS_SetUserData(AUMUS_SONG* song, unsigned int userdata)
{
    if (!Valid(song))
        return -1;
    song->userdata = userdata;
    return 1;
}

bool AUMUS_SetReverb()
{
    return false;
}

const char* AUMUS_GetName(AUMUS_SONG* song)
{
    return Valid(song) ? song->name : nullptr;
}

int AUMUS_GetType(AUMUS_SONG* song)
{
    return song && song->ready ? song->type : 0;
}

bool AUMUS_IsFinished(AUMUS_SONG* song)
{
    return Valid(song) && song->finished;
}

bool AUMUS_IsPlaying(AUMUS_SONG* song)
{
    return Valid(song) && song->playing;
}

bool AUMUS_GetPaused(AUMUS_SONG* song)
{
    return Valid(song) && song->paused;
}

int AUMUS_GetNumOrders(AUMUS_SONG* song)
{
    return Valid(song) ? song->numorders : 0;
}

int AUMUS_GetNumPatterns(AUMUS_SONG* song)
{
    return song && song->ready ? song->numpatterns : 0;
}

int AUMUS_GetNumInstruments(AUMUS_SONG* song)
{
    return Valid(song) ? song->numinstruments : 0;
}

int AUMUS_GetNumSamples(AUMUS_SONG* song)
{
    return Valid(song) ? song->numsamples : 0;
}

int AUMUS_GetNumChannels(AUMUS_SONG* song)
{
    return Valid(song) ? song->numchannels : 0;
}

AUSND_SAMPLE* AUMUS_GetSample(AUMUS_SONG* song, int sampno)
{
    if (!Valid(song) || sampno < 0 || sampno >= song->numsamples)
        return Fail(AUSND_ERR_INVALID_PARAM, static_cast<AUSND_SAMPLE*>(nullptr));
    return song->samples[sampno];
}

int AUMUS_GetPatternLength(AUMUS_SONG* song, int orderno)
{
    if (!Valid(song) || !song->patterns || song->numpatterns <= 0)
        return Fail(AUSND_ERR_INVALID_PARAM, 0);
    if (orderno < 0 || orderno >= AUMUS_MAXORDERS)
        return Fail(AUSND_ERR_INVALID_PARAM, 0);
    const int pattern = song->orderlist[orderno];
    return pattern < song->numpatterns ? song->patterns[pattern].rows : 0;
}

int AUMUS_GetMasterVolume(AUMUS_SONG* song)
{
    return Valid(song) ? song->mastervolume : -1;
}

int AUMUS_GetGlobalVolume(AUMUS_SONG* song)
{
    return Valid(song) ? song->globalvolume : -1;
}

int AUMUS_GetSpeed(AUMUS_SONG* song)
{
    return Valid(song) ? song->rowspeed : -1;
}

int AUMUS_GetBPM(AUMUS_SONG* song)
{
    return Valid(song) ? static_cast<int>(song->bpm) : -1;
}

int AUMUS_GetPattern(AUMUS_SONG* song)
{
    return Valid(song) ? song->orderlist[song->order & 0xFF] : -1;
}

int AUMUS_GetOrder(AUMUS_SONG* song)
{
    if (!Valid(song))
        return -1;
    return song->history ? song->history[song->historyblock].order : song->order;
}

int AUMUS_GetRow(AUMUS_SONG* song)
{
    if (!Valid(song))
        return -1;
    return song->history ? song->history[song->historyblock].row : song->row;
}

unsigned int AUMUS_GetTime(AUMUS_SONG* song)
{
    if (!Valid(song))
        return static_cast<unsigned int>(-1);
    return song->history ? song->history[song->historyblock].time : song->time;
}

int AUMUS_GetRealChannel(AUMUS_SONG* song, int channel)
{
    if (!Valid(song) || channel < 0 || channel >= song->numchannels)
        return Fail(AUSND_ERR_INVALID_PARAM, -1);
    const AUMUS_VCHANNEL* vc = song->channels[channel].vchannels;
    return vc && vc->real ? vc->index : -1;
}

unsigned int AUMUS_GetUserData(AUMUS_SONG* song)
{
    return Valid(song) ? song->userdata : 0;
}
