#include "aulos/aumus_player.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
const int kClock = 14317056;
const int kLinearC5 = 4608; // linear period of note 49, the sample's own frequency

struct PlayerWork
{
    AUMUS_PLAYER player;
};

void FreePlayer(void* work)
{
    AUMUS_PLAYER* p = static_cast<AUMUS_PLAYER*>(work);
    std::free(p->instruments);
    std::free(p->sampleinfo);
    std::free(p->voices);
    std::free(p);
}

int Clamp(int v, int lo, int hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

bool IsIT(const AUMUS_SONG* song)
{
    return song->type == AUMUS_TYPE_IT;
}

bool IsXM(const AUMUS_SONG* song)
{
    return song->type == AUMUS_TYPE_XM;
}

const int8_t* FineSine()
{
    static int8_t table[256];
    static bool built = false;
    if (!built)
    {
        for (int i = 0; i < 256; ++i)
            table[i] = static_cast<int8_t>(std::lround(64.0 * std::sin(2.0 * 3.14159265358979323846 * i / 256.0)));
        built = true;
    }
    return table;
}

// The MOD-style waves over a position of -32..31.
int Wave(int waveform, int position)
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

int SignedWave(int waveform, int position)
{
    const int value = Wave(waveform, position);
    return position < 0 ? -value : value;
}

int StepPosition(int position, int speed)
{
    position += speed;
    while (position > 31)
        position -= 64;
    return position;
}

AUSND_SAMPLE* SongSample(AUMUS_SONG* song, int number)
{
    if (number < 1 || number > song->numsamples)
        return nullptr;
    return song->samples[number - 1];
}

int EnvelopeValue(const AUMUS_ENVELOPE& env, int pos)
{
    if (env.points == 0)
        return 0;
    if (pos <= env.tick[0])
        return env.value[0];
    for (int i = 1; i < env.points; ++i)
    {
        if (pos > env.tick[i])
            continue;
        const int t0 = env.tick[i - 1];
        const int t1 = env.tick[i];
        if (t1 <= t0)
            return env.value[i];
        return env.value[i - 1] + (env.value[i] - env.value[i - 1]) * (pos - t0) / (t1 - t0);
    }
    return env.value[env.points - 1];
}

// Moves an envelope on by one tick, holding at the sustain and wrapping at the loop.
void AdvanceEnvelope(const AUMUS_ENVELOPE& env, int& pos, bool keyoff, bool xm)
{
    if (!(env.flags & AUMUS_ENV_ON) || env.points == 0)
        return;
    if ((env.flags & AUMUS_ENV_SUSTAIN) && !keyoff)
    {
        const int start = env.tick[env.sustainstart];
        const int end = env.tick[env.sustainend];
        if (xm && pos == end)
            return;
        if (!xm && pos >= end)
        {
            pos = start;
            return;
        }
    }
    ++pos;
    if (env.flags & AUMUS_ENV_LOOP)
    {
        const int start = env.tick[env.loopstart];
        const int end = env.tick[env.loopend];
        if (pos > end)
            pos = start;
    }
    const int last = env.tick[env.points - 1];
    if (pos > last)
        pos = last;
}

bool EnvelopeEnded(const AUMUS_ENVELOPE& env, int pos)
{
    return env.points > 0 && pos >= env.tick[env.points - 1] && !(env.flags & AUMUS_ENV_LOOP);
}

int LinearPeriod(int note)
{
    return 7680 - (note - 1) * 64;
}

void ResetVoice(AUMUS_VOICE& v)
{
    v.envpos[0] = v.envpos[1] = v.envpos[2] = 0;
    v.keyoff = 0;
    v.fading = 0;
    v.background = 0;
    v.fadevolume = 65536;
    v.autovibpos = 0;
    v.autovibsweep = 0;
}

struct Context
{
    AUMUS_SONG* song;
    AUMUS_PLAYER* player;
};

AUMUS_VOICE* VoiceOf(Context& cx, AUMUS_VCHANNEL* vc)
{
    if (!vc || !vc->real || vc->index < 0 || vc->index >= cx.song->numvtable)
        return nullptr;
    return &cx.player->voices[vc->index];
}

int Memory(AUMUS_PLAYERCHANNEL& pc, int slot, int parameter)
{
    if (parameter)
        pc.memory[slot] = static_cast<uint8_t>(parameter);
    return pc.memory[slot];
}

// ---------------------------------------------------------------- note handling

AUSND_SAMPLE* SampleForNote(Context& cx, AUMUS_PLAYERCHANNEL& pc, int note, int& sampleindex, int& played)
{
    played = note;
    sampleindex = 0;
    if (!pc.instrument)
        return nullptr;
    if (!cx.player->instrumentmode)
    {
        sampleindex = pc.instrument;
        return SongSample(cx.song, pc.instrument);
    }
    if (pc.instrument > cx.song->numinstruments || note < 1 || note > AUMUS_NOTE_MAX)
        return nullptr;
    const AUMUS_INSTRUMENT& ins = cx.player->instruments[pc.instrument - 1];
    sampleindex = ins.notesample[note - 1];
    if (IsIT(cx.song) && ins.notemap[note - 1] >= 1 && ins.notemap[note - 1] <= AUMUS_NOTE_MAX)
        played = ins.notemap[note - 1];
    return SongSample(cx.song, sampleindex);
}

const AUMUS_INSTRUMENT* InstrumentOf(Context& cx, int number)
{
    if (!cx.player->instrumentmode || number < 1 || number > cx.song->numinstruments)
        return nullptr;
    return &cx.player->instruments[number - 1];
}

int PanOf(Context& cx, int sampleindex, const AUMUS_INSTRUMENT* ins, int fallback)
{
    if (sampleindex >= 1 && sampleindex <= cx.song->numsamples && cx.player->sampleinfo[sampleindex - 1].defpan >= 0)
        return cx.player->sampleinfo[sampleindex - 1].defpan;
    if (ins && ins->defpan >= 0)
        return ins->defpan;
    return fallback;
}

int NotePeriodFor(Context& cx, int note, const AUSND_SAMPLE* sample)
{
    return AUMUS_Player_NotePeriod(cx.player, note, sample ? sample->deffreq : 8363);
}

// A new note on an IT channel whose voice keeps sounding: the voice goes to the background.
void PushBackground(Context& cx, int c, AUMUS_PLAYERCHANNEL& pc, int action)
{
    AUMUS_VOICE* old = VoiceOf(cx, pc.vc);
    if (!old || !pc.vc->real || !pc.vc->real->ops.IsPlaying(pc.vc->real))
        return;
    if (action == 0)
    {
        AUMUS_ReleaseVirtualChannel(&cx.song->channels[c], pc.vc);
        pc.vc = nullptr;
        pc.voice = nullptr;
        return;
    }
    old->background = 1;
    old->notevolume = pc.volume;
    old->pan = pc.pan;
    old->period = pc.period;
    old->channelvolume = pc.channelvolume;
    old->cutoff = pc.cutoff;
    old->resonance = pc.resonance;
    if (action == 2)
        old->keyoff = 1;
    if (action == 3 || (action == 2 && old->instrument && !(old->instrument->envelopes[0].flags & AUMUS_ENV_ON)))
        old->fading = 1;
    pc.vc = nullptr;
    pc.voice = nullptr;
}

// Note off for an IT voice: the envelope is released, and with no volume
// envelope (or a looped one) the voice fades at once.
void ReleaseITVoice(AUMUS_VOICE& v)
{
    v.keyoff = 1;
    const bool envelope = v.instrument && (v.instrument->envelopes[0].flags & AUMUS_ENV_ON);
    if (!envelope || (v.instrument->envelopes[0].flags & AUMUS_ENV_LOOP))
        v.fading = 1;
}

bool IsDuplicate(const AUMUS_VOICE& v, const AUMUS_INSTRUMENT& ins, int note, int sampleindex)
{
    if (v.instrument != &ins)
        return false;
    switch (ins.dct)
    {
    case 1:
        return v.note == note;
    case 2:
        return v.sampleindex == sampleindex;
    case 3:
        return true;
    default:
        return false;
    }
}

// IT's duplicate check: the channel's voices of the same instrument that
// match the new note by note, sample or instrument are cut, released or faded.
void DuplicateCheck(Context& cx, int c, AUMUS_PLAYERCHANNEL& pc, const AUMUS_INSTRUMENT& ins, int note,
                    int sampleindex)
{
    AUMUS_CHANNEL& mc = cx.song->channels[c];
    for (AUMUS_VCHANNEL* vc = mc.vchannels; vc;)
    {
        AUMUS_VCHANNEL* next = vc->next;
        AUMUS_VOICE* v = VoiceOf(cx, vc);
        if (!v || !IsDuplicate(*v, ins, note, sampleindex))
        {
            vc = next;
            continue;
        }
        if (ins.dca == 0)
        {
            if (vc == pc.vc)
            {
                pc.vc = nullptr;
                pc.voice = nullptr;
            }
            AUMUS_ReleaseVirtualChannel(&mc, vc);
        }
        else if (ins.dca == 1)
            ReleaseITVoice(*v);
        else
            v->fading = 1;
        vc = next;
    }
}

// A signed random value of -range..range from the player's own generator.
int Swing(AUMUS_PLAYER* player, int range)
{
    if (range <= 0)
        return 0;
    player->random = player->random * 1103515245u + 12345u;
    return static_cast<int>((player->random >> 16) % static_cast<uint32_t>(2 * range + 1)) - range;
}

// IT instruments vary each note's volume and pan at random, and move the pan
// with the pitch away from the pitch-pan centre.
void StartITVoice(Context& cx, AUMUS_PLAYERCHANNEL& pc, AUMUS_VOICE& v, const AUMUS_INSTRUMENT* ins, int played)
{
    v.volumeswing = 0;
    v.panoffset = 0;
    if (!ins)
        return;
    v.volumeswing = Swing(cx.player, ins->volumeswing);
    v.panoffset = Swing(cx.player, ins->panswing) * 4;
    // Notes here are eleven below the file's numbering, in which the centre is given.
    v.panoffset += (played + 11 - ins->pitchpancentre) * ins->pitchpansep / 2;
    if (ins->cutoff >= 0)
        pc.cutoff = ins->cutoff;
    if (ins->resonance >= 0)
        pc.resonance = ins->resonance;
}

void TriggerNote(Context& cx, int c, AUMUS_PLAYERCHANNEL& pc, int note, bool porta)
{
    int sampleindex = 0;
    int played = note;
    AUSND_SAMPLE* sample = SampleForNote(cx, pc, note, sampleindex, played);
    const AUMUS_INSTRUMENT* ins = InstrumentOf(cx, pc.instrument);
    if (porta && pc.voice && pc.voice->sample)
    {
        pc.portatarget = NotePeriodFor(cx, played, pc.voice->sample);
        pc.note = static_cast<uint8_t>(played);
        return;
    }
    if (!sample || !sample->data)
    {
        if (IsIT(cx.song) || IsXM(cx.song))
        {
            if (pc.vc && pc.vc->real)
                pc.vc->flags |= AUMUS_STOP;
        }
        return;
    }
    if (IsIT(cx.song) && ins && ins->dct)
        DuplicateCheck(cx, c, pc, *ins, note, sampleindex);
    if (IsIT(cx.song) && pc.vc)
        PushBackground(cx, c, pc, ins ? ins->nna : 0);
    if (!pc.vc)
    {
        pc.vc = AUMUS_SpawnNewVirtualChannel(cx.song, &cx.song->channels[c], sample);
        if (!pc.vc)
        {
            pc.voice = nullptr;
            return;
        }
    }
    AUMUS_VOICE* v = VoiceOf(cx, pc.vc);
    if (!v)
        return;
    pc.voice = v;
    ResetVoice(*v);
    v->sample = sample;
    v->sampleindex = sampleindex;
    v->instrument = ins;
    v->note = static_cast<uint8_t>(note);
    if (IsIT(cx.song))
        StartITVoice(cx, pc, *v, ins, played);
    pc.note = static_cast<uint8_t>(played);
    pc.period = NotePeriodFor(cx, played, sample);
    pc.portatarget = pc.period;
    if (!(pc.vibwave & 4))
        pc.vibpos = 0;
    if (!(pc.tremwave & 4))
        pc.trempos = 0;
    pc.tremorcount = 0;
    pc.tremoroff = 0;
    pc.vc->real->startoffset = 0;
    pc.vc->flags |= AUMUS_TRIGGER;
    pc.vc->flags &= static_cast<uint8_t>(~AUMUS_STOP);
}

void KeyOff(Context& cx, AUMUS_PLAYERCHANNEL& pc, bool fromnote)
{
    AUMUS_VOICE* v = pc.voice;
    if (!v)
        return;
    v->keyoff = 1;
    // A key-off note starts the fade on the next tick; the key-off effect at once.
    v->fadeskip = fromnote ? 1 : 0;
    const bool envelope = v->instrument && (v->instrument->envelopes[0].flags & AUMUS_ENV_ON);
    if (IsXM(cx.song))
    {
        v->fading = 1;
        if (!envelope)
            pc.volume = 0;
        return;
    }
    if (!envelope || (v->instrument->envelopes[0].flags & AUMUS_ENV_LOOP))
        v->fading = 1;
}

void NoteCut(AUMUS_PLAYERCHANNEL& pc)
{
    pc.volume = 0;
    if (pc.vc && pc.vc->real)
        pc.vc->flags |= AUMUS_STOP;
}

// ---------------------------------------------------------------- effects

void Slide(Context& cx, AUMUS_PLAYERCHANNEL& pc, int amount)
{
    // Positive amounts lower the pitch (a larger period).
    pc.period += amount;
    if (cx.player->linear)
        pc.period = Clamp(pc.period, -4096, 12000);
    else
        pc.period = Clamp(pc.period, 56, 0x7FFF * 4);
}

void VolumeBy(AUMUS_PLAYERCHANNEL& pc, int amount)
{
    pc.volume = Clamp(pc.volume + amount, 0, 64);
}

// S3M/IT Dxy, on tick 0 (fine forms) or the other ticks.
void S3MVolumeSlide(Context& cx, int param, int& target, int maxvalue, bool tick0)
{
    const int x = param >> 4;
    const int y = param & 15;
    if (x == 0xF && y)
    {
        if (tick0)
            target = Clamp(target - y, 0, maxvalue);
        return;
    }
    if (y == 0xF && x)
    {
        if (tick0)
            target = Clamp(target + x, 0, maxvalue);
        return;
    }
    if (tick0 && !cx.player->fastslides)
        return;
    if (x == 0)
        target = Clamp(target - y, 0, maxvalue);
    else if (y == 0)
        target = Clamp(target + x, 0, maxvalue);
}

// The volume slide that vibrato and tone portamento carry along: XM's Axy
// on the ticks after the first, S3M's and IT's Dxy with its fine forms.
void CarriedVolumeSlide(Context& cx, AUMUS_PLAYERCHANNEL& pc, int param, bool tick0)
{
    if (!IsXM(cx.song))
    {
        S3MVolumeSlide(cx, Memory(pc, FX_S3M_VOLSLIDE, param), pc.volume, 64, tick0);
        return;
    }
    if (tick0)
        return;
    const int p = Memory(pc, FX_XM_VOLSLIDE, param);
    VolumeBy(pc, (p >> 4) ? (p >> 4) : -(p & 15));
}

void S3MPorta(Context& cx, AUMUS_PLAYERCHANNEL& pc, int param, int direction, bool tick0)
{
    if (param >= 0xF0)
    {
        if (tick0)
            Slide(cx, pc, direction * (param & 15) * 4);
        return;
    }
    if (param >= 0xE0)
    {
        if (tick0)
            Slide(cx, pc, direction * (param & 15));
        return;
    }
    if (!tick0)
        Slide(cx, pc, direction * param * 4);
}

void TonePorta(Context& cx, AUMUS_PLAYERCHANNEL& pc)
{
    const int step = pc.portaspeed * 4;
    if (pc.period < pc.portatarget)
        pc.period = std::min(pc.portatarget, pc.period + step);
    else if (pc.period > pc.portatarget)
        pc.period = std::max(pc.portatarget, pc.period - step);
    (void)cx;
}

void Vibrato(AUMUS_PLAYERCHANNEL& pc, int scale)
{
    const int delta = (SignedWave(pc.vibwave, pc.vibpos) * pc.vibdepth) >> 7;
    pc.perioddelta = delta * scale;
    pc.vibpos = StepPosition(pc.vibpos, pc.vibspeed);
}

void Tremolo(AUMUS_PLAYERCHANNEL& pc)
{
    const int delta = (SignedWave(pc.tremwave, pc.trempos) * pc.tremdepth) >> 6;
    pc.voldelta = Clamp(pc.volume + delta, 0, 64) - pc.volume;
    pc.trempos = StepPosition(pc.trempos, pc.tremspeed);
}

void Tremor(AUMUS_PLAYERCHANNEL& pc, int param)
{
    const int on = (param >> 4) + 1;
    const int off = (param & 15) + 1;
    if (pc.tremoroff)
    {
        if (++pc.tremorcount >= off)
        {
            pc.tremorcount = 0;
            pc.tremoroff = 0;
        }
    }
    else if (++pc.tremorcount >= on)
    {
        pc.tremorcount = 0;
        pc.tremoroff = 1;
    }
}

void Retrigger(Context& cx, AUMUS_PLAYERCHANNEL& pc, int param)
{
    const int interval = param & 15;
    if (!interval)
        return;
    if (++pc.retrigcount < interval)
        return;
    pc.retrigcount = 0;
    static const int kAdd[16] = {0, -1, -2, -4, -8, -16, 0, 0, 0, 1, 2, 4, 8, 16, 0, 0};
    const int x = param >> 4;
    if (x == 6)
        pc.volume = pc.volume * 2 / 3;
    else if (x == 7)
        pc.volume /= 2;
    else if (x == 0xE)
        pc.volume = pc.volume * 3 / 2;
    else if (x == 0xF)
        pc.volume *= 2;
    else
        pc.volume += kAdd[x];
    pc.volume = Clamp(pc.volume, 0, 64);
    if (pc.vc && pc.vc->real && pc.voice)
    {
        pc.vc->real->startoffset = 0;
        pc.vc->flags |= AUMUS_TRIGGER;
    }
    (void)cx;
}

void PatternLoop(AUMUS_SONG* song, AUMUS_PLAYERCHANNEL& pc, int y)
{
    if (y == 0)
    {
        pc.looprow = song->row;
        return;
    }
    pc.loopcount = pc.loopcount ? pc.loopcount - 1 : y;
    if (pc.loopcount)
        song->nextrow = pc.looprow;
}

void Break(Context& cx, int row)
{
    AUMUS_SONG* song = cx.song;
    song->nextrow = row;
    if (!cx.player->jumped)
        song->nextorder = song->order + 1;
}

void Jump(Context& cx, int order)
{
    AUMUS_SONG* song = cx.song;
    if (song->nextrow < 0 || !cx.player->jumped)
        song->nextrow = 0;
    song->nextorder = order;
    cx.player->jumped = 1;
}

void SetOffset(Context& cx, AUMUS_PLAYERCHANNEL& pc, uint32_t offset)
{
    if (!pc.vc || !pc.vc->real || !pc.voice || !pc.voice->sample || !(pc.vc->flags & AUMUS_TRIGGER))
        return;
    const AUSND_SAMPLE* s = pc.voice->sample;
    if (offset >= s->length)
    {
        // Past the end: the note is silent (IT and FT2 keep the note; it ends at once).
        offset = (s->mode & (AUSND_LOOP_NORMAL | AUSND_LOOP_BIDI)) ? s->loopstart : s->length - 1;
    }
    pc.vc->real->startoffset = offset;
    (void)cx;
}

void ApplyVolumeColumn(Context& cx, AUMUS_PLAYERCHANNEL& pc, int vol, bool tick0)
{
    if (!vol)
        return;
    AUMUS_SONG* song = cx.song;
    if (IsIT(song))
    {
        const int v = vol - 1;
        if (v <= 64)
        {
            if (tick0)
                pc.volume = v;
        }
        else if (v <= 74)
        {
            if (tick0)
                VolumeBy(pc, Memory(pc, 30, v - 65) );
        }
        else if (v <= 84)
        {
            if (tick0)
                VolumeBy(pc, -Memory(pc, 30, v - 75));
        }
        else if (v <= 94)
        {
            if (!tick0)
                VolumeBy(pc, Memory(pc, 30, v - 85));
        }
        else if (v <= 104)
        {
            if (!tick0)
                VolumeBy(pc, -Memory(pc, 30, v - 95));
        }
        else if (v <= 114)
        {
            if (!tick0)
                Slide(cx, pc, Memory(pc, FX_S3M_PORTADOWN, (v - 105) * 4) * 4);
        }
        else if (v <= 124)
        {
            if (!tick0)
                Slide(cx, pc, -Memory(pc, FX_S3M_PORTADOWN, (v - 115) * 4) * 4);
        }
        else if (v >= 128 && v <= 192)
        {
            if (tick0)
                pc.pan = Clamp((v - 128) * 4, 0, 255);
        }
        else if (v >= 193 && v <= 202)
        {
            static const uint8_t kSpeeds[10] = {0, 1, 4, 8, 16, 32, 64, 96, 128, 255};
            if (tick0 && v > 193)
                pc.portaspeed = kSpeeds[v - 193];
            if (!tick0)
                TonePorta(cx, pc);
        }
        else if (v >= 203 && v <= 212)
        {
            if (tick0 && v > 203)
                pc.vibdepth = (v - 203) * 4;
            if (!tick0)
                Vibrato(pc, 1);
        }
        return;
    }
    // XM-style column (S3M keeps only the set volume).
    const int x = vol >> 4;
    const int y = vol & 15;
    switch (x)
    {
    case 1: case 2: case 3: case 4:
        if (tick0)
            pc.volume = std::min(64, vol - 0x10);
        break;
    case 5:
        if (tick0 && y == 0)
            pc.volume = 64;
        break;
    case 6:
        if (!tick0)
            VolumeBy(pc, -y);
        break;
    case 7:
        if (!tick0)
            VolumeBy(pc, y);
        break;
    case 8:
        if (tick0)
            VolumeBy(pc, -y);
        break;
    case 9:
        if (tick0)
            VolumeBy(pc, y);
        break;
    case 0xA:
        if (tick0 && y)
            pc.vibspeed = y;
        break;
    case 0xB:
        if (tick0 && y)
            pc.vibdepth = y;
        if (!tick0)
            Vibrato(pc, 4);
        break;
    case 0xC:
        if (tick0)
            pc.pan = y * 16;
        break;
    case 0xD:
        if (!tick0)
            pc.pan = Clamp(pc.pan - y, 0, 255);
        break;
    case 0xE:
        if (!tick0)
            pc.pan = Clamp(pc.pan + y, 0, 255);
        break;
    case 0xF:
        if (tick0 && y)
            pc.portaspeed = static_cast<uint8_t>(y * 16);
        if (!tick0)
            TonePorta(cx, pc);
        break;
    default:
        break;
    }
}

void SpecialS(Context& cx, int c, AUMUS_PLAYERCHANNEL& pc, int param, bool tick0)
{
    AUMUS_SONG* song = cx.song;
    const int x = param >> 4;
    const int y = param & 15;
    switch (x)
    {
    case 0x3:
        if (tick0)
            pc.vibwave = static_cast<uint8_t>(y);
        break;
    case 0x4:
        if (tick0)
            pc.tremwave = static_cast<uint8_t>(y);
        break;
    case 0x5:
        if (tick0)
            pc.panbrellowave = static_cast<uint8_t>(y);
        break;
    case 0x6:
        if (tick0)
            song->patterndelay += y;
        break;
    case 0x7:
        if (!tick0)
            break;
        if (y <= 2)
        {
            // Past-note actions: cut, release or fade the channel's background voices.
            AUMUS_CHANNEL& mc = song->channels[c];
            for (AUMUS_VCHANNEL* vc = mc.vchannels; vc;)
            {
                AUMUS_VCHANNEL* next = vc->next;
                AUMUS_VOICE* v = VoiceOf(cx, vc);
                if (v && v->background)
                {
                    if (y == 0)
                        AUMUS_ReleaseVirtualChannel(&mc, vc);
                    else if (y == 1)
                        v->keyoff = 1;
                    else
                        v->fading = 1;
                }
                vc = next;
            }
        }
        break;
    case 0x8:
        if (tick0)
            pc.pan = y * 17;
        break;
    case 0xA:
        if (tick0)
            pc.offsetmemory = (pc.offsetmemory & 0xFFFF) | (static_cast<uint32_t>(y) << 16);
        break;
    case 0xB:
        if (tick0)
            PatternLoop(song, pc, y);
        break;
    case 0xC:
        if (!tick0 && song->tickcount == y)
            NoteCut(pc);
        break;
    case 0xE:
        if (tick0 && !cx.player->rowdelayset)
        {
            // IT repeats the row, counting its ticks afresh; S3M stretches it.
            if (IsIT(song))
                cx.player->rowdelay = y;
            else
                song->patterndelay += y * song->rowspeed;
            cx.player->rowdelayset = true;
        }
        break;
    default:
        break;
    }
}

void XMExtended(Context& cx, AUMUS_PLAYERCHANNEL& pc, int param, bool tick0)
{
    AUMUS_SONG* song = cx.song;
    const int x = param >> 4;
    const int y = param & 15;
    switch (x)
    {
    case 0x1:
        if (tick0)
            Slide(cx, pc, -Memory(pc, 31, y) * 4);
        break;
    case 0x2:
        if (tick0)
            Slide(cx, pc, Memory(pc, 32, y) * 4);
        break;
    case 0x4:
        if (tick0)
            pc.vibwave = static_cast<uint8_t>(y);
        break;
    case 0x6:
        if (tick0)
            PatternLoop(song, pc, y);
        break;
    case 0x7:
        if (tick0)
            pc.tremwave = static_cast<uint8_t>(y);
        break;
    case 0x8:
        if (tick0)
            pc.pan = y * 16;
        break;
    case 0x9:
        if (!tick0 && y && song->tickcount % y == 0 && pc.vc && pc.vc->real && pc.voice)
        {
            pc.vc->real->startoffset = 0;
            pc.vc->flags |= AUMUS_TRIGGER;
        }
        break;
    case 0xA:
        if (tick0)
            VolumeBy(pc, Memory(pc, 33, y));
        break;
    case 0xB:
        if (tick0)
            VolumeBy(pc, -Memory(pc, 34, y));
        break;
    case 0xC:
        if (!tick0 && song->tickcount == y)
            pc.volume = 0;
        break;
    case 0xE:
        if (tick0 && !cx.player->rowdelayset)
        {
            song->patterndelay += y * song->rowspeed;
            cx.player->rowdelayset = true;
        }
        break;
    default:
        break;
    }
}

void ApplyEffect(Context& cx, int c, AUMUS_PLAYERCHANNEL& pc, int effect, int param, bool tick0)
{
    AUMUS_SONG* song = cx.song;
    AUMUS_PLAYER* player = cx.player;
    const bool it = IsIT(song);
    const int gmax = player->globalvolume_max;
    switch (effect)
    {
    case FX_SPEED:
        if (tick0 && param)
            song->rowspeed = param;
        break;
    case FX_JUMP:
        if (tick0)
            Jump(cx, param);
        break;
    case FX_BREAK:
        if (tick0)
            Break(cx, it ? param : (param >> 4) * 10 + (param & 15));
        break;
    case FX_S3M_VOLSLIDE:
        S3MVolumeSlide(cx, Memory(pc, FX_S3M_VOLSLIDE, param), pc.volume, 64, tick0);
        break;
    case FX_S3M_PORTADOWN:
        S3MPorta(cx, pc, Memory(pc, FX_S3M_PORTADOWN, param), 1, tick0);
        break;
    case FX_S3M_PORTAUP:
        S3MPorta(cx, pc, Memory(pc, FX_S3M_PORTADOWN, param), -1, tick0);
        break;
    case FX_TONEPORTA:
        if (tick0)
        {
            if (param)
                pc.portaspeed = static_cast<uint8_t>(param);
        }
        else
            TonePorta(cx, pc);
        break;
    case FX_VIBRATO:
    case FX_FINEVIBRATO:
        if (tick0)
        {
            if (param >> 4)
                pc.vibspeed = param >> 4;
            if (param & 15)
                pc.vibdepth = param & 15;
        }
        else
            Vibrato(pc, effect == FX_VIBRATO ? 4 : 1);
        break;
    case FX_TREMOR:
        if (!tick0)
            Tremor(pc, Memory(pc, FX_TREMOR, param));
        break;
    case FX_ARPEGGIO:
    {
        const int p = it || song->type == AUMUS_TYPE_S3M ? Memory(pc, FX_ARPEGGIO, param) : param;
        if (!p || !pc.voice || tick0)
            break;
        // The XM tracker counts the arpeggio from the row's end.
        const int step = IsXM(song) ? ((song->rowspeed - song->tickcount) % 3 + 3) % 3 : song->tickcount % 3;
        const int semis = step == 0 ? 0 : (step == 1 ? p >> 4 : p & 15);
        if (player->linear)
            pc.perioddelta = -semis * 64;
        else
        {
            const int deffreq = pc.voice->sample ? pc.voice->sample->deffreq : 8363;
            pc.perioddelta = AUMUS_Player_NotePeriod(player, std::min(pc.note + semis, 132), deffreq) -
                             AUMUS_Player_NotePeriod(player, pc.note, deffreq);
        }
        break;
    }
    case FX_VIBRATO_VOLSLIDE:
        if (!tick0)
            Vibrato(pc, 4);
        CarriedVolumeSlide(cx, pc, param, tick0);
        break;
    case FX_PORTA_VOLSLIDE:
        if (!tick0)
            TonePorta(cx, pc);
        CarriedVolumeSlide(cx, pc, param, tick0);
        break;
    case FX_CHANNELVOL:
        if (tick0 && param <= 64)
            pc.channelvolume = param;
        break;
    case FX_CHANNELVOLSLIDE:
        S3MVolumeSlide(cx, Memory(pc, FX_CHANNELVOLSLIDE, param), pc.channelvolume, 64, tick0);
        break;
    case FX_OFFSET:
        if (tick0)
        {
            if (param)
                pc.offsetmemory = (pc.offsetmemory & 0xFF0000) | (static_cast<uint32_t>(param) << 8);
            SetOffset(cx, pc, pc.offsetmemory);
        }
        break;
    case FX_PANSLIDE:
    {
        const int p = Memory(pc, FX_PANSLIDE, param);
        if (IsXM(song))
        {
            if (!tick0)
                pc.pan = Clamp(pc.pan + ((p >> 4) ? (p >> 4) : -(p & 15)), 0, 255);
            break;
        }
        // IT: Px0 left... the pan is in 0-64 steps of 4 here.
        int pan64 = pc.pan / 4;
        const int x = p >> 4;
        const int y = p & 15;
        if (x == 0xF && y)
            pan64 = tick0 ? pan64 + y : pan64;
        else if (y == 0xF && x)
            pan64 = tick0 ? pan64 - x : pan64;
        else if (!tick0)
            pan64 = x ? pan64 - x : pan64 + y;
        pc.pan = Clamp(pan64, 0, 64) * 4;
        pc.pan = std::min(pc.pan, 255);
        break;
    }
    case FX_RETRIG:
        if (tick0)
        {
            Memory(pc, FX_RETRIG, param);
            break;
        }
        Retrigger(cx, pc, pc.memory[FX_RETRIG]);
        break;
    case FX_TREMOLO:
        if (tick0)
        {
            if (param >> 4)
                pc.tremspeed = param >> 4;
            if (param & 15)
                pc.tremdepth = param & 15;
        }
        else
            Tremolo(pc);
        break;
    case FX_S3M_SPECIAL:
        SpecialS(cx, c, pc, Memory(pc, FX_S3M_SPECIAL, param), tick0);
        break;
    case FX_TEMPO:
        if (tick0 && param >= 0x20)
            AUMUS_SetBPM(song, param);
        else if (!tick0 && it && param < 0x20)
        {
            const int p = Memory(pc, FX_TEMPO, param);
            const int tempo = static_cast<int>(song->bpm) + ((p >> 4) ? (p & 15) : -(p & 15));
            AUMUS_SetBPM(song, Clamp(tempo, 32, 255));
        }
        break;
    case FX_GLOBALVOL:
        if (tick0 && param <= gmax)
            song->globalvolume = param;
        break;
    case FX_GLOBALVOLSLIDE:
    {
        const int p = Memory(pc, FX_GLOBALVOLSLIDE, param);
        if (IsXM(song))
        {
            if (!tick0)
                song->globalvolume = Clamp(song->globalvolume + ((p >> 4) ? (p >> 4) : -(p & 15)), 0, gmax);
        }
        else
            S3MVolumeSlide(cx, p, song->globalvolume, gmax, tick0);
        break;
    }
    case FX_PAN:
        if (tick0)
            pc.pan = song->type == AUMUS_TYPE_S3M ? Clamp(param * 2, 0, 255) : param;
        break;
    case FX_PANBRELLO:
        if (tick0)
        {
            if (param >> 4)
                pc.panbrellospeed = param >> 4;
            if (param & 15)
                pc.panbrellodepth = param & 15;
        }
        else
        {
            pc.pandelta = (FineSine()[pc.panbrellopos & 255] * pc.panbrellodepth) >> 3;
            pc.panbrellopos += pc.panbrellospeed;
        }
        break;
    case FX_ZXX:
        if (!tick0)
            break;
        AUMUS_CheckCallback(song, AUMUS_CALLBACK_ZXX, param);
        // IT's default macros: Z00-Z7F set the filter cutoff, Z80-Z8F the resonance.
        if (it && param < 0x80)
            pc.cutoff = param;
        else if (it && param < 0x90)
            pc.resonance = (param & 15) * 8;
        break;
    case FX_XM_PORTAUP:
        if (!tick0)
            Slide(cx, pc, -Memory(pc, FX_XM_PORTAUP, param) * 4);
        break;
    case FX_XM_PORTADOWN:
        if (!tick0)
            Slide(cx, pc, Memory(pc, FX_XM_PORTADOWN, param) * 4);
        break;
    case FX_XM_VOLSLIDE:
    {
        const int p = Memory(pc, FX_XM_VOLSLIDE, param);
        if (!tick0)
            VolumeBy(pc, (p >> 4) ? (p >> 4) : -(p & 15));
        break;
    }
    case FX_XM_EXTENDED:
        XMExtended(cx, pc, param, tick0);
        break;
    case FX_XM_SETVOL:
        if (tick0)
            pc.volume = std::min(param, 64);
        break;
    case FX_XM_KEYOFF:
        if (song->tickcount == param)
            KeyOff(cx, pc, false);
        break;
    case FX_XM_ENVPOS:
        if (tick0 && pc.voice)
            pc.voice->envpos[0] = pc.voice->envpos[1] = param;
        break;
    case FX_XM_EXTRAFINE:
        if (tick0)
        {
            const int x = param >> 4;
            if (x == 1)
                Slide(cx, pc, -Memory(pc, 35, param & 15));
            else if (x == 2)
                Slide(cx, pc, Memory(pc, 36, param & 15));
        }
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- rows and ticks

void PlayCell(Context& cx, int c, const uint8_t* cell)
{
    AUMUS_PLAYERCHANNEL& pc = cx.player->channels[c];
    AUMUS_SONG* song = cx.song;
    const int note = cell[0];
    const int instrument = cell[1];
    const int effect = cell[3];
    const int param = cell[4];
    const bool porta = effect == FX_TONEPORTA || effect == FX_PORTA_VOLSLIDE ||
                       (IsXM(song) && (cell[2] >> 4) == 0xF) ||
                       (IsIT(song) && cell[2] >= 194 && cell[2] <= 203);
    if (instrument)
    {
        AUMUS_CheckCallback(song, AUMUS_CALLBACK_INSTRUMENT, instrument);
        pc.instrument = static_cast<uint8_t>(instrument);
        int sampleindex = 0;
        int played = 0;
        const int lookup = note >= 1 && note <= AUMUS_NOTE_MAX ? note : (pc.note ? pc.note : 49);
        AUSND_SAMPLE* sample = SampleForNote(cx, pc, lookup, sampleindex, played);
        if (sample)
        {
            pc.volume = std::min(sample->defvol, 64);
            const AUMUS_INSTRUMENT* ins = InstrumentOf(cx, instrument);
            pc.pan = PanOf(cx, sampleindex, ins, pc.pan);
        }
        if (IsXM(song) && pc.voice && !(note >= 1 && note <= AUMUS_NOTE_MAX) && note != AUMUS_NOTE_OFF)
        {
            // An instrument alone restarts the envelopes and cancels a release.
            pc.voice->envpos[0] = pc.voice->envpos[1] = pc.voice->envpos[2] = 0;
            pc.voice->keyoff = 0;
            pc.voice->fading = 0;
            pc.voice->fadevolume = 65536;
        }
    }
    if (note >= 1 && note <= AUMUS_NOTE_MAX)
        TriggerNote(cx, c, pc, note, porta);
    else if (note == AUMUS_NOTE_OFF)
        KeyOff(cx, pc, true);
    else if (note == AUMUS_NOTE_CUT)
        NoteCut(pc);
    else if (note == AUMUS_NOTE_FADE && pc.voice)
        pc.voice->fading = 1;
    ApplyVolumeColumn(cx, pc, cell[2], true);
    ApplyEffect(cx, c, pc, effect, param, true);
}

bool IsNoteDelay(const AUMUS_SONG* song, int effect, int param)
{
    if ((param >> 4) != 0xD || (param & 15) == 0)
        return false;
    return (effect == FX_S3M_SPECIAL && song->type != AUMUS_TYPE_XM) || effect == FX_XM_EXTENDED;
}

// Final volume, pan and pitch of one voice, then its output.
void OutputVoice(Context& cx, AUMUS_PLAYERCHANNEL* pc, AUMUS_VCHANNEL* vc, AUMUS_VOICE& v)
{
    AUMUS_SONG* song = cx.song;
    AUMUS_PLAYER* player = cx.player;
    const bool xm = IsXM(song);
    const AUMUS_INSTRUMENT* ins = v.instrument;
    int volume = pc ? Clamp(pc->volume + pc->voldelta, 0, 64) : v.notevolume;
    if (pc && pc->tremoroff)
        volume = 0;
    int pan = pc ? Clamp(pc->pan + pc->pandelta, 0, 255) : v.pan;
    int cutoff = pc ? pc->cutoff : v.cutoff;
    const int resonance = pc ? pc->resonance : v.resonance;
    bool filtered = false;
    if (IsIT(song))
    {
        volume = Clamp(volume * (100 + v.volumeswing) / 100, 0, 64);
        pan = Clamp(pan + v.panoffset, 0, 255);
    }
    int period = pc ? pc->period + pc->perioddelta : v.period;
    int64_t scaled = static_cast<int64_t>(volume) << 16; // 0-64 << 16
    if (ins)
    {
        const AUMUS_ENVELOPE& venv = ins->envelopes[0];
        if (venv.flags & AUMUS_ENV_ON)
        {
            scaled = scaled * EnvelopeValue(venv, v.envpos[0]) / 64;
            if (!xm && EnvelopeEnded(venv, v.envpos[0]) && EnvelopeValue(venv, v.envpos[0]) == 0)
                vc->flags |= AUMUS_STOP;
            if (!xm && EnvelopeEnded(venv, v.envpos[0]))
                v.fading = 1;
        }
        const AUMUS_ENVELOPE& penv = ins->envelopes[1];
        if (penv.flags & AUMUS_ENV_ON)
        {
            const int e = EnvelopeValue(penv, v.envpos[1]); // -32..32
            pan = pan + (e * (pan > 127 ? 255 - pan : pan)) / 32;
        }
        const AUMUS_ENVELOPE& fenv = ins->envelopes[2];
        if ((fenv.flags & AUMUS_ENV_ON) && !(fenv.flags & AUMUS_ENV_FILTER))
        {
            const int e = EnvelopeValue(fenv, v.envpos[2]); // half-semitones -32..32
            period += player->linear ? -e * 32 : -(period * e) / 96;
        }
        else if (fenv.flags & AUMUS_ENV_ON)
        {
            // A filter envelope takes the cutoff from nothing (-32) to its full value (32).
            cutoff = cutoff * (EnvelopeValue(fenv, v.envpos[2]) + 32) / 64;
            filtered = true;
        }
        for (int i = 0; i < 3; ++i)
            AdvanceEnvelope(ins->envelopes[i], v.envpos[i], v.keyoff != 0, xm);
        if (v.fading && !v.fadeskip)
        {
            v.fadevolume = std::max(0, v.fadevolume - ins->fadeout);
            if (v.fadevolume == 0 && !xm)
                vc->flags |= AUMUS_STOP;
        }
        v.fadeskip = 0;
        scaled = scaled * v.fadevolume / 65536;
        if (!xm)
            scaled = scaled * ins->globalvolume / 128;
        // Auto-vibrato (XM instrument, IT sample).
        uint8_t vtype = ins->vibtype, vsweep = ins->vibsweep, vdepth = ins->vibdepth, vrate = ins->vibrate;
        if (IsIT(song) && v.sampleindex >= 1 && v.sampleindex <= song->numsamples)
        {
            const AUMUS_SAMPLEINFO& si = player->sampleinfo[v.sampleindex - 1];
            vtype = si.vibtype;
            vsweep = si.vibsweep;
            vdepth = si.vibdepth;
            vrate = si.vibrate;
        }
        if (vdepth && vrate)
        {
            int depth = vdepth;
            if (vsweep)
            {
                v.autovibsweep = std::min(v.autovibsweep + vsweep, 256 * 256);
                depth = vdepth * std::min(v.autovibsweep, 256) / 256;
            }
            int wave = FineSine()[v.autovibpos & 255];
            if (vtype == 1)
                wave = (v.autovibpos & 128) ? -64 : 64;
            else if (vtype == 2)
                wave = 64 - ((v.autovibpos & 255) >> 1);
            else if (vtype == 3)
                wave = ((v.autovibpos & 255) >> 1) - 64;
            period += (wave * depth) >> 6;
            v.autovibpos += vrate;
        }
    }
    else if (v.fading && !xm)
    {
        v.fadevolume = 0;
    }
    if (v.sampleindex >= 1 && v.sampleindex <= song->numsamples)
        scaled = scaled * player->sampleinfo[v.sampleindex - 1].globalvolume / 64;
    const int channelvolume = pc ? pc->channelvolume : v.channelvolume;
    scaled = scaled * channelvolume / 64;
    scaled = scaled * Clamp(song->globalvolume, 0, player->globalvolume_max) / player->globalvolume_max;
    vc->volume = static_cast<int32_t>(scaled >> 16);
    vc->volumedelta = 0;
    vc->pan = Clamp(pan, 0, 255);
    const int deffreq = v.sample ? v.sample->deffreq : 8363;
    int outperiod = period;
    if (player->linear)
    {
        const double freq = deffreq * std::pow(2.0, (kLinearC5 - period) / 768.0);
        outperiod = freq > 1.0 ? static_cast<int>(kClock / freq) : 0;
    }
    vc->period = std::max(outperiod, 1);
    vc->perioddelta = 0;
    vc->flags |= AUMUS_FREQ | AUMUS_VOLUME | AUMUS_PAN;
    AUMUS_OutputVirtualChannel(song, vc, v.sample ? v.sample : AUMUS_DummySample());
    vc->flags = 0;
    if (IsIT(song) && vc->real)
    {
        // An open filter with no resonance is no filter at all.
        filtered = filtered || cutoff < 127 || resonance > 0;
        AUSND_Software_SetChannelFilter(vc->real, filtered ? cutoff : -1, resonance);
    }
}

// Each channel is sent out right after its own effects, as the trackers do:
// a global volume change reaches the channels after the one that made it first.
void OutputChannel(Context& cx, int c)
{
    AUMUS_SONG* song = cx.song;
    {
        AUMUS_CHANNEL& mc = song->channels[c];
        AUMUS_PLAYERCHANNEL& pc = cx.player->channels[c];
        for (AUMUS_VCHANNEL* vc = mc.vchannels; vc;)
        {
            AUMUS_VCHANNEL* next = vc->next;
            AUMUS_VOICE* v = VoiceOf(cx, vc);
            if (!v)
            {
                vc = next;
                continue;
            }
            const bool foreground = vc == pc.vc;
            const bool stopped = !(vc->flags & AUMUS_TRIGGER) && !vc->real->ops.IsPlaying(vc->real);
            if (!foreground && (stopped || (v->fading && v->fadevolume == 0)))
            {
                AUMUS_ReleaseVirtualChannel(&mc, vc);
                vc = next;
                continue;
            }
            OutputVoice(cx, foreground ? &pc : nullptr, vc, *v);
            vc = next;
        }
    }
}

void ResetDeltas(Context& cx)
{
    for (int c = 0; c < cx.song->numchannels; ++c)
    {
        AUMUS_PLAYERCHANNEL& pc = cx.player->channels[c];
        pc.voldelta = 0;
        pc.perioddelta = 0;
        pc.pandelta = 0;
    }
}

void UpdateRow(Context& cx)
{
    AUMUS_SONG* song = cx.song;
    const int pattern = song->orderlist[song->order];
    if (pattern >= song->numpatterns || !song->patterns[pattern].cells || song->row >= song->patterns[pattern].rows)
        return;
    cx.player->jumped = 0;
    cx.player->rowdelayset = false;
    const uint8_t* cell = song->patterns[pattern].cells +
                          static_cast<size_t>(song->row) * song->numchannels * AUMUS_CELLSIZE;
    for (int c = 0; c < song->numchannels; ++c, cell += AUMUS_CELLSIZE)
    {
        AUMUS_PLAYERCHANNEL& pc = cx.player->channels[c];
        pc.effect = cell[3];
        pc.parameter = cell[4];
        pc.retrigcount = 0;
        if (pc.effect != FX_TREMOR)
            pc.tremoroff = 0;
        if (IsNoteDelay(song, cell[3], cell[4]))
            pc.delaytick = cell[4] & 15;
        else
        {
            pc.delaytick = -1;
            PlayCell(cx, c, cell);
        }
    }
    // The whole row is read before any channel sounds.
    for (int c = 0; c < song->numchannels; ++c)
        OutputChannel(cx, c);
}

// A repeated row runs its row effects again but plays no notes.
void RepeatRow(Context& cx)
{
    AUMUS_SONG* song = cx.song;
    const int pattern = song->orderlist[song->order];
    if (pattern >= song->numpatterns || !song->patterns[pattern].cells || song->row >= song->patterns[pattern].rows)
        return;
    cx.player->rowdelayset = true;
    const uint8_t* cell = song->patterns[pattern].cells +
                          static_cast<size_t>(song->row) * song->numchannels * AUMUS_CELLSIZE;
    for (int c = 0; c < song->numchannels; ++c, cell += AUMUS_CELLSIZE)
    {
        AUMUS_PLAYERCHANNEL& pc = cx.player->channels[c];
        if (!IsNoteDelay(song, cell[3], cell[4]) && cell[3] != FX_JUMP && cell[3] != FX_BREAK)
            ApplyEffect(cx, c, pc, cell[3], cell[4], true);
    }
    for (int c = 0; c < song->numchannels; ++c)
        OutputChannel(cx, c);
}

void UpdateTick(Context& cx)
{
    AUMUS_SONG* song = cx.song;
    const int pattern = song->orderlist[song->order];
    if (pattern >= song->numpatterns || !song->patterns[pattern].cells || song->row >= song->patterns[pattern].rows)
        return;
    const uint8_t* cell = song->patterns[pattern].cells +
                          static_cast<size_t>(song->row) * song->numchannels * AUMUS_CELLSIZE;
    for (int c = 0; c < song->numchannels; ++c, cell += AUMUS_CELLSIZE)
    {
        AUMUS_PLAYERCHANNEL& pc = cx.player->channels[c];
        if (pc.delaytick > 0)
        {
            if (song->tickcount % std::max(song->rowspeed, 1) == pc.delaytick)
            {
                pc.delaytick = -1;
                PlayCell(cx, c, cell);
            }
        }
        else
        {
            ApplyVolumeColumn(cx, pc, cell[2], false);
            ApplyEffect(cx, c, pc, cell[3], cell[4], false);
        }
        OutputChannel(cx, c);
    }
}
} // namespace

int AUMUS_Player_NotePeriod(const AUMUS_PLAYER* player, int note, int deffreq)
{
    note = Clamp(note, 1, 132);
    if (player->linear)
        return LinearPeriod(note);
    if (deffreq <= 0)
        deffreq = 8363;
    return static_cast<int>(static_cast<int64_t>(AUMUS_PeriodTable[note - 1]) * 8363 / deffreq);
}

AUMUS_PLAYER* AUMUS_Player_Create(AUMUS_SONG* song, int numinstruments)
{
    auto* player = static_cast<AUMUS_PLAYER*>(std::calloc(1, sizeof(AUMUS_PLAYER)));
    if (!player)
        return nullptr;
    song->work = player;
    song->freework = FreePlayer;
    player->globalvolume_max = 64;
    if (numinstruments > 0)
    {
        player->instruments =
            static_cast<AUMUS_INSTRUMENT*>(std::calloc(static_cast<size_t>(numinstruments), sizeof(AUMUS_INSTRUMENT)));
        if (!player->instruments)
            return nullptr;
        player->instrumentmode = true;
    }
    player->voices =
        static_cast<AUMUS_VOICE*>(std::calloc(static_cast<size_t>(std::max(song->numvtable, 1)), sizeof(AUMUS_VOICE)));
    if (!player->voices)
        return nullptr;
    song->tick = AUMUS_Player_Update;
    song->playhook = AUMUS_Player_Play;
    return player;
}

AUMUS_PLAYER* AUMUS_Player_Of(AUMUS_SONG* song)
{
    return static_cast<AUMUS_PLAYER*>(song->work);
}

bool AUMUS_Player_Play(AUMUS_SONG* song)
{
    AUMUS_PLAYER* player = AUMUS_Player_Of(song);
    if (!player)
        return false;
    for (int c = 0; c < 64; ++c)
    {
        AUMUS_PLAYERCHANNEL& pc = player->channels[c];
        pc = AUMUS_PLAYERCHANNEL{};
        pc.pan = song->defaultpan[c];
        pc.channelvolume = song->defaultvolume[c];
        pc.delaytick = -1;
        pc.cuttick = -1;
        pc.cutoff = 127;
    }
    player->jumped = 0;
    player->random = 0x2F6E2B1u;
    return true;
}

void AUMUS_Player_Update(SongRecord* record)
{
    AUMUS_SONG* song = static_cast<AUMUS_SONG*>(record);
    Context cx{song, AUMUS_Player_Of(song)};
    if (!cx.player)
        return;
    // Channel records are rebuilt at each play: the player's own records hold the voices.
    for (int c = 0; c < song->numchannels; ++c)
    {
        AUMUS_PLAYERCHANNEL& pc = cx.player->channels[c];
        if (!song->channels[c].vchannels)
        {
            pc.vc = nullptr;
            pc.voice = nullptr;
        }
    }
    ResetDeltas(cx);
    if (song->tickcount == 0 && cx.player->rowdelay > 0)
    {
        --cx.player->rowdelay;
        RepeatRow(cx);
        AUMUS_AdvanceTick(song);
        return;
    }
    if (song->tickcount != 0)
    {
        if (song->tickcount > 0)
            UpdateTick(cx);
    }
    else
    {
        if (!AUMUS_StartRow(song))
            return;
        UpdateRow(cx);
        AUMUS_AdvanceRow(song);
    }
    AUMUS_AdvanceTick(song);
}
