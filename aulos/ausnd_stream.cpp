// Streams: the stream list, the stream thread and its update pass, the double
// buffer, opening, playing, stopping and closing, and sync points.
#include "aulos/ausnd_stream.h"
#include "aulos/format_mpeg.h"

#include "aulos/system_string.h"

#include <algorithm>
#include <cstring>
#include <new>

int AUSND_Stream_HalfBufferSize = 400;
std::atomic<bool> AUSND_Stream_UpdateBusy{false};
std::atomic<bool> AUSND_Stream_DSPBusy{false};

namespace
{
struct StreamSystem
{
    AUSND_LINK list{};
    AUSND_CRITICALSECTION updatelock = nullptr;
    AUSND_CRITICALSECTION listlock = nullptr;
    AUSND_THREADHANDLE thread = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<AUSND_THREADID> threadid{0};
    AUSND_DSPUNIT* unit = nullptr;
    std::atomic<bool> started{false};
};

StreamSystem g_Streams;

// The highest frequency a channel plays at.
constexpr int kMaxStreamRate = 705600;

AUSND_Device* Dev()
{
    return AUSND_CurrentDevice;
}

bool Fail(int error)
{
    AUSND_ErrorNo = error;
    return false;
}

AUSND_STREAM* FailNull(int error)
{
    AUSND_ErrorNo = error;
    return nullptr;
}

bool OnStreamThread()
{
    return g_Streams.threadid != 0 && g_Streams.threadid == AUSND_Thread_GetCurrentID();
}

// Takes the update lock unless the caller is the stream thread (which holds it for its pass).
class UpdateGuard
{
public:
    UpdateGuard() : m_bTaken(!OnStreamThread())
    {
        if (m_bTaken)
            AUSND_CriticalSection_Enter(g_Streams.updatelock);
    }
    ~UpdateGuard()
    {
        if (m_bTaken)
            AUSND_CriticalSection_Leave(g_Streams.updatelock);
    }
    UpdateGuard(const UpdateGuard&) = delete;
    UpdateGuard& operator=(const UpdateGuard&) = delete;

private:
    bool m_bTaken;
};

int ChannelsOf(uint32_t mode, int channels)
{
    if (mode & AUSND_STEREO)
        return 2;
    if ((mode & AUSND_MULTICHANNEL) && channels > 1)
        return channels;
    return 1;
}

uint32_t FrameBytes(uint32_t mode, int channels)
{
    return ((mode & AUSND_16BITS) ? 2u : 1u) * static_cast<uint32_t>(ChannelsOf(mode, channels));
}

uint32_t MixBlock()
{
    const int block = Dev()->blocklength;
    return block > 0 ? static_cast<uint32_t>(block) : 256u;
}

void SyncListInit(AUSND_STREAM* s)
{
    s->synchead.next = &s->synctail;
    s->synchead.prev = nullptr;
    s->synchead.offset = 0;
    F_strncpy(s->synchead.name, "head", 255);
    s->synctail.prev = &s->synchead;
    s->synctail.next = nullptr;
    s->synctail.offset = 0xFFFFFFFFu;
    F_strncpy(s->synctail.name, "tail", 255);
    s->nextsync = &s->synchead;
}

void SyncListFree(AUSND_STREAM* s)
{
    AUSND_STREAMSYNC* point = s->synchead.next;
    while (point && point != &s->synctail)
    {
        AUSND_STREAMSYNC* next = point->next;
        AUSND_Memory_Free(point);
        point = next;
    }
    SyncListInit(s);
}

AUSND_STREAMSYNC* SyncInsert(AUSND_STREAM* s, uint32_t offset, uint32_t id, const char* name)
{
    AUSND_STREAMSYNC* point = static_cast<AUSND_STREAMSYNC*>(AUSND_Memory_Calloc(sizeof(AUSND_STREAMSYNC)));
    if (!point)
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return nullptr;
    }
    point->offset = offset;
    point->id = id;
    if (name)
        F_strncpy(point->name, name, 255);
    point->name[255] = 0;
    AUSND_STREAMSYNC* at = s->synchead.next;
    while (at != &s->synctail && at->offset < offset)
        at = at->next;
    point->next = at;
    point->prev = at->prev;
    at->prev->next = point;
    at->prev = point;
    return point;
}

AUSND_STREAM* AllocRecord()
{
    void* memory = AUSND_Memory_Calloc(sizeof(AUSND_STREAM));
    if (!memory)
        return nullptr;
    AUSND_STREAM* s = new (memory) AUSND_STREAM();
    s->channel = -1;
    s->endcountdown = -1;
    s->loopcount = -1;
    s->loopsleft = -1;
    s->flushatplay = 1;
    s->pendingsubstream = -1;
    AUSND_Link_Init(&s->units);
    SyncListInit(s);
    return s;
}

void FreeRecord(AUSND_STREAM* s)
{
    s->~AUSND_STREAM();
    AUSND_Memory_Free(s);
}

AUSND_STREAMRINGENTRY* AllocRing(uint32_t count)
{
    if (count == 0)
        return nullptr;
    return static_cast<AUSND_STREAMRINGENTRY*>(AUSND_Memory_Calloc(count * sizeof(AUSND_STREAMRINGENTRY)));
}

uint32_t SampleMode(uint32_t mode)
{
    return (mode & ~static_cast<uint32_t>(AUSND_LOOP_OFF | AUSND_LOOP_BIDI | AUSND_NONBLOCKING | AUSND_LOADMEMORY |
                                          AUSND_LOADRAW | AUSND_UNSIGNED)) |
           AUSND_LOOP_NORMAL;
}

// The double-buffer sample: two halves of halfbytes each, looping over all its frames.
AUSND_SAMPLE* AllocStreamSample(uint32_t halfbytes, uint32_t mode, int rate, int channels)
{
    const uint32_t frames = 2 * AUSND_Stream_BytesToSamples(halfbytes, mode, channels);
    if (frames == 0)
        return nullptr;
    AUSND_SAMPLE* sample = AUSND_Sample_AllocEx(-2, static_cast<int>(frames), SampleMode(mode), rate > 1 ? rate : 1,
                                                255, (mode & AUSND_STEREO) ? -1 : 128, 255, channels);
    if (!sample)
        return nullptr;
    F_strncpy(sample->name, "Streamer Sample", 255);
    sample->defpri = 256;
    sample->loopstart = 0;
    sample->looplen = frames;
    return sample;
}

// Allocates the double-buffer sample and links a new stream.
AUSND_STREAM* CreateEx(AUSND_STREAM* s, AUSND_STREAMCALLBACK fill, uint32_t halfbytes, uint32_t mode, int rate,
                       void* userdata, int channels)
{
    const bool owned = s == nullptr;
    if (!s)
        s = AllocRecord();
    if (!s)
        return FailNull(AUSND_ERR_MEMORY);
    mode |= AUSND_FXREADY;
    s->sample = AllocStreamSample(halfbytes, mode, rate, channels);
    if (!s->sample)
    {
        const bool empty = AUSND_Stream_BytesToSamples(halfbytes, mode, channels) == 0;
        if (owned)
            FreeRecord(s);
        else
            s->openfailed = true;
        return FailNull(empty ? AUSND_ERR_INVALID_PARAM : AUSND_ERR_MEMORY);
    }
    const uint32_t frames = s->sample->length;
    s->mode = mode;
    s->fill = fill;
    s->filluserdata = userdata;
    s->pcmframebytes = FrameBytes(mode, channels);
    s->blocksize = MixBlock();
    s->pcmringcount = frames / s->blocksize;
    s->pcmring = AllocRing(s->pcmringcount);
    if (!AUSND_Output_IsNonRealTime(Dev()->outputtype) && Dev()->totalmixlength > 0)
    {
        s->timeringcount = static_cast<uint32_t>(Dev()->totalmixlength) / s->blocksize;
        s->timering = AllocRing(s->timeringcount);
    }
    if ((s->pcmringcount && !s->pcmring) || (s->timeringcount && !s->timering))
    {
        AUSND_Memory_Free(s->pcmring);
        AUSND_Memory_Free(s->timering);
        AUSND_Sample_Free(s->sample);
        if (owned)
            FreeRecord(s);
        return FailNull(AUSND_ERR_MEMORY);
    }
    UpdateGuard update;
    AUSND_ScopedSection list(g_Streams.listlock);
    AUSND_Link_AddTail(&g_Streams.list, &s->link);
    return s;
}

void FreeUnits(AUSND_STREAM* s)
{
    if (!s->units.next)
        return;
    while (!AUSND_Link_IsEmpty(&s->units))
    {
        AUSND_LINK* link = s->units.next;
        AUSND_Link_Remove(link);
        AUSND_Memory_Free(AUSND_UnitOfLink(link));
    }
}

void FreeResources(AUSND_STREAM* s)
{
    s->net = nullptr;
    if (s->format.close && s->format.codec)
        s->format.close(s->format.codec);
    s->format.codec = nullptr;
    if (s->file)
        AUSND_File_Close(s->file);
    s->file = nullptr;
    SyncListFree(s);
    if (s->sample)
        AUSND_Sample_Free(s->sample);
    s->sample = nullptr;
    AUSND_Memory_Free(s->raw);
    AUSND_Memory_Free(s->decode);
    AUSND_Memory_Free(s->pcmring);
    AUSND_Memory_Free(s->timering);
    s->raw = s->decode = nullptr;
    s->pcmring = s->timering = nullptr;
    if (s->tags.first)
        AUSND_Tag_FreeList(&s->tags);
    AUSND_Memory_Free(s->sentence);
    s->sentence = nullptr;
    s->sentencecount = 0;
    FreeUnits(s);
}

bool StartsWithNoCase(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix)
    {
        char c = *text;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != *prefix)
            return false;
    }
    return true;
}

bool IsNetworkName(const char* name)
{
    return StartsWithNoCase(name, "http://") || StartsWithNoCase(name, "http:\\");
}

AUSND_FILE* OpenFile(const char* name, uint32_t mode, int length)
{
    if (mode & AUSND_LOADMEMORY)
        return AUSND_File_Open(name, AUSND_FILE_MEMORY, length);
    if (AUSND_File_UsingFileCallbacks())
        return AUSND_File_Open(name, AUSND_FILE_USER, 0);
    if (StartsWithNoCase(name, "file://"))
        name += 7;
    return AUSND_File_Open(name, AUSND_FILE_BUFFERED, 0);
}

uint32_t DoubledUpTo(uint32_t value, uint32_t minimum)
{
    if (value == 0)
        value = 1;
    while (value < minimum)
        value *= 2;
    return value;
}

// Moves the file's sync list into the stream's ring.
void TakeSyncPoints(AUSND_STREAM* s, AUSND_SYNCLIST* list)
{
    for (int i = 0; i < list->count; ++i)
        SyncInsert(s, list->points[i].offset, list->points[i].id, list->points[i].name);
    AUSND_Sync_Close(list);
}

bool ProbeWav(AUSND_FILE* file, AUSND_STREAMFORMAT* f, AUSND_SYNCLIST* sync)
{
    AUSND_WAVSTATE* state = nullptr;
    int blockalign = 0;
    uint32_t pcmbytes = 0;
    if (!AUSND_WAV_Open(file, &f->mode, &f->rate, &f->datalength, &pcmbytes, &state, &blockalign, &f->dataoffset,
                        &f->loop, sync))
        return false;
    f->pcmbytes = pcmbytes;
    f->codec = state;
    f->bytesperframe = static_cast<uint32_t>(blockalign);
    f->read = AUSND_Stream_ReadWav;
    f->close = [](void* codec) { return AUSND_WAV_Close(static_cast<AUSND_WAVSTATE*>(codec)); };
    if (state->format)
    {
        f->rawsize = DoubledUpTo(state->blockalign, 2048);
        f->decodesize = static_cast<uint32_t>(
            (static_cast<uint64_t>(f->rawsize) * f->pcmbytes / (f->datalength ? f->datalength : 1) + 1) * 3 / 2);
        f->mode = (f->mode & ~static_cast<uint32_t>(AUSND_8BITS | AUSND_IMAADPCM)) | AUSND_16BITS;
    }
    return true;
}

bool ProbeAiff(AUSND_FILE* file, AUSND_STREAMFORMAT* f, AUSND_SYNCLIST* sync)
{
    int bytesperframe = 0;
    if (!AUSND_AIFF_Open(file, &f->mode, &f->rate, &f->datalength, &bytesperframe, &f->dataoffset, &f->loop, sync))
        return false;
    f->pcmbytes = f->datalength;
    f->bytesperframe = static_cast<uint32_t>(bytesperframe);
    f->read = AUSND_Stream_ReadAIFF;
    return true;
}

bool ProbeFormats(AUSND_FILE* file, AUSND_STREAMFORMAT* f, AUSND_SYNCLIST* sync, AUSND_TAGLIST* tags)
{
    const uint32_t mode = f->mode;
    AUSND_ErrorNo = AUSND_ERR_FILE_FORMAT;
    bool bank = false;
    if (AUSND_Stream_ProbeASB(file, f, &bank))
        return true;
    if (bank || AUSND_ErrorNo != AUSND_ERR_FILE_FORMAT)
        return false;
    f->mode = mode;
    if (ProbeWav(file, f, sync))
        return true;
    if (AUSND_ErrorNo != AUSND_ERR_FILE_FORMAT)
        return false;
    f->mode = mode;
    if (ProbeAiff(file, f, sync))
        return true;
    if (AUSND_ErrorNo != AUSND_ERR_FILE_FORMAT)
        return false;
    f->mode = mode;
    AUSND_File_Seek(file, 0, 0);
    if (AUSND_OggVorbis_Open(file, f, tags))
        return true;
    if (AUSND_ErrorNo != AUSND_ERR_FILE_FORMAT)
        return false;
    // MPEG last: its frame search would find sync words inside other formats.
    f->mode = mode;
    AUSND_File_Seek(file, 0, 0);
    return AUSND_Mpeg_OpenStream(file, f, sync);
}

void NameFromTags(AUSND_STREAM* s, const char* fallback)
{
    auto field = [&](const char* comment, const char* id3v2, char* out) {
        void* value = nullptr;
        int length = 0;
        bool skipbyte = false;
        if (!AUSND_Tag_Find(s->tags.first, comment, AUSND_TAGFIELD_VORBISCOMMENT, &value, &length))
        {
            skipbyte = AUSND_Tag_Find(s->tags.first, id3v2, AUSND_TAGFIELD_ID3V2, &value, &length);
            if (!skipbyte && !AUSND_Tag_Find(s->tags.first, comment, -1, &value, &length))
                value = nullptr;
        }
        out[0] = 0;
        if (!value || length <= 0)
            return;
        const char* text = static_cast<const char*>(value);
        if (skipbyte && length > 0)
        {
            ++text;
            --length;
        }
        int n = length < 255 ? length : 255;
        std::memcpy(out, text, static_cast<size_t>(n));
        while (n > 0 && (out[n - 1] == ' ' || out[n - 1] == 0))
            --n;
        out[n] = 0;
    };
    char artist[256];
    char title[256];
    field("ARTIST", "TPE1", artist);
    field("TITLE", "TIT2", title);
    char* name = s->sample->name;
    if (!artist[0] && !title[0])
    {
        F_strncpy(name, fallback, 255);
        name[255] = 0;
        return;
    }
    F_strncpy(name, artist, 255);
    name[255] = 0;
    size_t used = std::strlen(name);
    if (artist[0] && title[0] && used + 3 < 255)
    {
        std::memcpy(name + used, " - ", 4);
        used += 3;
    }
    if (title[0] && used < 255)
    {
        const size_t room = 255 - used;
        const size_t n = std::min(std::strlen(title), room);
        std::memcpy(name + used, title, n);
        name[used + n] = 0;
    }
}

void CloseFormat(AUSND_STREAMFORMAT* f)
{
    if (f->close && f->codec)
        f->close(f->codec);
    f->codec = nullptr;
}

// Opens into an empty record; false leaves it to the caller to free.
bool OpenInternal(AUSND_STREAM* s, const char* name, uint32_t mode, int offset, int length)
{
    if (mode & AUSND_2D)
        mode &= ~static_cast<uint32_t>(AUSND_HW3D);
    if (mode & AUSND_16BITS)
        mode &= ~static_cast<uint32_t>(AUSND_8BITS);
    if (mode & AUSND_STEREO)
        mode &= ~static_cast<uint32_t>(AUSND_MONO | AUSND_MULTICHANNEL);
    if (!name)
        return Fail(AUSND_ERR_INVALID_PARAM);
    if (!(mode & AUSND_LOADMEMORY) && IsNetworkName(name))
        return AUSND_Stream_OpenNetwork(s, name, mode);

    AUSND_FILE* file = OpenFile(name, mode, length);
    if (!file)
        return Fail(AUSND_ERR_FILE_NOTFOUND);
    if (offset > 0)
        AUSND_File_SetStartOffset(file, offset);
    if (length > 0)
        AUSND_File_SetEndOffset(file, (offset > 0 ? offset : 0) + length - 1);
    AUSND_TAGLIST tags{nullptr, nullptr};
    if (!(mode & AUSND_SKIPTAGS))
    {
        const int start = AUSND_File_Tell(file);
        if (AUSND_Tag_Read(file, &tags))
            AUSND_File_SetStartOffset(file, (offset > 0 ? offset : 0) + AUSND_File_Tell(file));
        else
            AUSND_File_Seek(file, start, 0);
        AUSND_File_Seek(file, 0, 0);
    }

    AUSND_STREAMFORMAT f;
    f.mode = mode;
    AUSND_SYNCLIST sync{nullptr, 0, 0};
    const bool raw = (mode & AUSND_LOADRAW) != 0;
    if (raw)
    {
        AUSND_File_Seek(file, 0, 2);
        f.datalength = static_cast<uint32_t>(AUSND_File_Tell(file));
        AUSND_File_Seek(file, 0, 0);
        f.pcmbytes = f.datalength;
        f.rate = 44100;
        f.bytesperframe = FrameBytes(mode, 1);
        f.read = AUSND_Stream_ReadWav;
    }
    auto refuse = [&](int error) {
        CloseFormat(&f);
        AUSND_Sync_Close(&sync);
        AUSND_File_Close(file);
        if (tags.first)
            AUSND_Tag_FreeList(&tags);
        return Fail(error);
    };
    if (!raw && !ProbeFormats(file, &f, &sync, &tags))
        return refuse(AUSND_ErrorNo ? AUSND_ErrorNo : AUSND_ERR_FILE_FORMAT);

    const bool stereo = (f.mode & AUSND_STEREO) != 0;
    if (!stereo)
        f.mode &= ~static_cast<uint32_t>(AUSND_FORCEMONO);
    if (f.mode & AUSND_FORCEMONO)
    {
        if (f.mode & (AUSND_ADPCM28 | AUSND_ADPCM14))
            return refuse(AUSND_ERR_INVALID_PARAM);
        f.mode = (f.mode & ~static_cast<uint32_t>(AUSND_STEREO)) | AUSND_MONO;
        if (f.rawsize == 0 && f.decodesize == 0)
            f.decodesize = 40960;
    }
    // The double buffer is sized from the rate: a rate no channel can play is refused
    // rather than allocated for.
    if (f.rate <= 0 || f.rate > kMaxStreamRate || f.pcmbytes == 0)
        return refuse(AUSND_ERR_FILE_BAD);

    const uint32_t halfbytes = AUSND_Stream_HalfBytes(f.mode, f.rate, 1);
    if (!CreateEx(s, AUSND_Stream_Read, halfbytes, f.mode, f.rate, nullptr, 1))
        return refuse(AUSND_ErrorNo);

    s->tags = tags;
    NameFromTags(s, (mode & AUSND_LOADMEMORY) ? "" : name);
    s->file = file;
    s->format = f;
    s->datalength = f.datalength;
    s->dataoffset = f.dataoffset == AUSND_DATAOFFSET_UNSET ? 0 : f.dataoffset;
    s->loopstart = f.loop.start;
    s->loopend = f.loop.end;
    TakeSyncPoints(s, &sync);
    s->sample->codec = f.codec;
    if (f.rawsize)
        s->raw = static_cast<uint8_t*>(AUSND_Memory_Calloc(f.rawsize));
    if (f.decodesize)
        s->decode = static_cast<uint8_t*>(AUSND_Memory_Calloc(f.decodesize));
    if ((f.rawsize && !s->raw) || (f.decodesize && !s->decode))
        return Fail(AUSND_ERR_MEMORY);

    // Decoded frames: 16-bit or compressed data counts 2 bytes a value.
    uint64_t frames = f.pcmbytes;
    if (f.mode & (AUSND_16BITS | AUSND_IMAADPCM))
        frames /= 2;
    if ((f.mode & AUSND_STEREO) || (mode & AUSND_FORCEMONO && stereo))
        frames /= 2;
    s->lengthpcm = frames;
    // A file's loop pair counts only when it lies inside the data, start before end.
    if (s->loopend > 0 && (s->loopstart >= s->loopend || s->loopend > frames))
        s->loopstart = s->loopend = 0;
    s->lengthms = f.lengthms >= 0 ? f.lengthms
                                  : static_cast<int64_t>((frames * 1000 + 999) / static_cast<uint64_t>(f.rate));
    // A bank's sounds carry their own loop bits; the caller's win where given.
    const bool bank = AUSND_Stream_IsBank(s);
    s->callerloopbits = mode & AUSND_LOOPBITS;
    s->mode = (s->mode & ~static_cast<uint32_t>(AUSND_LOOP_NORMAL | AUSND_LOOP_BIDI | AUSND_LOOP_OFF)) |
              ((bank ? f.mode : mode) & AUSND_LOOPBITS);
    if (!(s->mode & AUSND_LOOPBITS))
        s->mode |= AUSND_LOOP_OFF;
    if (mode & AUSND_FORCEMONO && stereo)
        s->mode |= AUSND_FORCEMONO;

    s->ready = true;
    const int32_t pending = s->pendingsubstream.exchange(-1);
    bool ok = false;
    if (bank && pending >= 0)
        ok = AUSND_Stream_SetSubStreamEx(s, pending, true, false);
    if (!ok)
        ok = AUSND_Stream_SetPositionEx(s, 0, 0, true);
    s->rewindatplay = 0;
    s->flushatplay = 0;
    return ok || Fail(AUSND_ERR_FILE_BAD);
}

// Unlinks a stream from the list (both locks held).
void Unlink(AUSND_STREAM* s)
{
    UpdateGuard update;
    AUSND_ScopedSection list(g_Streams.listlock);
    AUSND_Link_Remove(&s->link);
}

uint64_t ChannelCursor(const AUSND_STREAM* s)
{
    if (s->channel < 0)
        return s->savedcursor;
    return AUSND_GetCurrentPosition(s->channel);
}

void UpdateOne(AUSND_STREAM* s, int elapsedms, float& total)
{
    if (!s->fill || s->repositioning || s->channel < 0 || !s->sample)
        return;
    const uint32_t halfframes = s->sample->length / 2;
    if (halfframes == 0)
        return;
    const int32_t playinghalf = static_cast<int32_t>(AUSND_GetCurrentPosition(s->channel) / halfframes);
    if (AUSND_GetFrequency(s->channel) >= 1 && playinghalf != s->fillhalf)
    {
        AUSND_TIMESTAMP stamp{};
        AUSND_Time_StampIn(&stamp);
        AUSND_Stream_Flip(s);
        s->cpuusage = AUSND_Time_StampOut(&stamp, 0);
    }
    total += s->cpuusage;
    if (s->endcountdown >= 0 && !AUSND_GetPaused(s->channel))
    {
        s->endcountdown -= static_cast<int64_t>(elapsedms) * 256;
        if (s->endcountdown < 1)
        {
            s->endcountdown = 0;
            // A live stream learns its length only now, from where it stopped.
            if (s->mode & AUSND_NETWORK)
            {
                const int ms = AUSND_Stream_GetTime(s);
                const unsigned int bytes = AUSND_Stream_GetPosition(s);
                s->lengthms = ms;
                s->datalength = bytes;
            }
            s->ended = true;
        }
    }
    if (s->ended)
    {
        AUSND_Stream_UpdateBusy = false;
        AUSND_Stream_StopEx(s, true);
        AUSND_Stream_UpdateBusy = true;
    }
}

void SyncPass();

int UpdateThread(void* /*param*/)
{
    g_Streams.threadid = AUSND_Thread_GetCurrentID();
    uint64_t last = AUSND_Time_GetFine();
    uint64_t remainder = 0;
    while (!g_Streams.stop)
    {
        const uint64_t now = AUSND_Time_GetFine();
        const uint64_t passed = now - last + remainder;
        last = now;
        remainder = passed % 1000;
        {
            AUSND_ScopedSection update(g_Streams.updatelock);
            AUSND_Stream_UpdateBusy = true;
            AUSND_Stream_Update(static_cast<int>(passed / 1000));
            AUSND_Stream_UpdateBusy = false;
        }
        if (g_Streams.stop)
            break;
        AUSND_Time_Sleep(10);
    }
    Dev()->streamcpuusage = 0.0f;
    return 0;
}

void* StreamDSP(void* /*block*/, void* current, int /*length*/, void* /*param*/)
{
    SyncPass();
    return current;
}

// Fires the points from the next-point pointer up to the position (or, with
// before, up to but not at it).
void FireUpTo(AUSND_STREAM* s, uint64_t position, bool before)
{
    if (s->synchead.next == &s->synctail)
        return;
    if (s->nextsync == &s->synchead)
        s->nextsync = s->synchead.next;
    while (s->nextsync != &s->synctail &&
           (before ? s->nextsync->offset < position : s->nextsync->offset <= position))
    {
        AUSND_STREAMSYNC* passed = s->nextsync;
        s->nextsync = passed->next;
        if (s->synccallback)
            s->synccallback(s, passed->name, passed->offset, s->syncuserdata);
    }
}

void SyncOne(AUSND_STREAM* s)
{
    if (!s->playing || s->channel < 0)
    {
        s->cpuusage = 0.0f;
        return;
    }
    if (AUSND_GetPaused(s->channel))
    {
        s->cpuusage = 0.0f;
        return;
    }
    uint32_t counter = 0;
    const uint64_t position = AUSND_Stream_GetTimeEx(s, true, &counter);
    if (counter != s->lastloopcounter)
    {
        // The pass that just ended may have reached its last points inside the
        // same mix block as the loop: they still fire, before the new pass.
        if (counter == s->lastloopcounter + 1)
            FireUpTo(s, s->loopend > 0 ? s->loopend : s->lengthpcm, true);
        s->nextsync = &s->synchead;
        s->lastloopcounter = counter;
    }
    FireUpTo(s, position, false);
    if (s->timering && s->timeringcount)
    {
        uint32_t c = 0;
        const uint64_t now = AUSND_Stream_GetTimeEx(s, false, &c);
        s->timering[s->timeringwrite] = AUSND_STREAMRINGENTRY{now, c};
        s->timeringwrite = (s->timeringwrite + 1) % s->timeringcount;
    }
}

void SyncPass()
{
    AUSND_Time_Sleep(0);
    AUSND_ScopedSection list(g_Streams.listlock);
    AUSND_Stream_DSPBusy = true;
    for (AUSND_LINK* link = g_Streams.list.next; link && link != &g_Streams.list; link = link->next)
        SyncOne(AUSND_StreamOfLink(link));
    AUSND_Stream_DSPBusy = false;
}

bool Initialised()
{
    return Dev()->initialised && g_Streams.started;
}

bool ValidSync(AUSND_STREAMSYNC* point)
{
    return point && point->prev && point->next;
}
} // namespace

AUSND_STREAM* AUSND_Stream_CreateEx(AUSND_STREAM* s, AUSND_STREAMCALLBACK fill, uint32_t halfbytes, uint32_t mode,
                                    int rate, void* userdata, int channels)
{
    return CreateEx(s, fill, halfbytes, mode, rate, userdata, channels);
}

uint32_t AUSND_Stream_FrameBytes(uint32_t mode, int channels)
{
    return FrameBytes(mode, channels);
}

bool AUSND_Stream_RecreateSample(AUSND_STREAM* s, uint32_t mode)
{
    mode |= AUSND_FXREADY;
    const int rate = s->sample->deffreq;
    AUSND_SAMPLE* sample = AllocStreamSample(AUSND_Stream_HalfBytes(mode, rate, 1), mode, rate, 1);
    if (!sample)
        return Fail(AUSND_ERR_MEMORY);
    const uint32_t ringcount = sample->length / s->blocksize;
    AUSND_STREAMRINGENTRY* ring = AllocRing(ringcount);
    if (ringcount && !ring)
    {
        AUSND_Sample_Free(sample);
        return Fail(AUSND_ERR_MEMORY);
    }
    sample->mode |= s->sample->mode & AUSND_2D;
    sample->codec = s->sample->codec;
    std::memcpy(sample->name, s->sample->name, sizeof(sample->name));
    AUSND_SAMPLE* old = s->sample;
    AUSND_STREAMRINGENTRY* oldring = s->pcmring;
    {
        UpdateGuard update;
        AUSND_ScopedSection list(g_Streams.listlock);
        s->sample = sample;
        s->pcmring = ring;
        s->pcmringcount = ringcount;
        s->pcmringwrite = 0;
        s->blockleft = 0;
        s->pcmframebytes = FrameBytes(mode, 1);
        s->mode = mode;
    }
    AUSND_Sample_Free(old);
    AUSND_Memory_Free(oldring);
    return true;
}

AUSND_CRITICALSECTION AUSND_Stream_UpdateLock()
{
    return g_Streams.updatelock;
}

AUSND_CRITICALSECTION AUSND_Stream_ListLock()
{
    return g_Streams.listlock;
}

unsigned int AUSND_Stream_BytesToSamples(unsigned int bytes, unsigned int mode, int channels)
{
    uint64_t n = bytes;
    if (mode & AUSND_ADPCM28)
        n = n * 28 / 16;
    else if (mode & AUSND_IMAADPCM)
        n = n * 64 / 36;
    else if (mode & AUSND_ADPCM14)
        n = n * 14 / 8;
    else if (mode & AUSND_16BITS)
        n /= 2;
    if (mode & AUSND_STEREO)
        n /= 2;
    else if ((mode & AUSND_MULTICHANNEL) && channels > 0)
        n /= static_cast<uint64_t>(channels);
    return static_cast<unsigned int>(n);
}

unsigned int AUSND_Stream_SamplesToBytes(unsigned int samples, unsigned int mode, int channels)
{
    uint64_t n = samples;
    if (mode & AUSND_ADPCM28)
        n = n * 16 / 28;
    else if (mode & AUSND_IMAADPCM)
        n = n * 36 / 64;
    else if (mode & AUSND_ADPCM14)
        n = n * 8 / 14;
    else if (mode & AUSND_16BITS)
        n *= 2;
    if (mode & AUSND_STEREO)
        n *= 2;
    else if ((mode & AUSND_MULTICHANNEL) && channels > 0)
        n *= static_cast<uint64_t>(channels);
    return static_cast<unsigned int>(n);
}

uint32_t AUSND_Stream_HalfBytes(uint32_t mode, int rate, int channels)
{
    const uint32_t block = MixBlock();
    uint64_t frames = static_cast<uint64_t>(rate) * static_cast<uint64_t>(AUSND_Stream_HalfBufferSize) / 1000;
    if (frames < block)
        frames = block;
    frames = frames / block * block;
    return static_cast<uint32_t>(frames * FrameBytes(mode, channels));
}

bool AUSND_Stream_Init()
{
    AUSND_Link_Init(&g_Streams.list);
    g_Streams.stop = false;
    g_Streams.threadid = 0;
    g_Streams.updatelock = AUSND_CriticalSection_Create();
    g_Streams.listlock = AUSND_CriticalSection_Create();
    if (!g_Streams.updatelock || !g_Streams.listlock)
        return false;
    AUSND_Device* dev = Dev();
    if (dev->mixer && dev->primarysample)
    {
        g_Streams.unit = AUSND_DSP_CreateUnit(StreamDSP, AUSND_DSP_PRIORITY_CLIPANDCOPY - 1, nullptr);
        if (!g_Streams.unit)
            return false;
        AUSND_DSP_SetActive(g_Streams.unit, true);
    }
    g_Streams.started = true;
    if (!(dev->initflags & AUSND_INIT_MANUALUPDATE))
    {
        g_Streams.thread = AUSND_Thread_Create(UpdateThread, nullptr, 2, 10240);
        if (!g_Streams.thread)
        {
            g_Streams.started = false;
            return false;
        }
    }
    return true;
}

void AUSND_Stream_ShutDown()
{
    if (!g_Streams.started)
        return;
    // The thread looks at the request between passes: stop it and wait for it, never kill it.
    g_Streams.stop = true;
    AUSND_Thread_Destroy(g_Streams.thread);
    g_Streams.thread = nullptr;
    g_Streams.threadid = 0;
    if (g_Streams.unit)
        AUSND_DSP_Release(g_Streams.unit);
    g_Streams.unit = nullptr;
    for (AUSND_LINK* link = g_Streams.list.next; link && link != &g_Streams.list; link = link->next)
        AUSND_Stream_StopEx(AUSND_StreamOfLink(link), false);
    g_Streams.started = false;
    AUSND_CriticalSection_Free(g_Streams.updatelock);
    AUSND_CriticalSection_Free(g_Streams.listlock);
    g_Streams.updatelock = nullptr;
    g_Streams.listlock = nullptr;
}

void AUSND_Stream_Update(int elapsedms)
{
    if (!g_Streams.started)
        return;
    float total = 0.0f;
    AUSND_LINK* link = g_Streams.list.next;
    while (link && link != &g_Streams.list)
    {
        AUSND_LINK* next = link->next;
        UpdateOne(AUSND_StreamOfLink(link), elapsedms, total);
        link = next;
    }
    if (!g_Streams.unit)
        SyncPass();
    Dev()->streamcpuusage = total;
}


namespace
{
// The stream's own units see the freshly filled half, each given the previous one's result.
void RunUnits(AUSND_STREAM* s, void* data, uint32_t bytes)
{
    if (!s->units.next || AUSND_Link_IsEmpty(&s->units) || s->pcmframebytes == 0)
        return;
    const int frames = static_cast<int>(bytes / s->pcmframebytes);
    void* current = data;
    // Switching a unit on or off takes the device's unit lock.
    std::lock_guard<std::recursive_mutex> guard(Dev()->unitlock);
    for (AUSND_LINK* link = s->units.next; link != &s->units; link = link->next)
    {
        AUSND_DSPUNIT* unit = AUSND_UnitOfLink(link);
        if (!unit->active || !unit->callback)
            continue;
        void* result = unit->callback(data, current, frames, unit->param);
        if (result)
            current = result;
    }
    // A unit that answers with a buffer of its own hands the half its result.
    if (current != data)
        std::memmove(data, current, bytes);
}
} // namespace

bool AUSND_Stream_Flip(AUSND_STREAM* s)
{
    AUSND_SAMPLE* sample = s->sample;
    const uint32_t halfbytes = AUSND_Sample_ByteSize(sample) / 2;
    void* ptr1 = nullptr;
    void* ptr2 = nullptr;
    unsigned int len1 = 0;
    unsigned int len2 = 0;
    if (!AUSND_Sample_Lock(sample, static_cast<int>(halfbytes * static_cast<uint32_t>(s->fillhalf)),
                           static_cast<int>(halfbytes), &ptr1, &ptr2, &len1, &len2))
        return false;
    if (s->endcountdown >= 0)
    {
        std::memset(ptr1, 0, len1);
        AUSND_Stream_UpdatePCMOffset(s, len1 / s->pcmframebytes);
    }
    else
    {
        const bool own = s->fill == AUSND_Stream_Read;
        if (!own)
            AUSND_Stream_UpdatePCMOffset(s, len1 / s->pcmframebytes);
        if (!s->fill(s, ptr1, static_cast<int>(len1), s->filluserdata))
        {
            if (!own)
                s->ended = true;
        }
    }
    RunUnits(s, ptr1, len1);
    AUSND_Sample_Unlock(sample, ptr1, ptr2, len1, len2);
    s->fillhalf = 1 - s->fillhalf;
    return true;
}

void AUSND_Stream_UpdatePCMOffset(AUSND_STREAM* s, uint64_t frames)
{
    if ((s->mode & AUSND_ADPCM28) || !s->pcmring || s->pcmringcount == 0)
    {
        s->pcmposition += frames;
        return;
    }
    while (frames > 0)
    {
        if (s->blockleft == 0)
        {
            // The sync-point pass reads the ring from the mixer.
            AUSND_ScopedSection list(g_Streams.listlock);
            s->pcmring[s->pcmringwrite] = AUSND_STREAMRINGENTRY{s->pcmposition, s->loopcounter};
            s->pcmringwrite = (s->pcmringwrite + 1) % s->pcmringcount;
            s->blockleft = s->blocksize;
        }
        const uint64_t take = frames < s->blockleft ? frames : s->blockleft;
        s->blockleft -= static_cast<uint32_t>(take);
        s->pcmposition += take;
        frames -= take;
    }
}

uint64_t AUSND_Stream_GetTimeEx(AUSND_STREAM* s, bool audible, uint32_t* loopcounter)
{
    if (loopcounter)
        *loopcounter = 0;
    if (s->ended)
        return static_cast<uint64_t>(s->sample->deffreq) * static_cast<uint64_t>(s->lengthms) / 1000;
    if (audible && s->timering && s->timeringcount)
    {
        const AUSND_STREAMRINGENTRY e = s->timering[(s->timeringwrite + 1) % s->timeringcount];
        if (loopcounter)
            *loopcounter = e.loopcounter;
        return e.pcm;
    }
    if (!s->pcmring || s->pcmringcount == 0)
        return s->pcmposition;
    const uint64_t cursor = s->playing ? ChannelCursor(s) : s->savedcursor;
    const uint64_t block = (cursor / s->blocksize) % s->pcmringcount;
    const AUSND_STREAMRINGENTRY e = s->pcmring[block];
    if (loopcounter)
        *loopcounter = e.loopcounter;
    return e.pcm + (cursor - (cursor / s->blocksize) * s->blocksize);
}

namespace
{
// Runs on the open thread (or at once with the non-real-time outputs).
void OpenPending(AUSND_ASYNCITEM* item)
{
    AUSND_STREAM* s = static_cast<AUSND_STREAM*>(item->target);
    const char* name = s->asyncmemory ? s->asyncmemory : s->asyncname;
    if (!OpenInternal(s, name, s->asyncmode, s->asyncoffset, s->asynclength))
    {
        if (s->link.next)
            Unlink(s);
        FreeResources(s);
        s->openfailed = true;
    }
    s->opening = false;
}

AUSND_STREAM* OpenNonBlocking(const char* nameordata, uint32_t mode, int offset, int length)
{
    if (!nameordata)
        return FailNull(AUSND_ERR_INVALID_PARAM);
    AUSND_STREAM* s = AllocRecord();
    if (!s)
        return FailNull(AUSND_ERR_MEMORY);
    if (mode & AUSND_LOADMEMORY)
        s->asyncmemory = nameordata;
    else
        F_strncpy(s->asyncname, nameordata, 255);
    s->asyncname[255] = 0;
    s->asyncmode = mode & ~static_cast<uint32_t>(AUSND_NONBLOCKING);
    s->asyncoffset = offset;
    s->asynclength = length;
    s->asyncitem.target = s;
    s->asyncitem.type = 0;
    s->asyncitem.open = OpenPending;
    s->opening = true;
    s->nonblocking = 1;
    if (!AUSND_Async_Add(&s->asyncitem))
    {
        FreeRecord(s);
        return FailNull(AUSND_ERR_MEMORY);
    }
    return s;
}
} // namespace

AUSND_STREAM* AUSND_Stream_Open(const char* nameordata, unsigned int mode, int offset, int length)
{
    AUSND_ClearErrorOnOwner();
    if (!Initialised())
        return FailNull(AUSND_ERR_UNINITIALIZED);
    if (mode & AUSND_NONBLOCKING)
        return OpenNonBlocking(nameordata, mode, offset, length);
    AUSND_STREAM* s = AllocRecord();
    if (!s)
        return FailNull(AUSND_ERR_MEMORY);
    if (OpenInternal(s, nameordata, mode, offset, length))
    {
        AUSND_ErrorNo = AUSND_ERR_NONE;
        return s;
    }
    const int error = AUSND_ErrorNo;
    if (s->link.next)
        Unlink(s);
    FreeResources(s);
    FreeRecord(s);
    return FailNull(error ? error : AUSND_ERR_FILE_FORMAT);
}

AUSND_STREAM* AUSND_Stream_Create(AUSND_STREAMCALLBACK callback, int halfbytes, unsigned int mode, int rate,
                                  void* userdata)
{
    AUSND_ClearErrorOnOwner();
    if (!Initialised())
        return FailNull(AUSND_ERR_UNINITIALIZED);
    if (!callback || halfbytes <= 0)
        return FailNull(AUSND_ERR_INVALID_PARAM);
    mode &= ~static_cast<uint32_t>(AUSND_MULTICHANNEL);
    if (mode & AUSND_16BITS)
        mode &= ~static_cast<uint32_t>(AUSND_8BITS);
    if (mode & AUSND_STEREO)
        mode &= ~static_cast<uint32_t>(AUSND_MONO);
    AUSND_STREAM* s = CreateEx(nullptr, callback, static_cast<uint32_t>(halfbytes), mode, rate, userdata,
                               (mode & AUSND_STEREO) ? 2 : 1);
    if (!s)
        return nullptr;
    s->lengthpcm = 0xFFFFFFFFu;
    s->lengthms = -1;
    s->ready = true;
    return s;
}

int AUSND_Stream_Play(int channel, AUSND_STREAM* stream)
{
    return AUSND_Stream_PlayEx(channel, stream, nullptr, 0);
}

int AUSND_Stream_PlayEx(int channel, AUSND_STREAM* s, AUSND_DSPUNIT* unit, signed char paused)
{
    AUSND_ClearErrorOnOwner();
    if (!s)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return 0;
    }
    if (s->closing)
        return -1;
    if (!Initialised() || g_Streams.stop)
    {
        AUSND_ErrorNo = AUSND_ERR_UNINITIALIZED;
        return -1;
    }
    if (!s->ready || s->flushing)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return -1;
    }
    if (unit && !AUSND_DSP_VerifyUnit(unit))
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return 0;
    }
    if (s->playing && s->channel >= 0 && AUSND_IsPlaying(s->channel))
        return s->channel;
    if (!s->playing)
    {
        UpdateGuard update;
        {
            // The stream thread's update and the mixer thread's sync pass
            // write these too, each under one of the two locks.
            AUSND_ScopedSection list(g_Streams.listlock);
            s->ended = false;
            s->cpuusage = 0.0f;
            s->loopsleft = s->loopcount;
        }
        if (s->flushatplay)
            AUSND_Stream_Flush(s);
        else if (s->rewindatplay)
            AUSND_Stream_SetPositionEx(s, 0, 0, true);
    }
    const int requested = s->playing && s->channel >= 0 ? (s->channel & 0xFFF) : channel;
    const int handle = AUSND_PlaySoundEx(requested, s->sample, unit, 1);
    if (handle < 0)
    {
        AUSND_Stream_StopEx(s, false);
        AUSND_ErrorNo = AUSND_ERR_PLAY;
        return -1;
    }
    {
        AUSND_ScopedSection list(g_Streams.listlock);
        s->channel = handle;
        s->playing = true;
    }
    AUSND_SetPaused(handle, paused != 0);
    s->rewindatplay = 1;
    return handle;
}

bool AUSND_Stream_StopEx(AUSND_STREAM* s, bool notify)
{
    if (!s || !s->ready)
        return Fail(AUSND_ERR_INVALID_PARAM);
    if (!Dev()->initialised)
        return Fail(AUSND_ERR_UNINITIALIZED);
    const bool wasplaying = s->playing;
    {
        UpdateGuard update;
        if (s->channel >= 0)
        {
            s->savedcursor = static_cast<uint32_t>(AUSND_GetCurrentPosition(s->channel));
            AUSND_StopSound(s->channel);
        }
        AUSND_ScopedSection list(g_Streams.listlock);
        s->playing = false;
        s->leftover = 0;
        s->readoffset = 0;
        s->channel = -1;
        s->cpuusage = 0.0f;
        s->rewindatplay = 1;
        s->endcountdown = -1;
    }
    if (wasplaying && notify && s->endcallback)
        s->endcallback(s, nullptr, 0, s->enduserdata);
    return true;
}

bool AUSND_Stream_Stop(AUSND_STREAM* stream)
{
    AUSND_ClearErrorOnOwner();
    return AUSND_Stream_StopEx(stream, false);
}

bool AUSND_Stream_Close(AUSND_STREAM* s)
{
    AUSND_ClearErrorOnOwner();
    if (!s)
        return Fail(AUSND_ERR_INVALID_PARAM);
    // Only a network open can be called off while it runs.
    if (s->opening && IsNetworkName(s->asyncname) && !s->asyncmemory)
        AUSND_Stream_Net_CancelOpen(s);
    if (s->opening || (!s->ready && !s->openfailed))
        return Fail(AUSND_ERR_INVALID_PARAM);
    if (s->closing)
        return true;
    s->closing = 1;
    if (s->ready)
        AUSND_Stream_StopEx(s, false);
    if (s->link.next)
        Unlink(s);
    s->endcallback = nullptr;
    FreeResources(s);
    FreeRecord(s);
    return true;
}

bool AUSND_Stream_SetBufferSize(int ms)
{
    AUSND_ClearErrorOnOwner();
    if (ms < 50)
        return Fail(AUSND_ERR_INVALID_PARAM);
    AUSND_Stream_HalfBufferSize = ms;
    return true;
}

bool AUSND_Stream_SetEndCallback(AUSND_STREAM* s, AUSND_STREAMCALLBACK callback, void* userdata)
{
    AUSND_ClearErrorOnOwner();
    if (!s)
        return Fail(AUSND_ERR_INVALID_PARAM);
    UpdateGuard update;
    s->endcallback = callback;
    s->enduserdata = userdata;
    return true;
}

bool AUSND_Stream_SetSyncCallback(AUSND_STREAM* s, AUSND_STREAMSYNCCALLBACK callback, void* userdata)
{
    AUSND_ClearErrorOnOwner();
    if (!s)
        return Fail(AUSND_ERR_INVALID_PARAM);
    AUSND_ScopedSection list(g_Streams.listlock);
    s->synccallback = callback;
    s->syncuserdata = userdata;
    return true;
}

AUSND_STREAMSYNC* AUSND_Stream_AddSyncPoint(AUSND_STREAM* s, unsigned int pcmoffset, const char* name)
{
    AUSND_ClearErrorOnOwner();
    if (!s || !s->ready)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return nullptr;
    }
    uint64_t length = s->lengthpcm;
    if (s->playing && s->channel >= 0 && s->sample->deffreq > 0)
    {
        const int freq = AUSND_GetFrequency(s->channel);
        if (freq > 0)
            length = length * static_cast<uint64_t>(freq) / static_cast<uint64_t>(s->sample->deffreq);
    }
    if (pcmoffset >= length)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return nullptr;
    }
    AUSND_ScopedSection list(g_Streams.listlock);
    return SyncInsert(s, pcmoffset, 0, name);
}

bool AUSND_Stream_DeleteSyncPoint(AUSND_STREAMSYNC* point)
{
    AUSND_ClearErrorOnOwner();
    if (!ValidSync(point))
        return Fail(AUSND_ERR_INVALID_PARAM);
    {
        AUSND_ScopedSection list(g_Streams.listlock);
        for (AUSND_LINK* link = g_Streams.list.next; link && link != &g_Streams.list; link = link->next)
        {
            AUSND_STREAM* s = AUSND_StreamOfLink(link);
            if (s->nextsync == point)
                s->nextsync = point->next;
        }
        point->prev->next = point->next;
        point->next->prev = point->prev;
    }
    AUSND_Memory_Free(point);
    return true;
}

int AUSND_Stream_GetNumSyncPoints(AUSND_STREAM* s)
{
    AUSND_ClearErrorOnOwner();
    if (!s)
        return -1;
    int count = 0;
    for (AUSND_STREAMSYNC* p = s->synchead.next; p && p != &s->synctail; p = p->next)
        ++count;
    return count;
}

AUSND_STREAMSYNC* AUSND_Stream_GetSyncPoint(AUSND_STREAM* s, int index)
{
    AUSND_ClearErrorOnOwner();
    if (!s || index < 1)
        return nullptr;
    AUSND_STREAMSYNC* p = s->synchead.next;
    for (int i = 1; i < index && p != &s->synctail; ++i)
        p = p->next;
    return p == &s->synctail ? nullptr : p;
}

const char* AUSND_Stream_GetSyncPointInfo(AUSND_STREAMSYNC* point, unsigned int* pcmoffset)
{
    AUSND_ClearErrorOnOwner();
    if (!point)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return nullptr;
    }
    if (pcmoffset)
        *pcmoffset = point->offset;
    return point->name;
}

int AUSND_Stream_GetOpenState(AUSND_STREAM* s)
{
    AUSND_ClearErrorOnOwner();
    if (!s)
        return -1;
    if (s->opening)
    {
        const int network = AUSND_Stream_Net_OpenState(s);
        return network ? network : -2;
    }
    if (s->openfailed)
        return -3;
    return s->ready ? 0 : -2;
}

AUSND_SAMPLE* AUSND_Stream_GetSample(AUSND_STREAM* s)
{
    AUSND_ClearErrorOnOwner();
    if (!s)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return nullptr;
    }
    return s->sample;
}

AUSND_DSPUNIT* AUSND_Stream_CreateDSP(AUSND_STREAM* s, AUSND_DSPCALLBACK callback, int priority, void* param)
{
    AUSND_ClearErrorOnOwner();
    if (!s || !s->ready || !callback)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return nullptr;
    }
    AUSND_DSPUNIT* unit = static_cast<AUSND_DSPUNIT*>(AUSND_Memory_Calloc(sizeof(AUSND_DSPUNIT)));
    if (!unit)
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return nullptr;
    }
    unit->callback = callback;
    unit->priority = priority < 0 ? 0 : priority;
    unit->param = param;
    AUSND_Link_Init(&unit->channelring);
    // Units of equal priority run in the order in which they were made.
    UpdateGuard update;
    AUSND_LINK* at = s->units.next;
    while (at != &s->units && AUSND_UnitOfLink(at)->priority <= unit->priority)
        at = at->next;
    AUSND_Link_InsertBefore(at, &unit->link);
    return unit;
}

int AUSND_Stream_GetLength(AUSND_STREAM* s)
{
    AUSND_ClearErrorOnOwner();
    if (!s)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return 0;
    }
    return static_cast<int>(s->datalength);
}

int AUSND_Stream_GetLengthMs(AUSND_STREAM* s)
{
    AUSND_ClearErrorOnOwner();
    if (!s)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return 0;
    }
    return static_cast<int>(s->lengthms);
}

bool AUSND_Stream_SetMode(AUSND_STREAM* s, unsigned int mode)
{
    AUSND_ClearErrorOnOwner();
    if (!s)
        return Fail(AUSND_ERR_INVALID_PARAM);
    uint32_t loop = 0;
    if (mode & (AUSND_LOOP_NORMAL | AUSND_LOOP_BIDI))
        loop |= AUSND_LOOP_NORMAL;
    if (mode & AUSND_LOOP_OFF)
        loop |= AUSND_LOOP_OFF;
    s->mode = (s->mode & ~static_cast<uint32_t>(AUSND_LOOPBITS)) | loop;
    if ((mode & AUSND_2D) && !(mode & AUSND_HW3D))
        s->sample->mode |= AUSND_2D;
    return true;
}

unsigned int AUSND_Stream_GetMode(AUSND_STREAM* s)
{
    AUSND_ClearErrorOnOwner();
    if (!s)
        return 0;
    return s->mode | (s->sample->mode & (AUSND_2D | AUSND_HW3D | AUSND_HW2D));
}
