// The MOD loader and player: four to 32 channels of 64-row patterns with the
// Amiga tracker's effects.
#include "aulos/aumus_song.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
const int kRows = 64;
const int kSampleCount = 31;
const int kNoteCount = 132;

int Period(int note, int frequency)
{
    if (note < 1 || frequency <= 0)
        return 0;
    return static_cast<int>(static_cast<int64_t>(AUMUS_PeriodTable[std::min(note, kNoteCount) - 1]) * 8363 /
                            frequency);
}

int ChannelsOfSignature(const uint8_t* sig)
{
    auto digit = [](uint8_t c) { return c >= '0' && c <= '9'; };
    if (!std::memcmp(sig, "M.K.", 4) || !std::memcmp(sig, "M!K!", 4) || !std::memcmp(sig, "FLT4", 4))
        return 4;
    if (!std::memcmp(sig, "6CHN", 4))
        return 6;
    if (!std::memcmp(sig, "8CHN", 4))
        return 8;
    if (!std::memcmp(sig + 1, "CHN", 3) && digit(sig[0]))
        return sig[0] - '0';
    if (!std::memcmp(sig + 2, "CH", 2) && digit(sig[0]) && digit(sig[1]))
        return (sig[0] - '0') * 10 + (sig[1] - '0');
    return -1;
}

int NoteOfPeriod(int period)
{
    if (period == 0)
        return 0;
    for (int i = 0; i < 108; ++i)
    {
        if (AUMUS_PeriodTable[i + 24] <= period)
            return i + 1;
    }
    return 0;
}

AUSND_SAMPLE* SampleOf(AUMUS_SONG* song, const AUMUS_CHANNEL& ch)
{
    if (ch.instrument < song->numsamples && song->samples[ch.instrument])
        return song->samples[ch.instrument];
    return AUMUS_DummySample();
}

AUMUS_VCHANNEL* VoiceOf(AUMUS_CHANNEL& ch)
{
    return ch.vchannels ? ch.vchannels : AUMUS_DummyVirtualChannel();
}

void OutputChannel(AUMUS_SONG* song, AUMUS_CHANNEL& ch)
{
    AUSND_SAMPLE* sample = SampleOf(song, ch);
    for (AUMUS_VCHANNEL* vc = ch.vchannels; vc; vc = vc->next)
        AUMUS_OutputVirtualChannel(song, vc, sample);
}

int WaveValue(int waveform, int position)
{
    switch (waveform & 3)
    {
    case 1:
        return position < 0 ? 255 - (position & 31) * 8 : (position & 31) * 8;
    case 2:
        return 255;
    case 3:
        return std::rand() & 255;
    default:
        return AUMUS_SineTable[position & 31];
    }
}

void VolumeSlide(AUMUS_VCHANNEL* vc, int parameter)
{
    const int x = parameter >> 4;
    const int y = parameter & 15;
    if (x)
        vc->volume = std::min(64, vc->volume + x);
    else
        vc->volume = std::max(0, vc->volume - y);
    vc->flags |= AUMUS_VOLUME;
}

} // namespace

void AUMUS_MOD_Portamento(AUMUS_CHANNEL& ch, AUMUS_VCHANNEL* vc)
{
    const int step = ch.portaspeed * 4;
    if (vc->period < ch.portatarget)
        vc->period = std::min(ch.portatarget, vc->period + step);
    else if (vc->period > ch.portatarget)
        vc->period = std::max(ch.portatarget, vc->period - step);
    vc->flags |= AUMUS_FREQ;
}

void AUMUS_MOD_Vibrato(AUMUS_CHANNEL& ch, AUMUS_VCHANNEL* vc)
{
    const int delta = (WaveValue(ch.wavecontrol & 3, ch.vibpos) * ch.vibdepth) >> 7;
    vc->perioddelta = ch.vibpos < 0 ? -delta * 4 : delta * 4;
    int position = ch.vibpos + ch.vibspeed;
    if (position > 31)
        position -= 64;
    ch.vibpos = static_cast<int8_t>(position);
    vc->flags |= AUMUS_FREQ;
}

void AUMUS_MOD_Tremolo(AUMUS_CHANNEL& ch, AUMUS_VCHANNEL* vc)
{
    const int wave = (ch.wavecontrol >> 4) & 3;
    const int delta = (WaveValue(wave == 3 ? 0 : wave, ch.trempos) * ch.tremdepth) >> 6;
    if (ch.trempos >= 0)
        vc->volumedelta = std::min(delta, 64 - vc->volume);
    else
        vc->volumedelta = -std::min(delta, vc->volume);
    int position = ch.trempos + ch.tremspeed;
    if (position > 31)
        position -= 64;
    ch.trempos = static_cast<int8_t>(position);
    vc->flags |= AUMUS_VOLUME;
}

int AUMUS_MOD_GetAmigaPeriod(int note, int frequency)
{
    return Period(note, frequency);
}

namespace
{
void ExtendedEffect(AUMUS_SONG* song, AUMUS_CHANNEL& ch, AUMUS_VCHANNEL* vc, int x, int y, int savedvol,
                    int savedperiod)
{
    switch (x)
    {
    case 0x1:
        vc->period -= y * 4;
        break;
    case 0x2:
        vc->period += y * 4;
        break;
    case 0x4:
        ch.wavecontrol = static_cast<uint8_t>((ch.wavecontrol & 0xF0) | y);
        break;
    case 0x5:
        SampleOf(song, ch)->deffreq = AUMUS_FineTune2Hz(y);
        break;
    case 0x6:
        if (y == 0)
        {
            ch.looprow = song->row;
            break;
        }
        ch.loopcount = ch.loopcount ? ch.loopcount - 1 : y;
        if (ch.loopcount)
            song->nextrow = ch.looprow;
        break;
    case 0x7:
        ch.wavecontrol = static_cast<uint8_t>((ch.wavecontrol & 0x0F) | (y << 4));
        break;
    case 0x8:
        vc->pan = y * 16;
        vc->flags |= AUMUS_PAN;
        break;
    case 0xA:
        vc->volume = std::min(64, vc->volume + y);
        break;
    case 0xB:
        vc->volume = std::max(0, vc->volume - y);
        break;
    case 0xD:
        vc->volume = savedvol;
        vc->period = savedperiod;
        vc->flags = 0;
        break;
    case 0xE:
        song->patterndelay = y * song->rowspeed;
        break;
    default:
        break;
    }
}

void UpdateNote(AUMUS_SONG* song)
{
    const AUMUS_PATTERN& pattern = song->patterns[song->orderlist[song->order]];
    const uint8_t* cell = pattern.cells + static_cast<size_t>(song->row) * song->numchannels * AUMUS_CELLSIZE;
    bool jumped = false;
    for (int c = 0; c < song->numchannels; ++c, cell += AUMUS_CELLSIZE)
    {
        AUMUS_CHANNEL& ch = song->channels[c];
        const int note = cell[0];
        const int instrument = cell[1];
        const int effect = cell[3];
        const int parameter = cell[4];
        if (instrument)
        {
            ch.instrument = static_cast<uint8_t>(instrument - 1);
            AUMUS_CheckCallback(song, AUMUS_CALLBACK_INSTRUMENT, instrument);
        }
        AUSND_SAMPLE* sample = SampleOf(song, ch);
        AUMUS_VCHANNEL* vc = VoiceOf(ch);
        const int savedvol = vc->volume;
        const int savedperiod = vc->period;
        if (ch.lasteffect == 7 && effect != 7)
            vc->volume += vc->volumedelta;
        ch.lasteffect = static_cast<uint8_t>(effect);
        vc->volumedelta = 0;
        vc->flags = 0;
        if (note)
        {
            vc->flags = AUMUS_STOP;
            if (!ch.vchannels)
            {
                AUMUS_VCHANNEL* spawned = AUMUS_SpawnNewVirtualChannel(song, &ch, sample);
                if (spawned)
                {
                    spawned->volume = vc->volume;
                    spawned->period = vc->period;
                    vc = spawned;
                }
            }
            ch.note = static_cast<uint8_t>(note);
            ch.period = Period(note, sample->deffreq);
            vc->pan = ch.defpan;
            if ((ch.wavecontrol & 0x0F) < 4)
                ch.vibpos = 0;
            if ((ch.wavecontrol >> 4) <= 3)
                ch.trempos = 0;
            if (effect != 3 && effect != 5)
                vc->period = ch.period;
            vc->flags = AUMUS_TRIGGER;
        }
        if (instrument)
            vc->volume = sample->defvol;
        vc->perioddelta = 0;
        vc->flags |= AUMUS_FREQ | AUMUS_VOLUME | AUMUS_PAN;
        const int x = parameter >> 4;
        const int y = parameter & 15;
        switch (effect)
        {
        case 0x3:
            if (parameter)
                ch.portaspeed = parameter;
            ch.portatarget = ch.period;
            vc->flags &= static_cast<uint8_t>(~(AUMUS_TRIGGER | AUMUS_FREQ));
            break;
        case 0x4:
            if (x)
                ch.vibspeed = static_cast<uint8_t>(x);
            if (y)
                ch.vibdepth = static_cast<uint8_t>(y);
            break;
        case 0x5:
            ch.portatarget = ch.period;
            vc->flags &= static_cast<uint8_t>(~(AUMUS_TRIGGER | AUMUS_FREQ));
            break;
        case 0x7:
            if (x)
                ch.tremspeed = static_cast<uint8_t>(x);
            if (y)
                ch.tremdepth = static_cast<uint8_t>(y);
            vc->flags &= static_cast<uint8_t>(~AUMUS_VOLUME);
            break;
        case 0x8:
            vc->pan = parameter * 2;
            vc->flags |= AUMUS_PAN;
            break;
        case 0x9:
        {
            if (parameter)
                ch.sampleoffset = static_cast<uint32_t>(parameter);
            const uint32_t offset = ch.sampleoffset * 256;
            const uint32_t end = sample->loopstart + sample->looplen;
            if (vc->real)
                vc->real->startoffset = offset < end ? offset : (end ? end - 1 : 0);
            break;
        }
        case 0xB:
            song->nextrow = 0;
            song->nextorder = parameter;
            if (song->nextorder >= song->numorders)
            {
                song->nextorder = 0;
                song->finished = 1;
            }
            jumped = true;
            break;
        case 0xC:
            vc->volume = parameter;
            break;
        case 0xD:
            song->nextrow = x * 10 + y;
            if (song->nextrow >= kRows)
                song->nextrow = 0;
            if (!jumped)
            {
                song->nextorder = song->order + 1;
                if (song->nextorder >= song->numorders)
                {
                    song->finished = 1;
                    song->nextorder = 0;
                }
            }
            break;
        case 0xE:
            ExtendedEffect(song, ch, vc, x, y, savedvol, savedperiod);
            break;
        case 0xF:
            if (parameter > 31)
                AUMUS_SetBPM(song, parameter);
            else
                song->rowspeed = parameter;
            break;
        default:
            break;
        }
        OutputChannel(song, ch);
    }
}

void UpdateEffects(AUMUS_SONG* song)
{
    const AUMUS_PATTERN& pattern = song->patterns[song->orderlist[song->order]];
    const uint8_t* cell = pattern.cells + static_cast<size_t>(song->row) * song->numchannels * AUMUS_CELLSIZE;
    for (int c = 0; c < song->numchannels; ++c, cell += AUMUS_CELLSIZE)
    {
        AUMUS_CHANNEL& ch = song->channels[c];
        AUMUS_VCHANNEL* vc = VoiceOf(ch);
        const int effect = cell[3];
        const int parameter = cell[4];
        const int x = parameter >> 4;
        const int y = parameter & 15;
        vc->volumedelta = 0;
        vc->perioddelta = 0;
        vc->flags = 0;
        switch (effect)
        {
        case 0x0:
        {
            // Arpeggio needs a note, and never reads past the period table.
            if (!parameter || ch.note == 0)
                break;
            const int step = song->tickcount % 3;
            const int frequency = SampleOf(song, ch)->deffreq;
            if (step)
            {
                const int target = std::min(ch.note + (step == 1 ? x : y), kNoteCount);
                vc->perioddelta = Period(target, frequency) - Period(ch.note, frequency);
            }
            vc->flags |= AUMUS_FREQ;
            break;
        }
        case 0x1:
            vc->period = std::max(56, vc->period - parameter * 4);
            vc->flags |= AUMUS_FREQ;
            break;
        case 0x2:
            vc->period += parameter * 4;
            vc->flags |= AUMUS_FREQ;
            break;
        case 0x3:
            AUMUS_MOD_Portamento(ch, vc);
            break;
        case 0x4:
            AUMUS_MOD_Vibrato(ch, vc);
            break;
        case 0x5:
            AUMUS_MOD_Portamento(ch, vc);
            VolumeSlide(vc, parameter);
            break;
        case 0x6:
            AUMUS_MOD_Vibrato(ch, vc);
            VolumeSlide(vc, parameter);
            break;
        case 0x7:
            AUMUS_MOD_Tremolo(ch, vc);
            break;
        case 0xA:
            VolumeSlide(vc, parameter);
            break;
        case 0xE:
            if (x == 0x9 && y && song->tickcount % y == 0)
                vc->flags = AUMUS_TRIGGER | AUMUS_VOLUME | AUMUS_PAN;
            else if (x == 0xC && song->tickcount == y)
            {
                vc->volume = 0;
                vc->flags |= AUMUS_VOLUME;
            }
            else if (x == 0xD && song->tickcount == y)
            {
                if (!ch.vchannels)
                {
                    AUMUS_VCHANNEL* spawned = AUMUS_SpawnNewVirtualChannel(song, &ch, SampleOf(song, ch));
                    if (spawned)
                        vc = spawned;
                }
                if (cell[1])
                    vc->volume = SampleOf(song, ch)->defvol;
                vc->pan = ch.defpan;
                vc->period = ch.period;
                vc->flags |= AUMUS_TRIGGER | AUMUS_FREQ | AUMUS_PAN | AUMUS_VOLUME;
            }
            break;
        default:
            break;
        }
        OutputChannel(song, ch);
    }
}

void UpdateMOD(SongRecord* record)
{
    AUMUS_SONG* song = static_cast<AUMUS_SONG*>(record);
    if (song->tickcount != 0)
    {
        if (song->tickcount > 0)
            UpdateEffects(song);
    }
    else
    {
        if (!AUMUS_StartRow(song))
            return;
        UpdateNote(song);
        AUMUS_AdvanceRow(song);
    }
    AUMUS_AdvanceTick(song);
}

bool LoadSamples(AUMUS_SONG* song, AUMUS_Reader& file, const uint8_t headers[kSampleCount][30],
                 uint32_t patternend)
{
    uint64_t total = 0;
    uint32_t lengths[kSampleCount];
    for (int i = 0; i < kSampleCount; ++i)
    {
        lengths[i] = ((static_cast<uint32_t>(headers[i][22]) << 8) | headers[i][23]) * 2u;
        total += lengths[i];
    }
    // Some writers leave junk between the patterns and the samples: then the samples end the file.
    uint32_t position = patternend;
    if (file.Size() > total + 1080 && file.Size() < patternend + total)
        position = static_cast<uint32_t>(file.Size() - total);
    file.Seek(position);
    std::vector<uint8_t> scratch;
    for (int i = 0; i < kSampleCount; ++i)
    {
        const uint8_t* h = headers[i];
        const uint32_t loopstart = ((static_cast<uint32_t>(h[26]) << 8) | h[27]) * 2u;
        uint32_t looplen = ((static_cast<uint32_t>(h[28]) << 8) | h[29]) * 2u;
        scratch.resize(lengths[i]);
        file.Read(scratch.data(), lengths[i]); // a cut-off sample plays silence where its data is missing
        if (looplen < 3)
            looplen = 0;
        AUSND_SAMPLE* sample = AUMUS_MakeSample(scratch.data(), lengths[i], false, loopstart, looplen, false,
                                                AUMUS_FineTune2Hz(h[24] & 15), std::min<int>(h[25], 64));
        if (!sample)
            return false;
        std::memcpy(sample->name, h, 22);
        sample->name[22] = 0;
        for (int k = 0; k < 22; ++k)
        {
            if (static_cast<uint8_t>(sample->name[k]) < 32)
                sample->name[k] = 0;
        }
        song->samples[i] = sample;
    }
    return true;
}
} // namespace

bool AUMUS_LoadMOD(AUMUS_SONG* song, AUMUS_Reader& file)
{
    if (!file.Has(1084))
        return false;
    const int channels = ChannelsOfSignature(file.At(1080));
    if (channels < 1 || channels > 32)
        return false;
    std::memcpy(song->name, file.At(0), 20);
    song->name[20] = 0;
    uint8_t headers[kSampleCount][30];
    file.Seek(20);
    file.Read(headers, sizeof(headers));
    const int orders = file.At(950)[0];
    int patterns = 0;
    for (int i = 0; i < 128; ++i)
        patterns = std::max(patterns, file.At(952)[i] + 1);
    if (orders < 1 || orders > 128)
    {
        AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
        return false;
    }
    std::memcpy(song->orderlist, file.At(952), 128);
    song->type = AUMUS_TYPE_MOD;
    song->numorders = orders;
    song->restartorder = 0;
    song->mastervolume = 256;
    song->defaultspeed = 6;
    song->defaulttempo = 125;
    song->defaultglobalvolume = 64;
    for (int c = 0; c < 64; ++c)
    {
        song->defaultpan[c] = (c & 3) == 0 || (c & 3) == 3 ? 0 : 255;
        song->defaultvolume[c] = 64;
    }
    if (!AUMUS_AllocChannels(song, channels) || !AUMUS_AllocPatterns(song, patterns) ||
        !AUMUS_AllocSamples(song, kSampleCount))
        return false;
    file.Seek(1084);
    const uint32_t patternbytes = static_cast<uint32_t>(kRows * channels * 4);
    if (!file.Has(patternbytes * static_cast<uint32_t>(patterns)))
    {
        AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
        return false;
    }
    for (int p = 0; p < patterns; ++p)
    {
        if (!AUMUS_AllocPattern(song, p, kRows))
            return false;
        uint8_t* cell = song->patterns[p].cells;
        for (int i = 0; i < kRows * channels; ++i, cell += AUMUS_CELLSIZE)
        {
            uint8_t b[4];
            file.Read(b, 4);
            cell[0] = static_cast<uint8_t>(NoteOfPeriod(((b[0] & 0x0F) << 8) | b[1]));
            cell[1] = static_cast<uint8_t>((b[0] & 0xF0) | (b[2] >> 4));
            cell[2] = 0;
            cell[3] = b[2] & 0x0F;
            cell[4] = b[3];
        }
    }
    if (!LoadSamples(song, file, headers, file.Tell()))
        return false;
    song->tick = UpdateMOD;
    return true;
}
