// Sound banks played as songs: every sound of the bank is one order, and the
// sounds play one after another, each once, on a channel of the song's own.
#include "aulos/aumus_song.h"
#include "aulos/format_asb.h"
#include "aulos/format_bytes.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
// Forms a bank sound can take that a song sample cannot.
constexpr uint32_t kUnplayableModes = AUSND_ADPCM28 | AUSND_ADPCM14 | AUSND_MULTICHANNEL | AUSND_TRACKERPACKED |
                                      AUSND_TRACKERPACKED2;

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
    uint32_t mode;
    int32_t frequency;
    int32_t volume;
    int32_t pan;
    int32_t priority;
    char name[31];
};

// A sound's settings from its full header, or the first sound's with the
// compact header's length and size.
SoundHeader HeaderOf(const AUSND_ASBBANK* bank, int index)
{
    const uint8_t* full = bank->full ? bank->full[index] : bank->area;
    SoundHeader h{};
    std::memcpy(h.name, full + 2, 30);
    h.length = aulos_format::LE32(full + 32);
    h.bytes = aulos_format::LE32(full + 36);
    h.mode = aulos_format::LE32(full + 48);
    h.frequency = static_cast<int32_t>(aulos_format::LE32(full + 52));
    h.volume = aulos_format::LE16(full + 56);
    h.pan = static_cast<int16_t>(aulos_format::LE16(full + 58));
    h.priority = aulos_format::LE16(full + 60);
    if (!bank->full && index > 0)
    {
        h.length = bank->lengths[index];
        h.bytes = bank->dataSizes[index];
    }
    return h;
}

// Bytes of the sound's data that the sample takes: whole IMA ADPCM blocks
// (36 bytes a channel for 64 samples), or whole frames.
uint32_t SourceBytes(const SoundHeader& h)
{
    const uint32_t channels = (h.mode & AUSND_STEREO) ? 2u : 1u;
    if (h.mode & AUSND_IMAADPCM)
        return h.bytes / (36u * channels) * 36u * channels;
    return h.length * ((h.mode & AUSND_16BITS) ? 2u : 1u) * channels;
}

// A bank sound as a sample (IMA ADPCM decoded to 16 bits); null for a sound
// of a form a song cannot play.
AUSND_SAMPLE* MakeSound(AUMUS_Reader& file, uint32_t offset, const SoundHeader& h)
{
    if ((h.mode & kUnplayableModes) || h.length == 0 || h.length > (64u << 20))
        return nullptr;
    const uint32_t bytes = SourceBytes(h);
    if (bytes == 0 || !file.Seek(offset) || !file.Has(bytes))
        return nullptr;
    const unsigned int layout = h.mode & (AUSND_MONO | AUSND_STEREO | AUSND_SIGNED | AUSND_UNSIGNED);
    const unsigned int width = (h.mode & AUSND_IMAADPCM) ? AUSND_16BITS : h.mode & (AUSND_8BITS | AUSND_16BITS);
    const unsigned int source = layout | (h.mode & (AUSND_8BITS | AUSND_16BITS | AUSND_IMAADPCM));
    const unsigned int mode = (layout | width | AUSND_2D | AUSND_LOOP_OFF) & ~static_cast<unsigned int>(AUSND_LOOP_NORMAL);
    AUSND_SAMPLE* sample = AUSND_Sample_Alloc(-2, static_cast<int>(h.length), mode, h.frequency > 0 ? h.frequency : 44100,
                                              std::min(std::max(h.volume, 0), 255), h.pan, h.priority);
    if (!sample)
        return nullptr;
    if (!AUSND_Sample_UploadEx(sample, file.At(offset), 0, bytes, source))
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
    if (!file.Has(4) || (std::memcmp(file.At(0), "ASB3", 4) != 0 && std::memcmp(file.At(0), "ASB2", 4) != 0))
        return false;
    // The bank reader checks the headers, the sizes and the data offsets.
    AUSND_FILE* bytes = AUSND_File_Open(reinterpret_cast<const char*>(file.At(0)), AUSND_FILE_MEMORY,
                                        static_cast<int>(std::min<uint32_t>(file.Size(), INT32_MAX)));
    if (!bytes)
        return false;
    AUSND_ASBBANK* bank = nullptr;
    uint32_t openmode = 0;
    const bool opened = AUSND_ASB_Open(bytes, &openmode, nullptr, nullptr, nullptr, &bank, nullptr, nullptr);
    AUSND_File_Close(bytes);
    if (!opened)
        return false; // with the bank reader's error: a bad bank, or a form it does not read
    const int sounds = bank->count;
    auto* player = static_cast<BankPlayer*>(std::calloc(1, sizeof(BankPlayer)));
    if (sounds > 4096 || !player || !AUMUS_AllocSamples(song, sounds))
    {
        std::free(player);
        AUSND_ASB_Close(bank);
        AUSND_ErrorNo = sounds > 4096 ? AUSND_ERR_FILE_BAD : AUSND_ERR_MEMORY;
        return false;
    }
    player->channel = -1;
    song->work = player;
    song->freework = FreeBankPlayer;
    std::strcpy(song->name, "Aulos Sample Bank");
    song->type = AUMUS_TYPE_ASB;
    song->numorders = sounds;
    song->numchannels = 0;
    song->mastervolume = 256;
    song->defaultspeed = 100;
    song->defaultglobalvolume = 255;
    song->defaulttempo = 125;
    song->restartorder = 0;
    for (int i = 0; i < sounds; ++i)
    {
        if (!(bank->flags & AUSND_ASB_FLAG_FILES) && Listed(samplelist, count, i))
            song->samples[i] = MakeSound(file, bank->dataOffsets[i], HeaderOf(bank, i));
    }
    AUSND_ASB_Close(bank);
    song->tick = UpdateBank;
    song->stophook = StopBank;
    return true;
}
