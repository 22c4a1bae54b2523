// The S3M loader: samples, packed patterns and channel settings of a module
// of up to 32 channels, played by the shared tracker player.
#include "aulos/aumus_player.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
const uint8_t kEffects[27] = {FX_NONE,          FX_SPEED,          FX_JUMP,          FX_BREAK,
                              FX_S3M_VOLSLIDE,  FX_S3M_PORTADOWN,  FX_S3M_PORTAUP,   FX_TONEPORTA,
                              FX_VIBRATO,       FX_TREMOR,         FX_ARPEGGIO,      FX_VIBRATO_VOLSLIDE,
                              FX_PORTA_VOLSLIDE, FX_CHANNELVOL,    FX_CHANNELVOLSLIDE, FX_OFFSET,
                              FX_PANSLIDE,      FX_RETRIG,         FX_TREMOLO,       FX_S3M_SPECIAL,
                              FX_TEMPO,         FX_FINEVIBRATO,    FX_GLOBALVOL,     FX_GLOBALVOLSLIDE,
                              FX_PAN,           FX_PANBRELLO,      FX_ZXX};

bool Bad()
{
    AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
    return false;
}

uint8_t Note(uint8_t b)
{
    if (b == 255)
        return 0;
    if (b == 254)
        return AUMUS_NOTE_CUT;
    const int octave = b >> 4;
    const int semitone = b & 15;
    if (semitone > 11 || octave > 9)
        return 0;
    return static_cast<uint8_t>(octave * 12 + semitone + 1);
}

bool LoadPattern(AUMUS_SONG* song, AUMUS_Reader& file, int index, uint32_t offset, const int* channelmap)
{
    if (!AUMUS_AllocPattern(song, index, 64))
        return false;
    if (offset == 0)
        return true; // an empty pattern
    if (!file.Seek(offset) || !file.Has(2))
        return Bad();
    const uint32_t packed = file.U16LE();
    const uint32_t end = std::min(file.Size(), file.Tell() + packed);
    uint8_t* cells = song->patterns[index].cells;
    for (int row = 0; row < 64 && file.Tell() < end;)
    {
        const uint8_t what = file.U8();
        if (what == 0)
        {
            ++row;
            continue;
        }
        uint8_t cell[AUMUS_CELLSIZE] = {0, 0, 0, 0, 0};
        if (what & 32)
        {
            cell[0] = Note(file.U8());
            cell[1] = file.U8();
        }
        if (what & 64)
            cell[2] = static_cast<uint8_t>(0x10 + std::min<int>(file.U8(), 64));
        if (what & 128)
        {
            const uint8_t command = file.U8();
            cell[3] = command <= 26 ? kEffects[command] : static_cast<uint8_t>(FX_NONE);
            cell[4] = file.U8();
        }
        if (file.Tell() > end)
            return Bad();
        const int channel = channelmap[what & 31];
        if (channel >= 0)
            std::memcpy(cells + (static_cast<size_t>(row) * song->numchannels + channel) * AUMUS_CELLSIZE, cell,
                        AUMUS_CELLSIZE);
    }
    return true;
}

bool LoadSample(AUMUS_SONG* song, AUMUS_PLAYER* player, AUMUS_Reader& file, int index, uint32_t offset,
                bool signeddata)
{
    AUMUS_SAMPLEINFO& info = player->sampleinfo[index];
    info.defpan = -1;
    info.globalvolume = 64;
    if (!file.Seek(offset) || !file.Has(80))
        return Bad();
    const uint8_t type = file.U8();
    file.Skip(12);
    const uint32_t hi = file.U8();
    const uint32_t lo = file.U16LE();
    const uint32_t dataoffset = ((hi << 16) | lo) * 16;
    uint32_t length = file.U32LE();
    uint32_t loopstart = file.U32LE();
    const uint32_t loopend = file.U32LE();
    const int volume = std::min<int>(file.U8(), 64);
    file.Skip(2);
    const uint8_t flags = file.U8();
    const int c2spd = file.U16LE();
    file.Skip(2 + 12);
    char name[29] = {};
    file.Read(name, 28);
    const bool sixteen = (flags & 4) != 0;
    if (type != 1)
        length = 0;
    const uint32_t bytes = sixteen ? 2 : 1;
    // Data cut off by the end of the file shortens the sample.
    const uint32_t available = dataoffset < file.Size() ? (file.Size() - dataoffset) / bytes : 0;
    length = std::min(length, available);
    std::vector<uint8_t> data(static_cast<size_t>(length) * bytes);
    if (length)
    {
        file.Seek(dataoffset);
        file.Read(data.data(), static_cast<uint32_t>(data.size()));
        if (!signeddata)
        {
            for (uint32_t i = 0; i < length; ++i)
                data[i * bytes + bytes - 1] ^= 0x80;
        }
    }
    uint32_t looplen = loopend > loopstart ? loopend - loopstart : 0;
    if (!(flags & 1))
        looplen = 0;
    if (looplen < 3)
        loopstart = 0;
    AUSND_SAMPLE* sample = AUMUS_MakeSample(data.data(), length, sixteen, loopstart, looplen < 3 ? 0 : looplen,
                                            false, c2spd ? c2spd : 8363, volume);
    if (!sample)
        return false;
    std::memcpy(sample->name, name, 28);
    song->samples[index] = sample;
    return true;
}
} // namespace

bool AUMUS_LoadS3M(AUMUS_SONG* song, AUMUS_Reader& file)
{
    if (!file.Has(96) || std::memcmp(file.At(44), "SCRM", 4) != 0)
        return false;
    std::memcpy(song->name, file.At(0), 28);
    song->name[28] = 0;
    file.Seek(32);
    const int ordercount = file.U16LE();
    const int instruments = file.U16LE();
    const int patterns = file.U16LE();
    const int flags = file.U16LE();
    const int version = file.U16LE();
    const int ffi = file.U16LE();
    file.Seek(48);
    const int globalvolume = file.U8();
    const int speed = file.U8();
    const int tempo = file.U8();
    const int mastervolume = file.U8();
    file.U8();
    const int panflag = file.U8();
    if (instruments > 255 || patterns > 256)
        return Bad();

    int channelmap[32];
    int channels = 0;
    const uint8_t* settings = file.At(64);
    for (int i = 0; i < 32; ++i)
    {
        channelmap[i] = settings[i] < 16 ? channels++ : -1;
        if (channelmap[i] >= 0)
            song->defaultpan[channelmap[i]] = settings[i] < 8 ? 0 : 255;
    }
    if (channels == 0)
        return Bad();

    // Order entries past 256 are skipped; markers 254 and 255 are dropped.
    file.Seek(96);
    int orders = 0;
    int highest = -1;
    std::vector<uint16_t> playedbefore(256, 0);
    for (int i = 0; i < ordercount; ++i)
    {
        if (i < 256)
            playedbefore[static_cast<size_t>(i)] = static_cast<uint16_t>(orders);
        const uint8_t o = file.U8();
        if (o >= 254 || orders >= AUMUS_MAXORDERS)
            continue;
        song->orderlist[orders++] = o;
        highest = std::max<int>(highest, o);
    }
    const uint32_t pointers = 96 + static_cast<uint32_t>(ordercount);
    file.Seek(pointers);
    std::vector<uint32_t> insptr(static_cast<size_t>(instruments));
    std::vector<uint32_t> patptr(static_cast<size_t>(patterns));
    for (auto& p : insptr)
        p = static_cast<uint32_t>(file.U16LE()) * 16;
    for (auto& p : patptr)
        p = static_cast<uint32_t>(file.U16LE()) * 16;
    if (panflag == 252)
    {
        for (int i = 0; i < 32; ++i)
        {
            const uint8_t pan = file.U8();
            if ((pan & 0x20) && channelmap[i] >= 0)
                song->defaultpan[channelmap[i]] = static_cast<uint8_t>((pan & 15) * 16);
        }
    }
    if (file.IsShort())
        return Bad();
    if (!(mastervolume & 0x80))
    {
        for (int c = 0; c < channels; ++c)
            song->defaultpan[c] = 128;
    }

    song->type = AUMUS_TYPE_S3M;
    song->numorders = orders;
    song->restartorder = 0;
    song->mastervolume = 256;
    song->defaultspeed = speed ? speed : 6;
    song->defaulttempo = tempo >= 32 ? tempo : 125;
    song->defaultglobalvolume = std::min(globalvolume, 64);
    for (int c = 0; c < 64; ++c)
        song->defaultvolume[c] = 64;
    song->numinstruments = 0;
    // Patterns the order list names beyond the stored ones are empty.
    const int patterncount = std::max(patterns, highest + 1);
    if (!AUMUS_AllocChannels(song, channels) || !AUMUS_AllocPatterns(song, std::max(patterncount, 1)) ||
        !AUMUS_AllocSamples(song, instruments))
        return false;
    AUMUS_PLAYER* player = AUMUS_Player_Create(song, 0);
    if (!player)
        return false;
    player->sampleinfo = static_cast<AUMUS_SAMPLEINFO*>(
        std::calloc(static_cast<size_t>(std::max(instruments, 1)), sizeof(AUMUS_SAMPLEINFO)));
    if (!player->sampleinfo)
        return false;
    player->fastslides = (flags & 0x40) || (version & 0xFFF) == 0x300;
    player->globalvolume_max = 64;
    for (int i = 0; i < instruments; ++i)
    {
        if (!LoadSample(song, player, file, i, insptr[static_cast<size_t>(i)], ffi == 1))
            return false;
    }
    for (int p = 0; p < std::max(patterncount, 1); ++p)
    {
        const uint32_t offset = p < patterns ? patptr[static_cast<size_t>(p)] : 0;
        if (!LoadPattern(song, file, p, offset, channelmap))
            return false;
    }
    AUMUS_RemapJumps(song, FX_JUMP, playedbefore.data(), std::min(ordercount, 256));
    return true;
}
