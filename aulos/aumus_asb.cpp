// Sound banks played as songs: every sound of the bank is one order, and the
// sounds play one after another, each once, on a channel of the song's own.
#include "aulos/aumus_song.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
enum : uint32_t
{
    kFileData = 1,
    kCompactHeaders = 2,
    kUnreadableModes = AUSND_IMAADPCM | AUSND_ADPCM28 | AUSND_ADPCM14 | AUSND_MULTICHANNEL | AUSND_TRACKERPACKED |
                       AUSND_TRACKERPACKED2
};

struct BankPlayer
{
    int channel;  // the song's channel handle, -1 none
    bool started; // a sound of the current order was started
};

void FreeBankPlayer(void* work)
{
    std::free(work);
}

struct SoundHeader
{
    uint32_t length;
    uint32_t bytes;
    uint32_t loopstart;
    uint32_t loopend;
    uint32_t mode;
    int32_t frequency;
    int32_t volume;
    int32_t pan;
    int32_t priority;
    int32_t channels;
    char name[31];
};

bool ReadFullHeader(AUMUS_Reader& file, uint32_t at, SoundHeader& h, uint32_t& size)
{
    if (!file.Seek(at) || !file.Has(64))
        return false;
    size = file.U16LE();
    file.Read(h.name, 30);
    h.name[30] = 0;
    h.length = file.U32LE();
    h.bytes = file.U32LE();
    h.loopstart = file.U32LE();
    h.loopend = file.U32LE();
    h.mode = file.U32LE();
    h.frequency = static_cast<int32_t>(file.U32LE());
    h.volume = file.U16LE();
    h.pan = static_cast<int16_t>(file.U16LE());
    h.priority = file.U16LE();
    h.channels = file.U16LE();
    return size >= 64;
}

// A bank sound as a sample; null for a sound of a form this loader cannot read.
AUSND_SAMPLE* MakeSound(AUMUS_Reader& file, uint32_t offset, const SoundHeader& h)
{
    if ((h.mode & kUnreadableModes) || h.length == 0)
        return nullptr;
    const uint32_t frame = ((h.mode & AUSND_16BITS) ? 2u : 1u) * ((h.mode & AUSND_STEREO) ? 2u : 1u);
    if (h.length > (64u << 20) / frame || h.bytes < h.length * frame || !file.Seek(offset) ||
        !file.Has(h.length * frame))
        return nullptr;
    const unsigned int format = h.mode & (AUSND_8BITS | AUSND_16BITS | AUSND_MONO | AUSND_STEREO | AUSND_SIGNED |
                                          AUSND_UNSIGNED);
    const unsigned int mode = (format | AUSND_2D | AUSND_LOOP_OFF) & ~static_cast<unsigned int>(AUSND_LOOP_NORMAL);
    AUSND_SAMPLE* sample = AUSND_Sample_Alloc(-2, static_cast<int>(h.length), mode, h.frequency > 0 ? h.frequency : 44100,
                                              std::min(std::max(h.volume, 0), 255), h.pan, h.priority);
    if (!sample)
        return nullptr;
    if (!AUSND_Sample_Upload(sample, file.At(offset), format))
    {
        AUSND_Sample_Free(sample);
        return nullptr;
    }
    std::memcpy(sample->name, h.name, 31);
    return sample;
}

bool Listed(const int* list, int count, int index)
{
    if (!list || count <= 0)
        return true;
    return std::find(list, list + count, index) != list + count;
}

// The next order from order on that has a sound, or -1.
int NextSound(const AUMUS_SONG* song, int order)
{
    for (int o = order; o < song->numorders; ++o)
    {
        if (song->samples[o] && song->samples[o]->data)
            return o;
    }
    return -1;
}

void StopChannel(BankPlayer* player)
{
    if (player->channel >= 0)
        AUSND_StopSound(player->channel);
    player->channel = -1;
    player->started = false;
}

void StopBank(AUMUS_SONG* song)
{
    StopChannel(static_cast<BankPlayer*>(song->work));
}

void UpdateBank(SongRecord* record)
{
    AUMUS_SONG* song = static_cast<AUMUS_SONG*>(record);
    BankPlayer* player = static_cast<BankPlayer*>(song->work);
    if (song->tickcount == 0)
    {
        StopChannel(player);
        song->tickcount = 1;
    }
    if (song->finished && !song->looping)
        return;
    if (player->channel >= 0 && AUSND_IsPlaying(player->channel))
        return;
    int order = song->order;
    if (player->started)
        ++order;
    order = order < song->numorders ? NextSound(song, order) : -1;
    if (order < 0)
    {
        // The bank ran out; an empty one does so at once.
        song->finished = 1;
        const int first = NextSound(song, song->restartorder);
        if (!song->looping || first < 0)
        {
            StopChannel(player);
            song->playing = 0;
            return;
        }
        order = first;
    }
    song->order = order;
    player->started = false;
    const int channel = AUSND_PlaySoundEx(AUSND_CHANNEL_FREE, song->samples[order], nullptr, 1);
    if (channel < 0)
        return;
    AUSND_SetLoopMode(channel, AUSND_LOOP_OFF);
    AUSND_SetPaused(channel, false);
    player->channel = channel;
    player->started = true;
}
} // namespace

bool AUMUS_LoadASB(AUMUS_SONG* song, AUMUS_Reader& file, unsigned int /*mode*/, const int* samplelist, int count)
{
    if (!file.Has(16))
        return false;
    const bool v3 = std::memcmp(file.At(0), "ASB3", 4) == 0;
    if (!v3 && std::memcmp(file.At(0), "ASB2", 4) != 0)
        return false;
    file.Seek(4);
    const int32_t sounds = static_cast<int32_t>(file.U32LE());
    const uint32_t areasize = file.U32LE();
    file.U32LE();
    const uint32_t version = v3 ? file.U32LE() : 0;
    const uint32_t flags = v3 ? file.U32LE() : 0;
    const uint32_t areastart = v3 ? 24 : 16;
    if (file.IsShort() || sounds < 1 || sounds > 4096 || !file.Seek(areastart) || !file.Has(areasize))
    {
        AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
        return false;
    }
    std::strcpy(song->name, "Aulos Sample Bank");
    song->type = AUMUS_TYPE_ASB;
    song->numorders = sounds;
    song->numchannels = 0;
    song->mastervolume = 256;
    song->defaultspeed = 100;
    song->defaultglobalvolume = 255;
    song->defaulttempo = 125;
    song->restartorder = 0;
    if (!AUMUS_AllocSamples(song, sounds))
        return false;
    auto* player = static_cast<BankPlayer*>(std::calloc(1, sizeof(BankPlayer)));
    if (!player)
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return false;
    }
    player->channel = -1;
    song->work = player;
    song->freework = FreeBankPlayer;

    const uint32_t standard = version == 0x30001 ? 80 : 64;
    uint32_t dataoffset = areastart + areasize;
    uint32_t at = areastart;
    SoundHeader first{};
    uint32_t firstsize = 0;
    for (int i = 0; i < sounds; ++i)
    {
        SoundHeader h{};
        uint32_t size = 0;
        if (i == 0 || !(flags & kCompactHeaders))
        {
            if (at + 64 > areastart + areasize || !ReadFullHeader(file, at, h, size))
            {
                AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
                return false;
            }
            if (i == 0)
            {
                first = h;
                firstsize = size;
            }
        }
        else
        {
            // A compact header: the sound takes the first one's settings.
            h = first;
            if (!file.Seek(at) || !file.Has(8))
            {
                AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
                return false;
            }
            h.length = file.U32LE();
            h.bytes = file.U32LE();
            h.loopstart = 0;
            h.loopend = 0;
            size = 8 + ((first.mode & AUSND_ADPCM14) && firstsize > standard ? firstsize - standard : 0);
        }
        if (!(flags & kFileData) && Listed(samplelist, count, i))
            song->samples[i] = MakeSound(file, dataoffset, h);
        dataoffset += h.bytes;
        at += size;
    }
    song->tick = UpdateBank;
    song->stophook = StopBank;
    return true;
}
