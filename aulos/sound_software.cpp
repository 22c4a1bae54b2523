// The software mixer: channels are summed into a 32-bit mix buffer block by
// block through the chain of processing units, and the last unit clips the sum
// into the primary mix buffer sample that the output plays.
#include "aulos/ausnd_device.h"
#include "aulos/system_string.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
AUSND_Device* Dev()
{
    return AUSND_CurrentDevice;
}

} // namespace

// Entry i is floor(16 * sqrt(i)): equal-power panning on the mixer's 8-bit gains.
const int AUSND_Software_PanTable[256] = {
    0, 16, 22, 27, 32, 35, 39, 42, 45, 48, 50, 53, 55, 57, 59, 61,
    64, 65, 67, 69, 71, 73, 75, 76, 78, 80, 81, 83, 84, 86, 87, 89,
    90, 91, 93, 94, 96, 97, 98, 99, 101, 102, 103, 104, 106, 107, 108, 109,
    110, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126,
    128, 128, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140, 141, 142,
    143, 144, 144, 145, 146, 147, 148, 149, 150, 150, 151, 152, 153, 154, 155, 155,
    156, 157, 158, 159, 160, 160, 161, 162, 163, 163, 164, 165, 166, 167, 167, 168,
    169, 170, 170, 171, 172, 173, 173, 174, 175, 176, 176, 177, 178, 178, 179, 180,
    181, 181, 182, 183, 183, 184, 185, 185, 186, 187, 187, 188, 189, 189, 190, 191,
    192, 192, 193, 193, 194, 195, 195, 196, 197, 197, 198, 199, 199, 200, 201, 201,
    202, 203, 203, 204, 204, 205, 206, 206, 207, 208, 208, 209, 209, 210, 211, 211,
    212, 212, 213, 214, 214, 215, 215, 216, 217, 217, 218, 218, 219, 219, 220, 221,
    221, 222, 222, 223, 224, 224, 225, 225, 226, 226, 227, 227, 228, 229, 229, 230,
    230, 231, 231, 232, 232, 233, 234, 234, 235, 235, 236, 236, 237, 237, 238, 238,
    239, 240, 240, 241, 241, 242, 242, 243, 243, 244, 244, 245, 245, 246, 246, 247,
    247, 248, 248, 249, 249, 250, 250, 251, 251, 252, 252, 253, 253, 254, 254, 255,
};

namespace
{
// ---------------------------------------------------------------- mixing kernels

// A 16-bit source value times an 8-bit gain is scaled back by 8 bits; an 8-bit
// value times the gain already lands on the same scale.
template <typename T>
inline int32_t Scale(int32_t value, int32_t gain)
{
    if (sizeof(T) == 2)
        return (value * gain) >> 8;
    return value * gain;
}

// The source value(s) at a 32.32 position; the interpolating form weighs the
// next frame by the top 15 bits of the fraction.
template <typename T, bool kStereoSrc, bool kInterp>
inline void ReadFrame(const T* data, int64_t pos, int32_t& left, int32_t& right)
{
    const int64_t i = pos >> 32;
    if (kStereoSrc)
    {
        const T* frame = data + 2 * i;
        left = frame[0];
        right = frame[1];
        if (kInterp)
        {
            const int32_t w = static_cast<int32_t>(static_cast<uint32_t>(pos) >> 17);
            left = (left * (32768 - w) + frame[2] * w) >> 15;
            right = (right * (32768 - w) + frame[3] * w) >> 15;
        }
        return;
    }
    int32_t s = data[i];
    if (kInterp)
    {
        const int32_t w = static_cast<int32_t>(static_cast<uint32_t>(pos) >> 17);
        s = (s * (32768 - w) + data[i + 1] * w) >> 15;
    }
    left = s;
    right = s;
}

// The gains of one channel as the kernels use them.
struct Gains
{
    int32_t left;
    int32_t right;
    int32_t average;
};

typedef void (*MixKernel)(int32_t* out, const void* data, int64_t& pos, int64_t step, int count, const Gains& g);

// Adds one weighed source frame to the output and moves past it.
template <typename T, bool kStereoSrc, bool kStereoOut>
inline void Accumulate(int32_t*& out, int32_t l, int32_t r, const Gains& g)
{
    if (kStereoOut)
    {
        out[0] += Scale<T>(l, g.left);
        out[1] += Scale<T>(r, g.right);
        out += 2;
        return;
    }
    const int32_t s = kStereoSrc ? (l + r) >> 1 : l;
    out[0] += Scale<T>(s, g.average);
    out += 1;
}

template <typename T, bool kStereoSrc, bool kInterp, bool kStereoOut>
void MixRun(int32_t* out, const void* src, int64_t& pos, int64_t step, int count, const Gains& g)
{
    const T* data = static_cast<const T*>(src);
    int64_t p = pos;
    for (int n = 0; n < count; ++n)
    {
        int32_t l;
        int32_t r;
        ReadFrame<T, kStereoSrc, kInterp>(data, p, l, r);
        Accumulate<T, kStereoSrc, kStereoOut>(out, l, r, g);
        p += step;
    }
    pos = p;
}

template <typename T, bool kStereoSrc, bool kInterp>
void PeakRun(const void* src, int64_t& pos, int64_t step, int count, const Gains& g, int32_t& peakl, int32_t& peakr)
{
    const T* data = static_cast<const T*>(src);
    for (int n = 0; n < count; ++n)
    {
        int32_t l;
        int32_t r;
        ReadFrame<T, kStereoSrc, kInterp>(data, pos, l, r);
        const int32_t vl = std::abs(Scale<T>(l, g.left));
        const int32_t vr = std::abs(Scale<T>(r, g.right));
        peakl = vl > peakl ? vl : peakl;
        peakr = vr > peakr ? vr : peakr;
        pos += step;
    }
}

// The mixing of a channel that carries the resonant low-pass: each source
// value goes through the filter before it is weighed.
typedef void (*FilterKernel)(int32_t* out, const void* data, int64_t& pos, int64_t step, int count, const Gains& g,
                             AUSND_CHANNEL* ch);

inline int32_t FilterStep(float x, const float* coef, float* history, float limit)
{
    float y = coef[0] * x + coef[1] * history[0] + coef[2] * history[1];
    // Resonance can ring far above the source; the limit keeps it from running away.
    y = y > limit ? limit : (y < -limit ? -limit : y);
    history[1] = history[0];
    history[0] = y;
    return static_cast<int32_t>(y);
}

template <typename T, bool kStereoSrc, bool kInterp, bool kStereoOut>
void MixRunFiltered(int32_t* out, const void* src, int64_t& pos, int64_t step, int count, const Gains& g,
                    AUSND_CHANNEL* ch)
{
    const T* data = static_cast<const T*>(src);
    const float limit = sizeof(T) == 2 ? 65535.0f : 255.0f;
    int64_t p = pos;
    for (int n = 0; n < count; ++n)
    {
        int32_t l;
        int32_t r;
        ReadFrame<T, kStereoSrc, kInterp>(data, p, l, r);
        l = FilterStep(static_cast<float>(l), ch->filtercoef, ch->filterhistory, limit);
        r = kStereoSrc ? FilterStep(static_cast<float>(r), ch->filtercoef, ch->filterhistory + 2, limit) : l;
        Accumulate<T, kStereoSrc, kStereoOut>(out, l, r, g);
        p += step;
    }
    pos = p;
}

template <bool kInterp, bool kStereoOut>
FilterKernel ChooseFilterKernel(bool sixteen, bool stereo)
{
    if (sixteen)
        return stereo ? MixRunFiltered<int16_t, true, kInterp, kStereoOut>
                      : MixRunFiltered<int16_t, false, kInterp, kStereoOut>;
    return stereo ? MixRunFiltered<int8_t, true, kInterp, kStereoOut> : MixRunFiltered<int8_t, false, kInterp, kStereoOut>;
}

typedef void (*PeakKernel)(const void* data, int64_t& pos, int64_t step, int count, const Gains& g, int32_t& peakl,
                           int32_t& peakr);

template <bool kInterp, bool kStereoOut>
MixKernel ChooseMixKernel(bool sixteen, bool stereo)
{
    if (sixteen)
        return stereo ? MixRun<int16_t, true, kInterp, kStereoOut> : MixRun<int16_t, false, kInterp, kStereoOut>;
    return stereo ? MixRun<int8_t, true, kInterp, kStereoOut> : MixRun<int8_t, false, kInterp, kStereoOut>;
}

PeakKernel ChoosePeakKernel(bool sixteen, bool stereo, bool interp)
{
    if (interp)
    {
        if (sixteen)
            return stereo ? PeakRun<int16_t, true, true> : PeakRun<int16_t, false, true>;
        return stereo ? PeakRun<int8_t, true, true> : PeakRun<int8_t, false, true>;
    }
    if (sixteen)
        return stereo ? PeakRun<int16_t, true, false> : PeakRun<int16_t, false, false>;
    return stereo ? PeakRun<int8_t, true, false> : PeakRun<int8_t, false, false>;
}

bool SourceIsStereo(const AUSND_CHANNEL* ch)
{
    // A multichannel sub-channel reads its own mono area.
    return (ch->sample->mode & AUSND_STEREO) && !(ch->sample->mode & AUSND_MULTICHANNEL);
}

// ---------------------------------------------------------------- walking a channel

struct Cursor
{
    int64_t pos;   // 32.32
    int64_t speed; // 32.32, magnitude
    int32_t direction;
};

Cursor CursorOf(const AUSND_CHANNEL* ch)
{
    Cursor c;
    c.pos = static_cast<int64_t>((static_cast<uint64_t>(ch->mixpos) << 32) | ch->mixposlo);
    c.speed = static_cast<int64_t>((static_cast<uint64_t>(ch->speedhi) << 32) | ch->speedlo);
    c.direction = ch->direction;
    return c;
}

void StoreCursor(AUSND_CHANNEL* ch, const Cursor& c)
{
    ch->mixpos = static_cast<uint32_t>(static_cast<uint64_t>(c.pos) >> 32);
    ch->mixposlo = static_cast<uint32_t>(c.pos);
    ch->direction = c.direction;
}

// Walks a channel's sample for `length` output frames, handing the runs
// between loop boundaries to `run(pos, step, count)`; returns true when a
// one-shot sample ended.
template <typename Run>
bool WalkChannel(const AUSND_CHANNEL* ch, Cursor& c, int length, Run run)
{
    const AUSND_SAMPLE* sample = ch->sample;
    const int64_t samplelen = static_cast<int64_t>(sample->length) << 32;
    const bool bidi = (ch->mode & AUSND_LOOP_BIDI) && sample->looplen > 0;
    const bool normal = !bidi && (ch->mode & AUSND_LOOP_NORMAL) && sample->looplen > 0;
    const bool looping = bidi || normal;
    const int64_t loopstart = static_cast<int64_t>(sample->loopstart) << 32;
    const int64_t looplen = static_cast<int64_t>(sample->looplen) << 32;
    const int64_t loopend = loopstart + looplen;

    if (c.pos >= samplelen || c.pos < 0)
        c.pos = 0;

    int done = 0;
    while (done < length)
    {
        const int left = length - done;
        const bool forward = c.direction != 2;
        if (c.speed <= 256)
        {
            run(c.pos, forward ? c.speed : -c.speed, left, done);
            return false;
        }
        // Loop-off samples play to their ends; looping ones to the loop's edge,
        // or to the end when the position already lies past the loop.
        int64_t distance;
        int64_t edge;
        if (forward)
        {
            edge = (looping && c.pos < loopend) ? loopend : samplelen;
            distance = edge - c.pos;
        }
        else
        {
            edge = looping ? loopstart : 0;
            distance = c.pos - edge;
        }
        const int64_t needed = distance <= 0 ? 0 : (distance + c.speed - 1) / c.speed;
        if (needed > left)
        {
            run(c.pos, forward ? c.speed : -c.speed, left, done);
            return false;
        }
        const int count = static_cast<int>(needed);
        if (count > 0)
            run(c.pos, forward ? c.speed : -c.speed, count, done);
        done += count;

        if (bidi)
        {
            // Turn round at the edge, mirroring the overshoot so that the next
            // reads stay inside the loop however fast the channel plays.
            c.pos = 2 * edge - c.pos;
            if (c.pos < 0)
                c.pos = 0;
            c.direction = forward ? 2 : 1;
        }
        else if (normal)
        {
            c.pos += forward ? -looplen : looplen;
        }
        else
        {
            return true;
        }
    }
    return false;
}

Gains GainsOf(const AUSND_CHANNEL* ch)
{
    return Gains{ch->leftvolume, ch->rightvolume, ch->averagevolume};
}

// The mixers of the table: plain or interpolating, stereo or mono output.
template <bool kInterp, bool kStereoOut>
void MixRing(void* buffer, AUSND_LINK* ring, int length)
{
    if (length < 1)
        return;
    for (AUSND_LINK* link = ring->next; link != ring; link = link->next)
    {
        AUSND_CHANNEL* ch = AUSND_ChannelOfLink(link);
        if (!ch->sample || (ch->flags & AUSND_CHANNEL_PAUSED) || !ch->sampledata)
            continue;
        const bool sixteen = (ch->sample->mode & AUSND_16BITS) != 0;
        const MixKernel kernel = ChooseMixKernel<kInterp, kStereoOut>(sixteen, SourceIsStereo(ch));
        const FilterKernel filter =
            ch->filtered ? ChooseFilterKernel<kInterp, kStereoOut>(sixteen, SourceIsStereo(ch)) : nullptr;
        const Gains gains = GainsOf(ch);
        const bool silent = kStereoOut ? (gains.left == 0 && gains.right == 0) : gains.average == 0;
        int32_t* out = static_cast<int32_t*>(buffer);
        const void* data = ch->sampledata;
        Cursor c = CursorOf(ch);
        const bool ended = WalkChannel(ch, c, length, [&](int64_t& pos, int64_t step, int count, int offset) {
            if (filter)
            {
                // The filter keeps running through silence, so that its history stays true.
                filter(out + offset * (kStereoOut ? 2 : 1), data, pos, step, count, gains, ch);
                return;
            }
            if (silent)
            {
                pos += step * count;
                return;
            }
            kernel(out + offset * (kStereoOut ? 2 : 1), data, pos, step, count, gains);
        });
        StoreCursor(ch, c);
        if (ended)
        {
            ch->sample = nullptr;
            ch->priority = 0;
        }
    }
}

// Peak levels the channel will reach over the next `length` frames, found by
// walking its sample as the mixer would, without moving it.
void PeakLevels(const AUSND_CHANNEL* ch, int length, int32_t& peakl, int32_t& peakr)
{
    peakl = 0;
    peakr = 0;
    if (!ch->sample || !ch->sampledata || (ch->flags & AUSND_CHANNEL_PAUSED))
        return;
    const bool interp = Dev()->mixertype == AUSND_MIXER_QUALITY_C || Dev()->mixertype == AUSND_MIXER_QUALITY_MONO;
    const PeakKernel kernel =
        ChoosePeakKernel((ch->sample->mode & AUSND_16BITS) != 0, SourceIsStereo(ch), interp);
    const Gains gains = GainsOf(ch);
    Cursor c = CursorOf(ch);
    WalkChannel(ch, c, length, [&](int64_t& pos, int64_t step, int count, int) {
        kernel(ch->sampledata, pos, step, count, gains, peakl, peakr);
    });
}

int16_t Clip(int32_t sum)
{
    return static_cast<int16_t>(sum < -32768 ? -32768 : (sum > 32767 ? 32767 : sum));
}

bool InitializeNothing()
{
    return true;
}

uint32_t BytesPerValue(uint32_t mode)
{
    return (mode & AUSND_16BITS) ? 2 : 1;
}

bool IsMultichannel(const AUSND_SAMPLE* sample)
{
    return (sample->mode & AUSND_MULTICHANNEL) && sample->channels > 1;
}

// ---------------------------------------------------------------- channel operations

AUSND_CRITICALSECTION Section()
{
    return Dev()->mixer ? Dev()->mixer->criticalsection : nullptr;
}

void RecomputeGains(AUSND_CHANNEL* ch)
{
    const int v = ch->actualvolume;
    const int pan = ch->actualpan;
    if (pan == -1)
    {
        ch->leftvolume = v;
        ch->rightvolume = v;
        ch->averagevolume = v;
        return;
    }
    const int g = v * ch->volumescale3d / 255;
    ch->leftvolume = AUSND_Software_PanTable[255 - pan] * g / 255;
    ch->rightvolume = AUSND_Software_PanTable[pan] * g / 255;
    ch->averagevolume = (ch->leftvolume + ch->rightvolume) / 2;
}

bool ChannelInit(AUSND_CHANNEL* ch)
{
    AUSND_Device* dev = Dev();
    AUSND_ScopedSection section(Section());
    AUSND_Link_AddTail(&dev->idlering, &ch->link);
    if ((dev->initflags & AUSND_INIT_LEVELHISTORY) && dev->blocklength > 0)
    {
        const unsigned int blocks = static_cast<unsigned int>(dev->totalmixlength / dev->blocklength);
        ch->levelhistory = static_cast<int32_t*>(AUSND_Memory_Calloc(blocks * 2 * sizeof(int32_t)));
    }
    return true;
}

void ChannelClose(AUSND_CHANNEL* ch)
{
    AUSND_ScopedSection section(Section());
    AUSND_Link_Remove(&ch->link);
    AUSND_Memory_Free(ch->levelhistory);
    ch->levelhistory = nullptr;
}

void MoveToIdle(AUSND_CHANNEL* ch)
{
    if (ch->unit)
        --ch->unit->numchannels;
    ch->unit = nullptr;
    AUSND_Link_Remove(&ch->link);
    AUSND_Link_AddTail(&Dev()->idlering, &ch->link);
}

bool ChannelAlloc(AUSND_CHANNEL* ch, AUSND_SAMPLE* sample)
{
    // A stolen channel leaves its unit before it takes the new sample.
    AUSND_ScopedSection section(Section());
    MoveToIdle(ch);
    ch->flags &= ~AUSND_CHANNEL_MUSIC;
    ch->sample = sample;
    ch->sampledata = nullptr;
    ch->mixpos = 0;
    ch->mixposlo = 0;
    return true;
}

bool ChannelPlaySound(AUSND_DSPUNIT* unit, AUSND_CHANNEL* ch, AUSND_SAMPLE* sample)
{
    AUSND_ScopedSection section(Section());
    const uint32_t area = sample->length * BytesPerValue(sample->mode) + 8;
    uint8_t* data = static_cast<uint8_t*>(sample->data);
    for (AUSND_CHANNEL* c = ch; c; c = c->nextsub)
    {
        c->sampledata = data;
        data += area;
        if (c->startoffset >= sample->loopstart + sample->looplen)
            c->startoffset = 0;
        c->mixpos = c->startoffset;
        c->mixposlo = 0;
        c->direction = (c->flags & AUSND_CHANNEL_REVERSED) ? 2 : 1;
        c->startoffset = 0;
        c->filtered = 0;
        c->filtercutoff = -1;
        std::memset(c->filterhistory, 0, sizeof(c->filterhistory));
        if (c->levelhistory && Dev()->blocklength > 0)
            std::memset(c->levelhistory, 0,
                        static_cast<size_t>(Dev()->totalmixlength / Dev()->blocklength) * 2 * sizeof(int32_t));
        if (c->flags & AUSND_CHANNEL_MUSIC)
            continue;
        MoveToIdle(c);
        AUSND_Link_Remove(&c->link);
        AUSND_Link_AddTail(&unit->channelring, &c->link);
        c->unit = unit;
        ++unit->numchannels;
    }
    return true;
}

bool ChannelStopSound(AUSND_CHANNEL* ch)
{
    AUSND_ScopedSection section(Section());
    MoveToIdle(ch);
    ch->flags &= ~AUSND_CHANNEL_MUSIC;
    ch->mixpos = 0;
    ch->mixposlo = 0;
    return true;
}

void StoreSpeed(AUSND_CHANNEL* ch, uint64_t speed, bool backward)
{
    AUSND_ScopedSection section(Section());
    ch->speedhi = static_cast<uint32_t>(speed >> 32);
    ch->speedlo = static_cast<uint32_t>(speed);
    // Only a change of sign turns the channel round: reapplying the same
    // frequency must not undo the turns of a ping-pong loop.
    const bool wasBackward = (ch->flags & AUSND_CHANNEL_REVERSED) != 0;
    if (backward == wasBackward)
        return;
    ch->direction = ch->direction == 2 ? 1 : 2;
    if (backward)
        ch->flags |= AUSND_CHANNEL_REVERSED;
    else
        ch->flags &= ~AUSND_CHANNEL_REVERSED;
}

bool ChannelSetFrequency(AUSND_CHANNEL* ch, int freq)
{
    const int64_t effective = static_cast<int64_t>(static_cast<double>(freq) * ch->frequencyscale);
    int64_t magnitude = effective < 0 ? -effective : effective;
    magnitude = magnitude < 100 ? 100 : (magnitude > 705600 ? 705600 : magnitude);
    const uint64_t rate = static_cast<uint64_t>(Dev()->mixrate);
    const uint64_t whole = static_cast<uint64_t>(magnitude) / rate;
    const uint64_t fraction = ((static_cast<uint64_t>(magnitude) % rate) << 32) / rate;
    StoreSpeed(ch, (whole << 32) | fraction, effective < 0);
    return true;
}

bool ChannelSetFrequencyEx(AUSND_CHANNEL* ch, float freq)
{
    const double effective = static_cast<double>(freq) * ch->frequencyscale;
    double magnitude = std::fabs(effective);
    magnitude = magnitude < 100.0 ? 100.0 : (magnitude > 705600.0 ? 705600.0 : magnitude);
    const double speed = magnitude / Dev()->mixrate;
    StoreSpeed(ch, static_cast<uint64_t>(speed * 4294967296.0), effective < 0.0);
    return true;
}

bool ChannelSetVolume(AUSND_CHANNEL* ch, int vol)
{
    AUSND_ScopedSection section(Section());
    ch->actualvolume = (ch->flags & AUSND_CHANNEL_MUTED) ? 0 : vol;
    RecomputeGains(ch);
    return true;
}

bool ChannelSetPan(AUSND_CHANNEL* ch, int pan)
{
    AUSND_ScopedSection section(Section());
    ch->actualpan = pan;
    RecomputeGains(ch);
    return true;
}

bool ChannelSetCurrentPosition(AUSND_CHANNEL* ch, uint32_t pos)
{
    AUSND_ScopedSection section(Section());
    if (!ch->sample || pos >= ch->sample->length)
        return false;
    ch->mixpos = pos;
    ch->mixposlo = 0;
    return true;
}

uint64_t ChannelGetCurrentPosition(AUSND_CHANNEL* ch)
{
    AUSND_ScopedSection section(Section());
    return ch->mixpos;
}

bool ChannelIsPlaying(AUSND_CHANNEL* ch)
{
    AUSND_ScopedSection section(Section());
    return ch->sample != nullptr;
}

bool ChannelGetCurrentLevels(AUSND_CHANNEL* ch, float* l, float* r)
{
    AUSND_Device* dev = Dev();
    AUSND_ScopedSection section(Section());
    int32_t peakl = 0;
    int32_t peakr = 0;
    if ((dev->initflags & AUSND_INIT_LEVELHISTORY) && ch->levelhistory && dev->mixer && dev->blocklength > 0)
    {
        const int blocks = dev->totalmixlength / dev->blocklength;
        const int next = (dev->mixer->currentblock + 1) % blocks;
        peakl = ch->levelhistory[next * 2];
        peakr = ch->levelhistory[next * 2 + 1];
    }
    else
    {
        PeakLevels(ch, dev->blocklength, peakl, peakr);
    }
    auto level = [](int32_t peak) {
        const float v = static_cast<float>(peak) / 65536.0f;
        return v > 1.0f ? 1.0f : v;
    };
    *l = level(peakl);
    *r = level(peakr);
    return true;
}

bool ChannelSet3DAttributes(AUSND_CHANNEL* ch)
{
    AUSND_ScopedSection section(Section());
    if (ch->sample)
        AUSND_Channel_Update3D(ch);
    return true;
}

// ---------------------------------------------------------------- software sample memory

uint32_t DataBytes(const AUSND_SAMPLE* sample)
{
    uint32_t size = sample->length * BytesPerValue(sample->mode);
    if (sample->mode & AUSND_STEREO)
        size *= 2;
    else if (IsMultichannel(sample))
        size *= static_cast<uint32_t>(sample->channels);
    return size;
}

bool SampleAlloc(AUSND_SAMPLE* sample)
{
    if (sample->mode & (AUSND_IMAADPCM | AUSND_ADPCM28))
    {
        AUSND_ErrorNo = AUSND_ERR_FILE_FORMAT;
        return false;
    }
    const uint64_t size = static_cast<uint64_t>(sample->length) * BytesPerValue(sample->mode) *
                          ((sample->mode & AUSND_STEREO) ? 2 : (IsMultichannel(sample) ? sample->channels : 1));
    const uint64_t spare = IsMultichannel(sample) ? 64 + 8 * static_cast<uint64_t>(sample->channels) : 72;
    if (size + spare > UINT32_MAX)
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return false;
    }
    uint8_t* base = static_cast<uint8_t*>(AUSND_Memory_Calloc(static_cast<unsigned int>(size + spare)));
    if (!base)
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return false;
    }
    // Sixteen bytes ahead of the data and spare bytes behind it let the mixers
    // read a few frames beyond either end.
    sample->data = base + 16;
    sample->mode = (sample->mode & ~static_cast<uint32_t>(AUSND_UNSIGNED)) | AUSND_SIGNED;
    return true;
}

void SampleFree(AUSND_SAMPLE* sample)
{
    if (sample->locktemp)
    {
        AUSND_Memory_Free(sample->locktemp);
        sample->locktemp = nullptr;
    }
    if (sample->data)
        AUSND_Memory_Free(static_cast<uint8_t*>(sample->data) - 16);
    sample->data = nullptr;
}

bool SampleLock(AUSND_SAMPLE* sample, uint32_t offset, uint32_t length, void** ptr1, void** ptr2, uint32_t* len1,
                uint32_t* len2)
{
    const uint32_t size = DataBytes(sample);
    if (!sample->data || offset > size)
        return false;
    if (IsMultichannel(sample))
    {
        // One area per channel: hand out an interleaved copy that the unlock spreads back.
        if (length > size - offset)
            length = size - offset;
        uint8_t* temp = static_cast<uint8_t*>(AUSND_Memory_Alloc(length ? length : 1));
        if (!temp)
            return false;
        const uint32_t bpv = BytesPerValue(sample->mode);
        const uint32_t channels = static_cast<uint32_t>(sample->channels);
        const uint32_t area = sample->length * bpv + 8;
        const uint8_t* data = static_cast<const uint8_t*>(sample->data);
        for (uint32_t b = 0; b + bpv <= length; b += bpv)
        {
            const uint32_t value = (offset + b) / bpv;
            std::memcpy(temp + b, data + (value % channels) * area + (value / channels) * bpv, bpv);
        }
        sample->locktemp = temp;
        sample->lockoffset = offset;
        sample->locklength = length;
        *ptr1 = temp;
        *len1 = length;
        *ptr2 = nullptr;
        *len2 = 0;
        return true;
    }
    uint8_t* data = static_cast<uint8_t*>(sample->data);
    *ptr1 = data + offset;
    *len1 = length < size - offset ? length : size - offset;
    const uint32_t rest = length - *len1;
    *ptr2 = rest ? data : nullptr;
    *len2 = rest < offset ? rest : offset;
    return true;
}

bool SampleUnlock(AUSND_SAMPLE* sample, void*, void*, uint32_t, uint32_t)
{
    if (sample->locktemp)
    {
        const uint32_t bpv = BytesPerValue(sample->mode);
        const uint32_t channels = static_cast<uint32_t>(sample->channels);
        const uint32_t area = sample->length * bpv + 8;
        uint8_t* data = static_cast<uint8_t*>(sample->data);
        const uint8_t* temp = static_cast<const uint8_t*>(sample->locktemp);
        for (uint32_t b = 0; b + bpv <= sample->locklength; b += bpv)
        {
            const uint32_t value = (sample->lockoffset + b) / bpv;
            std::memcpy(data + (value % channels) * area + (value / channels) * bpv, temp + b, bpv);
        }
        AUSND_Memory_Free(sample->locktemp);
        sample->locktemp = nullptr;
    }
    return AUSND_Sample_AdjustLoopPoints(sample);
}

// ---------------------------------------------------------------- processing units

void* ClearUnit(void* block, void* /*current*/, int length, void* /*param*/)
{
    Dev()->mixer->Clear(block, length);
    return block;
}

void* LevelHistoryUnit(void* block, void* current, int length, void* /*param*/)
{
    AUSND_Device* dev = Dev();
    AUSND_ScopedSection section(Section());
    const int slot = dev->mixer->currentblock;
    for (int i = 0; i < dev->softwarechannels; ++i)
    {
        AUSND_CHANNEL* ch = &dev->channels[i];
        if (!ch->levelhistory)
            continue;
        int32_t peakl = 0;
        int32_t peakr = 0;
        PeakLevels(ch, length, peakl, peakr);
        ch->levelhistory[slot * 2] = peakl;
        ch->levelhistory[slot * 2 + 1] = peakr;
    }
    (void)block;
    return current;
}

void FireSongCallbacks(SongRecord* song)
{
    for (AUSND_SONGCALLBACK* queue : song->callbacks)
    {
        if (!queue)
            continue;
        for (int i = 0; i < AUSND_SONG_CALLBACKQUEUE_LENGTH; ++i)
        {
            AUSND_SONGCALLBACK& entry = queue[i];
            if (entry.time < 0 || static_cast<uint32_t>(entry.time) > song->time)
                continue;
            entry.time = -1;
            if (entry.routine)
                entry.routine(song, entry.param);
        }
    }
}

void* MusicUnit(void* /*block*/, void* current, int length, void* /*param*/)
{
    AUSND_Device* dev = Dev();
    const int channels = dev->mixer->channels;
    const int blocks = dev->blocklength > 0 ? dev->totalmixlength / dev->blocklength : 1;
    for (AUSND_LINK* link = dev->songring.next; link && link != &dev->songring; link = link->next)
    {
        SongRecord* song = reinterpret_cast<SongRecord*>(link);
        if (!song->playing || song->paused || !song->tick || song->speed == 0.0f)
            continue;
        FireSongCallbacks(song);
        int32_t* out = static_cast<int32_t*>(current);
        int left = length;
        while (left > 0)
        {
            if (song->samplestonexttick <= 0)
            {
                song->tick(song);
                song->samplestonexttick = song->ticklength > 0 ? song->ticklength : left;
            }
            const int n = song->samplestonexttick < left ? song->samplestonexttick : left;
            {
                AUSND_ScopedSection section(Section());
                dev->mixer->Mix(out, &song->channelring, n);
            }
            out += n * channels;
            left -= n;
            song->samplestonexttick -= n;
        }
        if (song->history)
            song->history[song->historyblock] = AUSND_SONGHISTORY{song->time, song->row, song->order};
        song->time += AUSND_AdvanceClock(song->timefraction, length, dev->mixrate);
        song->historyblock = (song->historyblock + 1) % blocks;
    }
    return current;
}

void* ClipAndCopyUnit(void* /*block*/, void* current, int length, void* /*param*/)
{
    AUSND_Device* dev = Dev();
    AUSND_SAMPLE* primary = dev->primarysample;
    if (!primary)
        return current;
    const uint32_t frameBytes = static_cast<uint32_t>(dev->mixer->channels) * 2;
    const uint32_t offset = static_cast<uint32_t>(dev->mixer->currentblock * dev->blocklength) * frameBytes;
    void* ptr1 = nullptr;
    void* ptr2 = nullptr;
    uint32_t len1 = 0;
    uint32_t len2 = 0;
    if (!primary->LockData(primary, offset, static_cast<uint32_t>(length) * frameBytes, &ptr1, &ptr2, &len1, &len2))
        return current;
    if (ptr1)
        dev->mixer->ClipCopy(ptr1, current, static_cast<int>(len1 / frameBytes));
    primary->UnlockData(primary, ptr1, ptr2, len1, len2);
    return current;
}

// ---------------------------------------------------------------- the no-sound mixer thread

int MixerThread(void* /*param*/)
{
    AUSND_Device* dev = Dev();
    AUSND_SAMPLE* primary = dev->primarysample;
    AUSND_CHANNEL* channel = dev->primarychannel;
    while (!dev->mixerstop)
    {
        if (!primary || !channel || dev->blocklength <= 0 || primary->length == 0)
        {
            AUSND_Time_Sleep(1);
            continue;
        }
        const uint64_t position = channel->ops.GetCurrentPosition(channel) % primary->length;
        const int block = static_cast<int>(position / static_cast<uint64_t>(dev->blocklength));
        while (dev->mixer->currentblock != block && !dev->mixerstop)
            AUSND_Output_MixNextBlock();
        AUSND_Time_Sleep(10);
    }
    dev->mixerfinished = true;
    return 0;
}
} // namespace

// ---------------------------------------------------------------- the mixer table

AUSND_MIXER AUSND_MixerTable[AUSND_MIXER_COUNT] = {
    {"AUSND_MIXER_AUTODETECT", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 0, nullptr},
    {"AUSND_MIXER_BLENDMODE", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 0, nullptr},
    {"AUSND_MIXER_MMXP5", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 0, nullptr},
    {"AUSND_MIXER_MMXP6", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 0, nullptr},
    {"AUSND_MIXER_QUALITY_AUTODETECT", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 0,
     nullptr},
    {"AUSND_MIXER_QUALITY_FPU", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 0, nullptr},
    {"AUSND_MIXER_QUALITY_MMXP5", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 0,
     nullptr},
    {"AUSND_MIXER_QUALITY_MMXP6", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 0,
     nullptr},
    {"AUSND_MIXER_MONO", InitializeNothing, nullptr, AUSND_Mixer_Clear_Int32C_Mono, MixRing<false, false>, AUSND_Mixer_ClipCopy_Int32C_Mono, 32, 1, nullptr,
     nullptr, 0, 4, nullptr},
    {"AUSND_MIXER_QUALITY_MONO", InitializeNothing, nullptr, AUSND_Mixer_Clear_Int32C_Mono, MixRing<true, false>, AUSND_Mixer_ClipCopy_Int32C_Mono, 32, 1,
     nullptr, nullptr, 0, 4, nullptr},
    {"AUSND_MIXER_C", InitializeNothing, nullptr, AUSND_Mixer_Clear_Int32C, MixRing<false, true>, AUSND_Mixer_ClipCopy_Int32C, 32, 2, nullptr,
     nullptr, 0, 5, nullptr},
    {"AUSND_MIXER_QUALITY_C", InitializeNothing, nullptr, AUSND_Mixer_Clear_Int32C, MixRing<true, true>, AUSND_Mixer_ClipCopy_Int32C, 32, 2,
     nullptr, nullptr, 0, 5, nullptr},
    {"AUSND_MIXER_QUALITY_C_CUBIC", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 0,
     nullptr},
    {"AUSND_MIXER_QUALITY_C_SPLINE", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 0,
     nullptr},
};

void AUSND_Software_SetChannelFunctions(AUSND_CHANNEL* ch)
{
    ch->ops.Init = ChannelInit;
    ch->ops.Close = ChannelClose;
    ch->ops.Alloc = ChannelAlloc;
    ch->ops.PlaySound = ChannelPlaySound;
    ch->ops.StopSound = ChannelStopSound;
    ch->ops.SetFrequency = ChannelSetFrequency;
    ch->ops.SetFrequencyEx = ChannelSetFrequencyEx;
    ch->ops.SetVolume = ChannelSetVolume;
    ch->ops.SetPan = ChannelSetPan;
    ch->ops.SetCurrentPosition = ChannelSetCurrentPosition;
    ch->ops.GetCurrentPosition = ChannelGetCurrentPosition;
    ch->ops.GetCurrentLevels = ChannelGetCurrentLevels;
    ch->ops.IsPlaying = ChannelIsPlaying;
    ch->ops.Set3DAttributes = ChannelSet3DAttributes;
}

void AUSND_Software_SetSampleFunctions(AUSND_SAMPLE* sample)
{
    sample->AllocData = SampleAlloc;
    sample->FreeData = SampleFree;
    sample->UploadData = nullptr;
    sample->LockData = SampleLock;
    sample->UnlockData = SampleUnlock;
}

void AUSND_Software_SetChannelFilter(AUSND_CHANNEL* ch, int cutoff, int resonance)
{
    if (!ch)
        return;
    AUSND_ScopedSection section(Section());
    if (cutoff < 0)
    {
        ch->filtered = 0;
        return;
    }
    cutoff = std::min(cutoff, 255);
    resonance = std::max(0, std::min(resonance, 127));
    ch->filtered = 1;
    if (cutoff == ch->filtercutoff && resonance == ch->filterresonance)
        return;
    ch->filtercutoff = static_cast<int16_t>(cutoff);
    ch->filterresonance = static_cast<int16_t>(resonance);
    // The two-pole low-pass of the trackers: 110 Hz * 2^(0.25 + cutoff / 24),
    // damped less as the resonance rises (24 dB over the resonance range).
    const double rate = Dev()->mixrate > 0 ? Dev()->mixrate : 44100;
    double frequency = 110.0 * std::pow(2.0, 0.25 + cutoff / 24.0);
    frequency = std::min(frequency, rate / 2.0);
    const double damping = std::pow(10.0, -resonance * 24.0 / (128.0 * 20.0));
    const double r = rate / (2.0 * 3.14159265358979323846 * frequency);
    const double d = damping * r + damping - 1.0;
    const double e = r * r;
    const double scale = 1.0 + d + e;
    ch->filtercoef[0] = static_cast<float>(1.0 / scale);
    ch->filtercoef[1] = static_cast<float>((d + e + e) / scale);
    ch->filtercoef[2] = static_cast<float>(-e / scale);
}

void* AUSND_Software_MixSFX(void* /*block*/, void* current, int length, void* param)
{
    AUSND_DSPUNIT* unit = static_cast<AUSND_DSPUNIT*>(param);
    AUSND_ScopedSection section(Section());
    if (!AUSND_Link_IsEmpty(&unit->channelring))
        Dev()->mixer->Mix(current, &unit->channelring, length);
    return current;
}

bool AUSND_Software_Initialize()
{
    AUSND_Device* dev = Dev();
    AUSND_Link_Init(&dev->idlering);
    if (dev->softwarechannels == 0)
        return true;
    if (dev->mixertype == AUSND_MIXER_AUTODETECT)
        dev->mixertype = AUSND_MIXER_C;
    else if (dev->mixertype == AUSND_MIXER_QUALITY_AUTODETECT)
        dev->mixertype = AUSND_MIXER_QUALITY_C;
    if (dev->mixertype < 0 || dev->mixertype >= AUSND_MIXER_COUNT || !AUSND_MixerTable[dev->mixertype].Mix)
    {
        AUSND_ErrorNo = AUSND_ERR_INIT;
        return false;
    }
    AUSND_MIXER* mixer = &AUSND_MixerTable[dev->mixertype];
    if (mixer->Initialize && !mixer->Initialize())
    {
        AUSND_ErrorNo = AUSND_ERR_INIT;
        return false;
    }

    if (dev->blocklength == 0)
    {
        dev->blocklength = dev->mixrate / 40 / 256 * 256;
        if (dev->blocklength < 256)
            dev->blocklength = 256;
    }
    dev->blocktime = static_cast<float>(dev->blocklength) * 1000.0f / static_cast<float>(dev->mixrate);
    if (dev->outputtype != 7)
    {
        int total = static_cast<int>(static_cast<int64_t>(dev->mixrate) * dev->buffersize / 1000);
        total = total / dev->blocklength * dev->blocklength;
        if (total < 2 * dev->blocklength)
            total = 2 * dev->blocklength;
        dev->totalmixlength = total;
    }
    dev->buffersize = static_cast<int32_t>(static_cast<int64_t>(dev->totalmixlength) * 1000 / dev->mixrate);

    const unsigned int bytes =
        static_cast<unsigned int>(dev->totalmixlength) * mixer->channels * mixer->bits / 8 + 256;
    mixer->mixbuffer = AUSND_Memory_Calloc(bytes);
    if (!mixer->mixbuffer)
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return false;
    }
    mixer->mixbufferaligned =
        reinterpret_cast<void*>((reinterpret_cast<uintptr_t>(mixer->mixbuffer) + 15) & ~static_cast<uintptr_t>(15));
    mixer->criticalsection = AUSND_CriticalSection_Create();
    mixer->currentblock = 0;
    dev->mixer = mixer;

    dev->unitclear = AUSND_DSP_CreateUnit(ClearUnit, AUSND_DSP_PRIORITY_CLEAR, nullptr);
    if (dev->initflags & AUSND_INIT_LEVELHISTORY)
        dev->unitlevels = AUSND_DSP_CreateUnit(LevelHistoryUnit, AUSND_DSP_PRIORITY_CLEAR, nullptr);
    dev->unitsfx = AUSND_DSP_CreateUnit(AUSND_Software_MixSFX, AUSND_DSP_PRIORITY_SFX, nullptr);
    dev->unitmusic = AUSND_DSP_CreateUnit(MusicUnit, AUSND_DSP_PRIORITY_MUSIC, nullptr);
    dev->unitclipcopy = AUSND_DSP_CreateUnit(ClipAndCopyUnit, AUSND_DSP_PRIORITY_CLIPANDCOPY, nullptr);
    if (!dev->unitclear || !dev->unitsfx || !dev->unitmusic || !dev->unitclipcopy ||
        ((dev->initflags & AUSND_INIT_LEVELHISTORY) && !dev->unitlevels))
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return false;
    }
    dev->unitsfx->param = dev->unitsfx;
    AUSND_DSPUNIT* builtins[] = {dev->unitclear, dev->unitlevels, dev->unitsfx, dev->unitmusic, dev->unitclipcopy};
    for (AUSND_DSPUNIT* unit : builtins)
    {
        if (unit)
            AUSND_DSP_SetActive(unit, true);
    }
    return true;
}

bool AUSND_Software_Start()
{
    AUSND_Device* dev = Dev();
    if (!dev->output || !dev->output->mixerthread || !dev->mixer)
        return true;
    dev->mixerstop = false;
    dev->mixerfinished = false;
    dev->mixerthread = AUSND_Thread_Create(MixerThread, nullptr, 0, 0);
    if (!dev->mixerthread)
    {
        dev->mixerfinished = true;
        AUSND_ErrorNo = AUSND_ERR_INIT;
        return false;
    }
    return true;
}

void AUSND_Software_Close()
{
    AUSND_Device* dev = Dev();
    dev->mixerstop = true;
    if (dev->mixerthread)
    {
        // The thread looks at the stop request at least every 10 ms: wait for it, never kill it.
        AUSND_Thread_Destroy(dev->mixerthread);
        dev->mixerthread = nullptr;
    }
    dev->mixerfinished = true;

    AUSND_MIXER* mixer = dev->mixer;
    if (!mixer)
        return;
    {
        AUSND_ScopedSection section(mixer->criticalsection);
        while (dev->idlering.next && !AUSND_Link_IsEmpty(&dev->idlering))
            AUSND_Link_Remove(dev->idlering.next);
    }
    AUSND_FFT_Free();
    AUSND_DSP_FreeAll();
    AUSND_CriticalSection_Free(mixer->criticalsection);
    mixer->criticalsection = nullptr;
    if (mixer->Close)
        mixer->Close();
    AUSND_Memory_Free(mixer->mixbuffer);
    mixer->mixbuffer = nullptr;
    mixer->mixbufferaligned = nullptr;
    dev->mixer = nullptr;
    dev->blocklength = 0;
}

void AUSND_Software_Fill(int position, int length)
{
    AUSND_Device* dev = Dev();
    if (!dev->primarysample || !dev->mixer)
        return;
    std::lock_guard<std::recursive_mutex> guard(dev->unitlock);
    dev->mixing = true;
    AUSND_MIXER* mixer = dev->mixer;
    void* block = static_cast<uint8_t*>(mixer->mixbufferaligned) +
                  static_cast<size_t>(position) * static_cast<size_t>(mixer->bits / 8 * mixer->channels);
    void* current = block;
    for (AUSND_LINK* link = dev->unitring.next; link != &dev->unitring; link = link->next)
    {
        AUSND_DSPUNIT* unit = AUSND_UnitOfLink(link);
        if (unit->active && unit->callback)
            current = unit->callback(block, current, length, unit->param);
    }
    dev->mixing = false;
}

void AUSND_Software_Update()
{
    AUSND_Device* dev = Dev();
    if (!dev->channels)
        return;
    AUSND_ScopedSection section(Section());
    for (int i = 0; i < dev->softwarechannels; ++i)
    {
        if (dev->channels[i].sample)
            AUSND_Channel_Update3D(&dev->channels[i]);
    }
}

void AUSND_Software_DetachUnitChannels(AUSND_DSPUNIT* unit)
{
    AUSND_ScopedSection section(Section());
    while (!AUSND_Link_IsEmpty(&unit->channelring))
    {
        AUSND_CHANNEL* ch = AUSND_ChannelOfLink(unit->channelring.next);
        MoveToIdle(ch);
        ch->sample = nullptr;
        ch->priority = 0;
    }
}

const int16_t* AUSND_Output_MixNextBlock()
{
    AUSND_Device* dev = Dev();
    AUSND_MIXER* mixer = dev->mixer;
    if (!mixer || !dev->primarysample || dev->blocklength <= 0)
        return nullptr;
    const int blocks = dev->totalmixlength / dev->blocklength;
    const int block = mixer->currentblock;
    AUSND_Time_StampIn(&dev->mixstamp);
    AUSND_Software_Fill(block * dev->blocklength, dev->blocklength);
    dev->mixcpuusage = AUSND_Time_StampOut(&dev->mixstamp, 90);
    mixer->currentblock = (block + 1) % blocks;
    if (!dev->primarysample->data)
        return nullptr;
    return static_cast<const int16_t*>(dev->primarysample->data) +
           static_cast<size_t>(block) * dev->blocklength * mixer->channels;
}

bool AUSND_DSP_MixBuffers(void* destbuffer, void* srcbuffer, int len, int freq, int vol, int pan, unsigned int mode)
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (!dev->initialised || !dev->mixer)
    {
        AUSND_ErrorNo = AUSND_ERR_UNINITIALIZED;
        return false;
    }
    if (!destbuffer || !srcbuffer || len <= 0)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return false;
    }
    if (mode & AUSND_2D)
        mode &= ~static_cast<unsigned int>(AUSND_HW3D);
    if (mode & AUSND_16BITS)
        mode &= ~static_cast<unsigned int>(AUSND_8BITS);
    mode &= (mode & AUSND_STEREO) ? (AUSND_16BITS | AUSND_8BITS | AUSND_STEREO)
                                  : (AUSND_16BITS | AUSND_8BITS | AUSND_MONO);

    // A temporary one-shot channel over the caller's data, read without
    // interpolation because the caller's buffer has no spare frames.
    AUSND_SAMPLE sample{};
    sample.data = srcbuffer;
    sample.length = static_cast<uint32_t>(len);
    sample.looplen = sample.length;
    sample.mode = mode | AUSND_LOOP_OFF;
    AUSND_CHANNEL ch{};
    ch.sample = &sample;
    ch.sampledata = srcbuffer;
    ch.mode = sample.mode;
    ch.volumescale3d = 255;
    ch.frequencyscale = 1.0f;
    ch.actualvolume = vol < 0 ? 0 : (vol > 255 ? 255 : vol);
    ch.actualpan = pan < -1 ? 0 : (pan > 255 ? 255 : pan);
    RecomputeGains(&ch);
    const uint64_t rate = static_cast<uint64_t>(dev->mixrate);
    const uint64_t f = static_cast<uint64_t>(freq < 100 ? 100 : (freq > 705600 ? 705600 : freq));
    ch.speedhi = static_cast<uint32_t>(f / rate);
    ch.speedlo = static_cast<uint32_t>(((f % rate) << 32) / rate);
    ch.direction = 1;
    AUSND_LINK ring;
    AUSND_Link_Init(&ring);
    AUSND_Link_AddTail(&ring, &ch.link);
    if (dev->mixer->channels == 2)
        MixRing<false, true>(destbuffer, &ring, len);
    else
        MixRing<false, false>(destbuffer, &ring, len);
    return true;
}

// ---------------------------------------------------------------- clear and clip helpers

void AUSND_Mixer_Clear_Int32C(void* buffer, int length)
{
    if (length > 0)
        std::memset(buffer, 0, static_cast<size_t>(length) * 8);
}

void AUSND_Mixer_Clear_Int32C_Mono(void* buffer, int length)
{
    if (length > 0)
        std::memset(buffer, 0, static_cast<size_t>(length) * 4);
}

void AUSND_Mixer_Clear_Int16C(void* buffer, int length)
{
    if (length > 0)
        std::memset(buffer, 0, static_cast<size_t>(length) * 4);
}

void AUSND_Mixer_ClipCopy_Int32C(void* dest, const void* src, int length)
{
    int16_t* d = static_cast<int16_t*>(dest);
    const int32_t* s = static_cast<const int32_t*>(src);
    for (int i = 0; i < length * 2; ++i)
        d[i] = Clip(s[i]);
}

void AUSND_Mixer_ClipCopy_Int32C_Mono(void* dest, const void* src, int length)
{
    int16_t* d = static_cast<int16_t*>(dest);
    const int32_t* s = static_cast<const int32_t*>(src);
    for (int i = 0; i < length; ++i)
        d[i] = Clip(s[i]);
}

void AUSND_Mixer_ClipCopy_Int16C(void* dest, const void* src, int length)
{
    if (length > 0)
        std::memcpy(dest, src, static_cast<size_t>(length) * 4);
}

void AUSND_Mixer_ClipCopy_StereoToMono(void* dest, const void* src, int count, unsigned int mode)
{
    if (count <= 0)
        return;
    if (mode & AUSND_16BITS)
    {
        int16_t* d = static_cast<int16_t*>(dest);
        const int16_t* s = static_cast<const int16_t*>(src);
        for (int i = 0; i < count; ++i)
            d[i] = static_cast<int16_t>((s[i * 2] + s[i * 2 + 1]) >> 1);
        return;
    }
    if (mode & AUSND_UNSIGNED)
    {
        uint8_t* d = static_cast<uint8_t*>(dest);
        const uint8_t* s = static_cast<const uint8_t*>(src);
        for (int i = 0; i < count; ++i)
            d[i] = static_cast<uint8_t>((s[i * 2] + s[i * 2 + 1]) >> 1);
        return;
    }
    int8_t* d = static_cast<int8_t*>(dest);
    const int8_t* s = static_cast<const int8_t*>(src);
    for (int i = 0; i < count; ++i)
        d[i] = static_cast<int8_t>((s[i * 2] + s[i * 2 + 1]) >> 1);
}
