// The IT loader: instruments with their note maps, envelopes and new-note
// actions, plain or compressed samples, and packed patterns, played by the
// shared tracker player.
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

enum ITFlags
{
    IT_INSTRUMENTS = 4,
    IT_LINEAR = 8,
    IT_OLDEFFECTS = 16,
    IT_COMPATGXX = 32
};

bool Bad()
{
    AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
    return false;
}

bool NotIT()
{
    AUSND_ErrorNo = AUSND_ERR_FILE_FORMAT;
    return false;
}

void ReadEnvelope(AUMUS_Reader& file, AUMUS_ENVELOPE& env, bool volume)
{
    env = AUMUS_ENVELOPE{};
    const uint8_t flags = file.U8();
    int points = file.U8();
    const int loopstart = file.U8();
    const int loopend = file.U8();
    const int susstart = file.U8();
    const int susend = file.U8();
    for (int i = 0; i < 25; ++i)
    {
        const int value = static_cast<int8_t>(file.U8());
        env.value[i] = static_cast<int8_t>(volume ? std::max(0, std::min(value, 64)) : std::max(-32, std::min(value, 32)));
        env.tick[i] = file.U16LE();
    }
    file.U8();
    points = std::min(points, 25);
    for (int i = 1; i < points; ++i)
    {
        if (env.tick[i] < env.tick[i - 1])
        {
            points = i; // ticks must rise
            break;
        }
    }
    env.points = static_cast<uint8_t>(points);
    if (!(flags & 1) || points < 1)
        return;
    env.flags = AUMUS_ENV_ON;
    // The tracker marks a filter envelope with bit 7; bit 3 is taken as well.
    if (flags & (0x80 | 8))
        env.flags |= AUMUS_ENV_FILTER;
    if ((flags & 2) && loopstart <= loopend && loopend < points)
    {
        env.flags |= AUMUS_ENV_LOOP;
        env.loopstart = static_cast<uint8_t>(loopstart);
        env.loopend = static_cast<uint8_t>(loopend);
    }
    if ((flags & 4) && susstart <= susend && susend < points)
    {
        env.flags |= AUMUS_ENV_SUSTAIN;
        env.sustainstart = static_cast<uint8_t>(susstart);
        env.sustainend = static_cast<uint8_t>(susend);
    }
}

bool LoadInstrument(AUMUS_SONG* song, AUMUS_PLAYER* player, AUMUS_Reader& file, int index, uint32_t offset)
{
    AUMUS_INSTRUMENT& ins = player->instruments[index];
    if (!file.Seek(offset) || !file.Has(0x226))
        return Bad();
    if (std::memcmp(file.At(offset), "IMPI", 4) != 0)
        return NotIT();
    file.Skip(17);
    ins.nna = file.U8();
    ins.dct = file.U8();
    ins.dca = file.U8();
    ins.fadeout = std::min<int>(file.U16LE(), 1024) * 64;
    ins.pitchpansep = static_cast<int8_t>(std::max(-32, std::min<int>(static_cast<int8_t>(file.U8()), 32)));
    ins.pitchpancentre = static_cast<uint8_t>(std::min<int>(file.U8(), AUMUS_NOTE_MAX - 1));
    ins.globalvolume = static_cast<uint8_t>(std::min<int>(file.U8(), 128));
    const int pan = file.U8();
    ins.defpan = (pan & 0x80) ? -1 : static_cast<int16_t>(std::min((pan & 0x7F) * 4, 255));
    ins.volumeswing = static_cast<uint8_t>(std::min<int>(file.U8(), 100));
    ins.panswing = static_cast<uint8_t>(std::min<int>(file.U8(), 64));
    file.Skip(4);
    file.Read(ins.name, 26);
    // The top bit says the instrument sets the value at all.
    const int cutoff = file.U8();
    const int resonance = file.U8();
    ins.cutoff = static_cast<int16_t>((cutoff & 0x80) ? (cutoff & 0x7F) : -1);
    ins.resonance = static_cast<int16_t>((resonance & 0x80) ? (resonance & 0x7F) : -1);
    ins.nna = static_cast<uint8_t>(ins.nna <= 3 ? ins.nna : 0);
    ins.dct = static_cast<uint8_t>(ins.dct <= 3 ? ins.dct : 0);
    ins.dca = static_cast<uint8_t>(ins.dca <= 2 ? ins.dca : 0);
    file.Seek(offset + 0x40);
    uint8_t keyboard[AUMUS_NOTE_MAX][2];
    file.Read(keyboard, sizeof(keyboard));
    // The tables are kept in this player's note numbering, an octave below the file's.
    for (int n = 0; n < AUMUS_NOTE_MAX; ++n)
    {
        const int filenote = std::min(n + 12, AUMUS_NOTE_MAX - 1);
        const int note = keyboard[filenote][0];
        const int sample = keyboard[filenote][1];
        ins.notemap[n] = static_cast<uint8_t>(std::max((note < AUMUS_NOTE_MAX ? note : filenote) - 11, 1));
        ins.notesample[n] = static_cast<uint8_t>(sample <= song->numsamples ? sample : 0);
    }
    ReadEnvelope(file, ins.envelopes[0], true);
    ReadEnvelope(file, ins.envelopes[1], false);
    ReadEnvelope(file, ins.envelopes[2], false);
    return true;
}

bool LoadSample(AUMUS_SONG* song, AUMUS_PLAYER* player, AUMUS_Reader& file, int index, uint32_t offset)
{
    AUMUS_SAMPLEINFO& info = player->sampleinfo[index];
    info.defpan = -1;
    info.globalvolume = 64;
    if (!file.Seek(offset) || !file.Has(0x50))
        return Bad();
    if (std::memcmp(file.At(offset), "IMPS", 4) != 0)
        return NotIT();
    file.Skip(17);
    info.globalvolume = static_cast<uint8_t>(std::min<int>(file.U8(), 64));
    const uint8_t flags = file.U8();
    const int volume = std::min<int>(file.U8(), 64);
    char name[27] = {};
    file.Read(name, 26);
    const uint8_t convert = file.U8();
    const uint8_t pan = file.U8();
    if (pan & 0x80)
        info.defpan = static_cast<int16_t>(std::min((pan & 0x7F) * 4, 255));
    uint32_t length = file.U32LE();
    uint32_t loopstart = file.U32LE();
    uint32_t loopend = file.U32LE();
    const int c5speed = static_cast<int>(std::min<uint32_t>(file.U32LE(), 9999999));
    const uint32_t susstart = file.U32LE();
    const uint32_t susend = file.U32LE();
    const uint32_t pointer = file.U32LE();
    info.vibrate = file.U8();
    info.vibdepth = file.U8();
    info.vibsweep = file.U8();
    info.vibtype = file.U8();
    const bool sixteen = (flags & 2) != 0;
    if (!(flags & 1))
        length = 0;
    length = std::min<uint32_t>(length, 64u << 20);
    bool bidi = (flags & 64) != 0;
    uint32_t looplen = (flags & 16) && loopend > loopstart ? loopend - loopstart : 0;
    if (!looplen && (flags & 32) && susend > susstart)
    {
        // Only one loop is played: the sustain loop stands in when there is no other.
        loopstart = susstart;
        looplen = susend - susstart;
        bidi = (flags & 128) != 0;
    }
    const uint32_t bytes = sixteen ? 2 : 1;
    // No more samples than the data can hold: plain ones byte for byte,
    // compressed ones at least one bit each.
    const uint32_t available = pointer < file.Size() ? file.Size() - pointer : 0;
    length = static_cast<uint32_t>(std::min<uint64_t>(length, (flags & 8) ? uint64_t(available) * 8 : available / bytes));
    std::vector<uint8_t> data(static_cast<size_t>(length) * bytes);
    if (length && pointer < file.Size())
    {
        const uint8_t* src = file.At(pointer);
        if (flags & 8)
        {
            const bool it215 = (convert & 4) != 0;
            if (sixteen)
                AUMUS_IT_Decompress16(src, available, data.data(), static_cast<int>(length), it215);
            else
                AUMUS_IT_Decompress8(src, available, data.data(), static_cast<int>(length), it215);
        }
        else
        {
            std::memcpy(data.data(), src, std::min<size_t>(data.size(), available));
            if (!(convert & 1))
            {
                for (uint32_t i = 0; i < length; ++i)
                    data[i * bytes + bytes - 1] ^= 0x80;
            }
        }
    }
    else
    {
        length = 0;
    }
    AUSND_SAMPLE* sample = AUMUS_MakeSample(data.data(), length, sixteen, loopstart, looplen, bidi,
                                            c5speed > 0 ? c5speed : 8363, volume);
    if (!sample)
        return false;
    std::memcpy(sample->name, name, 27);
    song->samples[index] = sample;
    return true;
}

uint8_t Note(uint8_t b)
{
    // The file's C-5 (60) plays a sample at its own speed, as note 49 does here.
    if (b < AUMUS_NOTE_MAX)
        return static_cast<uint8_t>(std::max(b - 11, 1));
    if (b == 255)
        return AUMUS_NOTE_OFF;
    if (b == 254)
        return AUMUS_NOTE_CUT;
    return AUMUS_NOTE_FADE;
}

// First pass: the rows of a pattern and the highest channel it uses.
bool ScanPattern(AUMUS_Reader& file, uint32_t offset, int& rows, int& channels)
{
    rows = 64;
    if (offset == 0)
        return true;
    if (!file.Seek(offset) || !file.Has(8))
        return Bad();
    const uint32_t length = file.U16LE();
    rows = file.U16LE();
    if (rows < 1 || rows > 200)
        return Bad();
    file.Skip(4);
    const uint32_t end = std::min(file.Size(), file.Tell() + length);
    uint8_t lastmask[64] = {};
    while (file.Tell() < end)
    {
        const uint8_t var = file.U8();
        if (var == 0)
            continue;
        const int ch = (var - 1) & 63;
        uint8_t mask = lastmask[ch];
        if (var & 128)
            mask = lastmask[ch] = file.U8();
        channels = std::max(channels, ch + 1);
        file.Skip(((mask & 1) ? 1 : 0) + ((mask & 2) ? 1 : 0) + ((mask & 4) ? 1 : 0) + ((mask & 8) ? 2 : 0));
    }
    return true;
}

bool LoadPattern(AUMUS_SONG* song, AUMUS_Reader& file, int index, uint32_t offset, int rows)
{
    if (!AUMUS_AllocPattern(song, index, rows))
        return false;
    if (offset == 0)
        return true;
    file.Seek(offset);
    const uint32_t length = file.U16LE();
    file.Skip(6);
    const uint32_t end = std::min(file.Size(), file.Tell() + length);
    uint8_t lastmask[64] = {};
    uint8_t last[64][AUMUS_CELLSIZE] = {};
    uint8_t* cells = song->patterns[index].cells;
    int row = 0;
    while (file.Tell() < end && row < rows)
    {
        const uint8_t var = file.U8();
        if (var == 0)
        {
            ++row;
            continue;
        }
        const int ch = (var - 1) & 63;
        uint8_t mask = lastmask[ch];
        if (var & 128)
            mask = lastmask[ch] = file.U8();
        uint8_t* remembered = last[ch];
        if (mask & 1)
            remembered[0] = Note(file.U8());
        if (mask & 2)
            remembered[1] = file.U8();
        if (mask & 4)
            remembered[2] = static_cast<uint8_t>(std::min(file.U8() + 1, 255));
        if (mask & 8)
        {
            const uint8_t command = file.U8();
            remembered[3] = command <= 26 ? kEffects[command] : static_cast<uint8_t>(FX_NONE);
            remembered[4] = file.U8();
        }
        if (ch >= song->numchannels)
            continue;
        uint8_t* cell = cells + (static_cast<size_t>(row) * song->numchannels + ch) * AUMUS_CELLSIZE;
        if (mask & (1 | 16))
            cell[0] = remembered[0];
        if (mask & (2 | 32))
            cell[1] = remembered[1];
        if (mask & (4 | 64))
            cell[2] = remembered[2];
        if (mask & (8 | 128))
        {
            cell[3] = remembered[3];
            cell[4] = remembered[4];
        }
    }
    return true;
}
} // namespace

bool AUMUS_LoadIT(AUMUS_SONG* song, AUMUS_Reader& file)
{
    if (!file.Has(4) || std::memcmp(file.At(0), "IMPM", 4) != 0)
        return false;
    if (!file.Has(192))
        return Bad();
    std::memcpy(song->name, file.At(4), 26);
    song->name[26] = 0;
    file.Seek(32);
    const int ordercount = file.U16LE();
    const int instruments = file.U16LE();
    const int samples = file.U16LE();
    const int patterns = file.U16LE();
    file.Skip(4);
    const int flags = file.U16LE();
    file.Skip(2);
    const int globalvolume = file.U8();
    const int mixvolume = file.U8();
    const int speed = file.U8();
    const int tempo = file.U8();
    if (instruments > 255 || samples > 255 || patterns > 256)
        return Bad();
    file.Seek(64);
    uint8_t pans[64], volumes[64];
    file.Read(pans, 64);
    file.Read(volumes, 64);

    // Orders: 255 ends the list, 254 is skipped; at most 256 are kept.
    int orders = 0;
    bool ended = false;
    std::vector<uint16_t> playedbefore(256, 0);
    for (int i = 0; i < ordercount; ++i)
    {
        if (i < 256)
            playedbefore[static_cast<size_t>(i)] = static_cast<uint16_t>(orders);
        const uint8_t o = file.U8();
        if (o == 255)
            ended = true;
        if (ended || o == 254 || orders >= AUMUS_MAXORDERS)
            continue;
        song->orderlist[orders++] = o;
    }
    std::vector<uint32_t> insptr(static_cast<size_t>(instruments));
    std::vector<uint32_t> smpptr(static_cast<size_t>(samples));
    std::vector<uint32_t> patptr(static_cast<size_t>(patterns));
    for (auto& p : insptr)
        p = file.U32LE();
    for (auto& p : smpptr)
        p = file.U32LE();
    for (auto& p : patptr)
        p = file.U32LE();
    if (file.IsShort())
        return Bad();

    int highest = 0;
    for (int i = 0; i < orders; ++i)
        highest = std::max<int>(highest, song->orderlist[i]);
    const int patterncount = std::max(patterns, highest + 1);
    std::vector<int> rows(static_cast<size_t>(patterncount), 64);
    int channels = 1;
    for (int p = 0; p < patterns; ++p)
    {
        if (!ScanPattern(file, patptr[static_cast<size_t>(p)], rows[static_cast<size_t>(p)], channels))
            return false;
    }

    song->type = AUMUS_TYPE_IT;
    song->numorders = orders;
    song->restartorder = 0;
    song->mastervolume = std::min(mixvolume * 2, 256);
    song->defaultspeed = speed ? speed : 6;
    song->defaulttempo = tempo >= 32 ? tempo : 125;
    song->defaultglobalvolume = std::min(globalvolume, 128);
    for (int c = 0; c < 64; ++c)
    {
        song->defaultpan[c] = static_cast<uint8_t>(std::min((pans[c] & 0x7F) > 64 ? 128 : (pans[c] & 0x7F) * 4, 255));
        song->defaultvolume[c] = static_cast<uint8_t>(std::min<int>(volumes[c], 64));
    }
    if (!AUMUS_AllocChannels(song, channels) || !AUMUS_AllocPatterns(song, patterncount) ||
        !AUMUS_AllocSamples(song, samples))
        return false;
    const bool instrumentmode = (flags & IT_INSTRUMENTS) && instruments > 0;
    song->numinstruments = instrumentmode ? instruments : 0;
    AUMUS_PLAYER* player = AUMUS_Player_Create(song, instrumentmode ? instruments : 0);
    if (!player)
        return false;
    player->sampleinfo =
        static_cast<AUMUS_SAMPLEINFO*>(std::calloc(static_cast<size_t>(std::max(samples, 1)), sizeof(AUMUS_SAMPLEINFO)));
    if (!player->sampleinfo)
        return false;
    player->linear = (flags & IT_LINEAR) != 0;
    player->oldeffects = (flags & IT_OLDEFFECTS) != 0;
    player->compatgxx = (flags & IT_COMPATGXX) != 0;
    player->globalvolume_max = 128;
    player->flags = flags;
    for (int i = 0; i < samples; ++i)
    {
        if (!LoadSample(song, player, file, i, smpptr[static_cast<size_t>(i)]))
            return false;
    }
    for (int i = 0; instrumentmode && i < instruments; ++i)
    {
        if (!LoadInstrument(song, player, file, i, insptr[static_cast<size_t>(i)]))
            return false;
    }
    for (int p = 0; p < patterncount; ++p)
    {
        const uint32_t offset = p < patterns ? patptr[static_cast<size_t>(p)] : 0;
        if (!LoadPattern(song, file, p, offset, rows[static_cast<size_t>(p)]))
            return false;
    }
    AUMUS_RemapJumps(song, FX_JUMP, playedbefore.data(), std::min(ordercount, 256));
    return true;
}
