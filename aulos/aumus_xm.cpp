// The XM loader: patterns, instruments with envelopes and delta-coded
// samples, played by the shared tracker player.
#include "aulos/aumus_player.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
bool Bad()
{
    AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
    return false;
}

uint8_t Effect(uint8_t effect, uint8_t& param)
{
    switch (effect)
    {
    case 0x0:
        return param ? FX_ARPEGGIO : FX_NONE;
    case 0x1:
        return FX_XM_PORTAUP;
    case 0x2:
        return FX_XM_PORTADOWN;
    case 0x3:
        return FX_TONEPORTA;
    case 0x4:
        return FX_VIBRATO;
    case 0x5:
        return FX_PORTA_VOLSLIDE;
    case 0x6:
        return FX_VIBRATO_VOLSLIDE;
    case 0x7:
        return FX_TREMOLO;
    case 0x8:
        return FX_PAN;
    case 0x9:
        return FX_OFFSET;
    case 0xA:
        return FX_XM_VOLSLIDE;
    case 0xB:
        return FX_JUMP;
    case 0xC:
        return FX_XM_SETVOL;
    case 0xD:
        return FX_BREAK;
    case 0xE:
        return FX_XM_EXTENDED;
    case 0xF:
        return param < 32 ? FX_SPEED : FX_TEMPO;
    case 16:
        return FX_GLOBALVOL;
    case 17:
        return FX_GLOBALVOLSLIDE;
    case 20:
        return FX_XM_KEYOFF;
    case 21:
        return FX_XM_ENVPOS;
    case 25:
        return FX_PANSLIDE;
    case 27:
        return FX_RETRIG;
    case 29:
        return FX_TREMOR;
    case 33:
        return FX_XM_EXTRAFINE;
    default:
        param = 0;
        return FX_NONE;
    }
}

bool LoadPattern(AUMUS_SONG* song, AUMUS_Reader& file, int index)
{
    const uint32_t start = file.Tell();
    const uint32_t headerlength = file.U32LE();
    file.U8();
    const int rows = file.U16LE();
    const uint32_t packed = file.U16LE();
    if (file.IsShort() || rows < 1 || rows > 256 || headerlength < 9)
        return Bad();
    if (!AUMUS_AllocPattern(song, index, rows))
        return false;
    file.Seek(start + headerlength);
    const uint32_t end = file.Tell() + packed;
    if (end > file.Size())
        return Bad();
    if (packed == 0)
        return true;
    uint8_t* cell = song->patterns[index].cells;
    const int cells = rows * song->numchannels;
    for (int i = 0; i < cells && file.Tell() < end; ++i, cell += AUMUS_CELLSIZE)
    {
        uint8_t b = file.U8();
        uint8_t note = 0, instrument = 0, volume = 0, effect = 0, param = 0;
        if (b & 0x80)
        {
            if (b & 1)
                note = file.U8();
            if (b & 2)
                instrument = file.U8();
            if (b & 4)
                volume = file.U8();
            if (b & 8)
                effect = file.U8();
            if (b & 16)
                param = file.U8();
        }
        else
        {
            note = b;
            instrument = file.U8();
            volume = file.U8();
            effect = file.U8();
            param = file.U8();
        }
        if (file.Tell() > end)
            return Bad();
        cell[0] = note == 97 ? AUMUS_NOTE_OFF : (note <= 96 ? note : 0);
        cell[1] = instrument <= 128 ? instrument : 0;
        cell[2] = volume >= 0x10 ? volume : 0;
        cell[3] = Effect(effect, param);
        cell[4] = param;
    }
    file.Seek(end);
    return true;
}

void ReadEnvelope(AUMUS_ENVELOPE& env, const uint8_t* points, int count, int sustain, int loopstart, int loopend,
                  int type, bool pan)
{
    env = AUMUS_ENVELOPE{};
    count = std::min(count, 12);
    for (int i = 0; i < count; ++i)
    {
        env.tick[i] = static_cast<uint16_t>(points[i * 4] | (points[i * 4 + 1] << 8));
        const int value = std::min(points[i * 4 + 2] | (points[i * 4 + 3] << 8), 64);
        env.value[i] = static_cast<int8_t>(pan ? value - 32 : value);
        if (i > 0 && env.tick[i] < env.tick[i - 1])
            count = i; // ticks must rise: the rest is not used
    }
    env.points = static_cast<uint8_t>(count);
    if (count < 2 || !(type & 1))
        return;
    env.flags = AUMUS_ENV_ON;
    if ((type & 2) && sustain < count)
    {
        env.flags |= AUMUS_ENV_SUSTAIN;
        env.sustainstart = env.sustainend = static_cast<uint8_t>(sustain);
    }
    if ((type & 4) && loopstart < count && loopend < count && loopstart <= loopend)
    {
        env.flags |= AUMUS_ENV_LOOP;
        env.loopstart = static_cast<uint8_t>(loopstart);
        env.loopend = static_cast<uint8_t>(loopend);
    }
}

struct SampleHeader
{
    uint32_t length, loopstart, looplength;
    uint8_t volume;
    int8_t finetune;
    uint8_t type, pan;
    int8_t relnote;
    char name[23];
};

// Where an Ogg Vorbis stream starts in a sample's data: at once, or after the
// 4-byte original length that compressed XM files put first; -1 for none.
int OggStart(const uint8_t* data, uint32_t bytes)
{
    if (bytes >= 4 && std::memcmp(data, "OggS", 4) == 0)
        return 0;
    if (bytes >= 8 && std::memcmp(data + 4, "OggS", 4) == 0)
        return 4;
    return -1;
}

// The loop of an XM sample header in frames; none when shorter than 3 frames.
void LoopFrames(const SampleHeader& h, uint32_t& loopstart, uint32_t& looplen)
{
    const uint32_t size = (h.type & 0x10) ? 2 : 1;
    loopstart = h.loopstart / size;
    looplen = (h.type & 3) ? h.looplength / size : 0;
    if (looplen < 3)
        loopstart = looplen = 0;
}

// An Ogg-compressed sample, decoded to mono and made a song sample with the header's loop.
AUSND_SAMPLE* DecodeOggSample(const SampleHeader& h, const uint8_t* data, uint32_t bytes, int freq)
{
    const int volume = std::min<int>(h.volume, 64);
    AUSND_SAMPLE* ogg = AUSND_Sample_Load(-2, reinterpret_cast<const char*>(data), AUSND_LOADMEMORY | AUSND_2D | AUSND_FORCEMONO,
                                          0, static_cast<int>(bytes));
    if (!ogg || !ogg->data || ogg->length == 0 || (ogg->mode & AUSND_STEREO))
    {
        if (ogg)
            AUSND_Sample_Free(ogg);
        return AUMUS_MakeSample(nullptr, 0, false, 0, 0, false, freq, volume);
    }
    uint32_t loopstart = 0;
    uint32_t looplen = 0;
    LoopFrames(h, loopstart, looplen);
    const bool sixteen = (ogg->mode & AUSND_16BITS) != 0;
    AUSND_SAMPLE* sample = AUMUS_MakeSample(ogg->data, ogg->length, sixteen, loopstart, looplen, (h.type & 3) == 2,
                                            freq, volume);
    AUSND_Sample_Free(ogg);
    return sample;
}

AUSND_SAMPLE* DecodeSample(const SampleHeader& h, const uint8_t* data, uint32_t bytes)
{
    const bool sixteen = (h.type & 0x10) != 0;
    const int freq = static_cast<int>(std::lround(8363.0 * std::pow(2.0, (h.relnote * 128 + h.finetune) / 1536.0)));
    const int ogg = OggStart(data, bytes);
    if (ogg >= 0)
        return DecodeOggSample(h, data + ogg, bytes - static_cast<uint32_t>(ogg), freq);
    const uint32_t size = sixteen ? 2 : 1;
    const uint32_t length = bytes / size;
    std::vector<uint8_t> pcm(static_cast<size_t>(length) * size);
    if (sixteen)
    {
        int16_t old = 0;
        for (uint32_t i = 0; i < length; ++i)
        {
            old = static_cast<int16_t>(old + static_cast<int16_t>(data[i * 2] | (data[i * 2 + 1] << 8)));
            pcm[i * 2] = static_cast<uint8_t>(old & 0xFF);
            pcm[i * 2 + 1] = static_cast<uint8_t>((old >> 8) & 0xFF);
        }
    }
    else
    {
        uint8_t old = 0;
        for (uint32_t i = 0; i < length; ++i)
        {
            old = static_cast<uint8_t>(old + data[i]);
            pcm[i] = old;
        }
    }
    uint32_t loopstart = 0;
    uint32_t looplen = 0;
    LoopFrames(h, loopstart, looplen);
    return AUMUS_MakeSample(pcm.data(), length, sixteen, loopstart, looplen, (h.type & 3) == 2, freq,
                            std::min<int>(h.volume, 64));
}

bool LoadInstrument(AUMUS_SONG* song, AUMUS_PLAYER* player, AUMUS_Reader& file, int index,
                    std::vector<AUSND_SAMPLE*>& samples, std::vector<AUMUS_SAMPLEINFO>& infos)
{
    AUMUS_INSTRUMENT& ins = player->instruments[index];
    ins.defpan = -1;
    ins.globalvolume = 128;
    const uint32_t start = file.Tell();
    const uint32_t size = file.U32LE();
    file.Read(ins.name, 22);
    file.U8();
    const int count = file.U16LE();
    if (file.IsShort())
        return Bad();
    if (count > 16)
        return Bad();
    for (int n = 0; n < AUMUS_NOTE_MAX; ++n)
        ins.notemap[n] = static_cast<uint8_t>(n + 1);
    if (count == 0)
    {
        file.Seek(start + std::max<uint32_t>(size, 29));
        return true;
    }
    const uint32_t headersize = file.U32LE();
    uint8_t map[96];
    file.Read(map, 96);
    uint8_t volpoints[48], panpoints[48];
    file.Read(volpoints, 48);
    file.Read(panpoints, 48);
    uint8_t b[14];
    file.Read(b, 14);
    const int fadeout = file.U16LE();
    if (file.IsShort())
        return Bad();
    const int base = static_cast<int>(samples.size());
    for (int n = 0; n < 96; ++n)
        ins.notesample[n] = map[n] < count ? static_cast<uint8_t>(std::min(base + map[n] + 1, 255)) : 0;
    ReadEnvelope(ins.envelopes[0], volpoints, b[0], b[2], b[3], b[4], b[8], false);
    ReadEnvelope(ins.envelopes[1], panpoints, b[1], b[5], b[6], b[7], b[9], true);
    ins.vibtype = b[10];
    ins.vibsweep = b[11];
    ins.vibdepth = b[12];
    ins.vibrate = b[13];
    ins.fadeout = fadeout * 2;
    file.Seek(start + size);

    std::vector<SampleHeader> headers(static_cast<size_t>(count));
    for (SampleHeader& h : headers)
    {
        const uint32_t at = file.Tell();
        h.length = file.U32LE();
        h.loopstart = file.U32LE();
        h.looplength = file.U32LE();
        h.volume = file.U8();
        h.finetune = static_cast<int8_t>(file.U8());
        h.type = file.U8();
        h.pan = file.U8();
        h.relnote = static_cast<int8_t>(file.U8());
        file.U8();
        file.Read(h.name, 22);
        h.name[22] = 0;
        file.Seek(at + std::max<uint32_t>(headersize, 40));
    }
    if (file.IsShort())
        return Bad();
    for (const SampleHeader& h : headers)
    {
        const uint32_t bytes = std::min(h.length, file.Left());
        const uint8_t* data = file.At(file.Tell());
        AUSND_SAMPLE* sample = DecodeSample(h, data ? data : reinterpret_cast<const uint8_t*>(""), data ? bytes : 0);
        file.Skip(h.length);
        if (!sample)
            return false;
        std::memcpy(sample->name, h.name, 23);
        samples.push_back(sample);
        AUMUS_SAMPLEINFO info{};
        info.defpan = h.pan;
        info.globalvolume = 64;
        infos.push_back(info);
        (void)song;
    }
    return true;
}
} // namespace

bool AUMUS_LoadXM(AUMUS_SONG* song, AUMUS_Reader& file)
{
    if (!file.Has(17) || std::memcmp(file.At(0), "Extended Module: ", 17) != 0)
        return false;
    if (!file.Has(80))
        return Bad();
    if (file.At(37)[0] != 0x1A)
        return false;
    std::memcpy(song->name, file.At(17), 20);
    song->name[20] = 0;
    file.Seek(60);
    const uint32_t headersize = file.U32LE();
    int orders = file.U16LE();
    int restart = file.U16LE();
    const int channels = file.U16LE();
    const int patterns = file.U16LE();
    const int instruments = file.U16LE();
    const int flags = file.U16LE();
    const int speed = file.U16LE();
    const int tempo = file.U16LE();
    if (channels < 1 || channels > 64 || patterns > 256 || instruments > 128 || headersize < 20)
        return Bad();
    orders = std::min(orders, 256);
    if (orders == 0)
        return Bad();
    if (restart >= orders)
        restart = 0;
    file.Read(song->orderlist, 256);
    if (file.IsShort())
        return Bad();
    int highest = 0;
    for (int i = 0; i < orders; ++i)
        highest = std::max<int>(highest, song->orderlist[i]);

    song->type = AUMUS_TYPE_XM;
    song->numorders = orders;
    song->restartorder = restart;
    song->mastervolume = 256;
    song->defaultspeed = speed ? std::min(speed, 255) : 6;
    song->defaulttempo = tempo >= 32 ? std::min(tempo, 255) : 125;
    song->defaultglobalvolume = 64;
    for (int c = 0; c < 64; ++c)
    {
        song->defaultpan[c] = 128;
        song->defaultvolume[c] = 64;
    }
    const int patterncount = std::max(patterns, highest + 1);
    if (!AUMUS_AllocChannels(song, channels) || !AUMUS_AllocPatterns(song, patterncount))
        return false;
    song->numinstruments = instruments;
    AUMUS_PLAYER* player = AUMUS_Player_Create(song, std::max(instruments, 1));
    if (!player)
        return false;
    player->instrumentmode = true;
    player->linear = (flags & 1) != 0;
    player->globalvolume_max = 64;

    file.Seek(60 + headersize);
    for (int p = 0; p < patterns; ++p)
    {
        if (!LoadPattern(song, file, p))
            return false;
    }
    for (int p = patterns; p < patterncount; ++p)
    {
        if (!AUMUS_AllocPattern(song, p, 64))
            return false;
    }
    std::vector<AUSND_SAMPLE*> samples;
    std::vector<AUMUS_SAMPLEINFO> infos;
    bool ok = true;
    for (int i = 0; i < instruments && ok; ++i)
        ok = LoadInstrument(song, player, file, i, samples, infos);
    // The samples made so far belong to the song even when a later one failed.
    if (!AUMUS_AllocSamples(song, static_cast<int>(samples.size())))
    {
        for (AUSND_SAMPLE* s : samples)
            AUSND_Sample_Free(s);
        return false;
    }
    std::copy(samples.begin(), samples.end(), song->samples);
    player->sampleinfo = static_cast<AUMUS_SAMPLEINFO*>(
        std::calloc(std::max<size_t>(infos.size(), 1), sizeof(AUMUS_SAMPLEINFO)));
    if (!player->sampleinfo)
        return false;
    std::copy(infos.begin(), infos.end(), player->sampleinfo);
    return ok;
}
