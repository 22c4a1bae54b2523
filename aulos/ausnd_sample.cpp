// Samples: blocks of sound data in memory that channels play, with their loop
// points, the guard frame that interpolation reads past a loop's end, and
// their playback defaults, and loading from files, memory images and the
// caller's file callbacks.
#include "aulos/ausnd_device.h"
#include "aulos/ausnd_tags.h"
#include "aulos/format_imaadpcm.h"
#include "aulos/format_asb.h"
#include "aulos/format_mpeg.h"
#include "aulos/format_wav.h"
#include "aulos/ausnd_stream.h"
#include "aulos/system_file.h"
#include "aulos/system_string.h"

#include <cstring>

namespace
{
AUSND_Device* Dev()
{
    return AUSND_CurrentDevice;
}

bool Fail(int error)
{
    AUSND_ErrorNo = error;
    return false;
}

AUSND_SAMPLE* FailNull(int error)
{
    AUSND_ErrorNo = error;
    return nullptr;
}

uint32_t BytesPerValue(uint32_t mode)
{
    return (mode & AUSND_16BITS) ? 2 : 1;
}

bool IsMultichannel(const AUSND_SAMPLE* sample)
{
    return (sample->mode & AUSND_MULTICHANNEL) && !(sample->mode & AUSND_STEREO) && sample->channels > 1;
}

uint32_t NormaliseMode(uint32_t mode)
{
    const AUSND_OUTPUT* output = Dev()->output;
    // No output of this platform has hardware 3D voices.
    if ((mode & AUSND_ENABLEFX) && (mode & AUSND_HW3D))
        mode &= ~static_cast<uint32_t>(AUSND_ENABLEFX);
    mode &= ~static_cast<uint32_t>(AUSND_HW3D);
    if (!(mode & (AUSND_MONO | AUSND_STEREO)) && !(mode & AUSND_MULTICHANNEL))
        mode |= AUSND_MONO;
    if (!(mode & (AUSND_8BITS | AUSND_16BITS)))
        mode |= AUSND_8BITS;
    if (!(mode & AUSND_LOOPBITS))
        mode |= AUSND_LOOP_OFF;
    if ((mode & AUSND_ENABLEFX) && !(mode & AUSND_HW2D))
        mode |= AUSND_HW2D;
    if (mode & (AUSND_2D | AUSND_HW2D))
        mode &= ~static_cast<uint32_t>(AUSND_HW3D);
    if (mode & AUSND_16BITS)
        mode &= ~static_cast<uint32_t>(AUSND_8BITS);
    if (mode & AUSND_STEREO)
        mode &= ~static_cast<uint32_t>(AUSND_MONO | AUSND_MULTICHANNEL);
    if (mode & AUSND_HW2D)
        mode |= AUSND_2D;
    if (mode & AUSND_ENABLEFX)
        mode |= AUSND_FXREADY;
    if (!(mode & AUSND_NETWORK) && output && !output->hw2dsupport && !output->hw3dsupport)
        mode &= ~static_cast<uint32_t>(AUSND_HW2D);
    if (mode & AUSND_IMAADPCM)
    {
        mode &= ~static_cast<uint32_t>(AUSND_IMAADPCM | AUSND_8BITS);
        mode |= AUSND_16BITS;
    }
    mode &= ~static_cast<uint32_t>(AUSND_UNSIGNED);
    return mode | AUSND_SIGNED;
}

bool GrowTable(int needed)
{
    AUSND_Device* dev = Dev();
    int capacity = dev->numsamples;
    while (capacity <= needed)
        capacity += 256;
    if (capacity == dev->numsamples)
        return true;
    AUSND_SAMPLE** grown = static_cast<AUSND_SAMPLE**>(
        AUSND_Memory_ReAlloc(dev->samples, static_cast<unsigned int>(capacity * sizeof(AUSND_SAMPLE*))));
    if (!grown)
        return false;
    for (int i = dev->numsamples; i < capacity; ++i)
        grown[i] = nullptr;
    dev->samples = grown;
    dev->numsamples = capacity;
    return true;
}

// The frame (one value per interleaved channel) at `index` of one channel block.
uint8_t* FrameAt(uint8_t* block, uint32_t framebytes, uint32_t index)
{
    return block + static_cast<size_t>(index) * framebytes;
}

void StopChannelsPlaying(AUSND_SAMPLE* sample)
{
    AUSND_Device* dev = Dev();
    if (!dev->channels)
        return;
    // Under the mixer's lock no mix is inside any of these channels.
    AUSND_ScopedSection section(dev->mixer ? dev->mixer->criticalsection : nullptr);
    for (int i = 0; i < dev->totalchannels; ++i)
    {
        if (dev->channels[i].sample == sample)
            AUSND_StopSound(i);
    }
}

void ForgetInSongs(AUSND_SAMPLE* sample)
{
    AUSND_Device* dev = Dev();
    for (AUSND_LINK* link = dev->songring.next; link && link != &dev->songring; link = link->next)
    {
        SongRecord* song = reinterpret_cast<SongRecord*>(link);
        for (int i = 0; song->samples && i < song->numsamples; ++i)
        {
            if (song->samples[i] == sample)
                song->samples[i] = nullptr;
        }
    }
}
// Decodes the 36-byte, 64-sample IMA ADPCM blocks that samples and banks
// keep, into `length` bytes of 16-bit output.
void DecodeCompactAdpcm(const uint8_t* src, int16_t* dest, uint32_t length, int channels)
{
    constexpr int kBlock = 36;
    constexpr int kSamples = 64;
    const uint32_t compressed = (length / 2 * kBlock) / kSamples;
    const int blocks = static_cast<int>(compressed / static_cast<uint32_t>(channels * kBlock));
    if (channels == 1)
    {
        AUSND_IMAAdpcm_DecodeM16(src, dest, blocks, kBlock, kSamples, 1);
        return;
    }
    if (channels == 2)
    {
        AUSND_IMAAdpcm_DecodeS16(src, dest, blocks, kBlock * 2, kSamples);
        return;
    }
    // Each channel's blocks lie word by word among the others' words: gather
    // one channel's words, a run of blocks at a time, and decode them apart.
    constexpr int kRun = 113;
    constexpr int kWords = kBlock / 2;
    uint8_t work[kRun * kBlock];
    for (int first = 0; first < blocks; first += kRun)
    {
        const int run = blocks - first < kRun ? blocks - first : kRun;
        for (int c = 0; c < channels; ++c)
        {
            for (int b = 0; b < run; ++b)
            {
                for (int w = 0; w < kWords; ++w)
                {
                    const size_t word = (static_cast<size_t>(first + b) * kWords + static_cast<size_t>(w)) *
                                            static_cast<size_t>(channels) +
                                        static_cast<size_t>(c);
                    std::memcpy(work + (b * kWords + w) * 2, src + word * 2, 2);
                }
            }
            int16_t* out = dest + static_cast<size_t>(first) * kSamples * static_cast<size_t>(channels) +
                           static_cast<size_t>(c);
            AUSND_IMAAdpcm_DecodeM16(work, out, run, kBlock, kSamples, channels);
        }
    }
}
} // namespace

uint32_t AUSND_Sample_ByteSize(const AUSND_SAMPLE* sample)
{
    uint32_t size = sample->length * BytesPerValue(sample->mode);
    if (sample->mode & AUSND_STEREO)
        size *= 2;
    else if (IsMultichannel(sample))
        size *= static_cast<uint32_t>(sample->channels);
    return size;
}

AUSND_SAMPLE* AUSND_Sample_AllocHeader(int index, unsigned int mode)
{
    AUSND_Device* dev = Dev();
    if (!dev->output)
        return FailNull(AUSND_ERR_UNINITIALIZED);
    if (index != -2 && !dev->samples)
        return FailNull(AUSND_ERR_UNINITIALIZED);
    if (index < -2)
        return FailNull(AUSND_ERR_INVALID_PARAM);

    if (index == -1)
    {
        for (int i = 0; i < dev->numsamples && index == -1; ++i)
        {
            if (!dev->samples[i])
                index = i;
        }
        if (index == -1)
        {
            index = dev->numsamples;
            if (!GrowTable(index))
                return FailNull(AUSND_ERR_MEMORY);
        }
    }
    else if (index >= 0 && index >= dev->numsamples && !GrowTable(index))
    {
        return FailNull(AUSND_ERR_MEMORY);
    }
    if (index >= 0 && dev->samples[index])
        AUSND_Sample_Free(dev->samples[index]);

    AUSND_SAMPLE* sample = static_cast<AUSND_SAMPLE*>(AUSND_Memory_Calloc(sizeof(AUSND_SAMPLE)));
    if (!sample)
        return FailNull(AUSND_ERR_MEMORY);
    sample->index = index;
    sample->guardindex = -1;
    sample->maxplaybacks = -1;
    sample->mode = NormaliseMode(mode);
    sample->deffreq = 44100;
    sample->defvol = 255;
    sample->defpan = 128;
    sample->defpri = 255;
    sample->middlec = 8363;
    sample->mindistance = 1.0f;
    sample->maxdistance = 1000000.0f;
    AUSND_Output_NoSound_SetSampleFunctions(sample);
    if (!(sample->mode & (AUSND_HW3D | AUSND_HW2D)))
        AUSND_Software_SetSampleFunctions(sample);
    else
        dev->output->SetSampleFunctions(sample);
    if (index >= 0)
        dev->samples[index] = sample;
    return sample;
}

AUSND_SAMPLE* AUSND_Sample_AllocEx(int index, int length, unsigned int mode, int deffreq, int defvol, int defpan,
                                   int defpri, int channels)
{
    AUSND_ClearErrorOnOwner();
    if (length < 0)
        length = 0;
    AUSND_SAMPLE* sample = AUSND_Sample_AllocHeader(index, mode);
    if (!sample)
        return nullptr;
    sample->length = static_cast<uint32_t>(length);
    sample->looplen = sample->length;
    sample->deffreq = deffreq;
    sample->defvol = defvol;
    sample->defpan = defpan;
    sample->defpri = defpri;
    sample->channels = channels;
    if (length == 0)
        return sample;
    if (!sample->AllocData(sample))
    {
        const int error = AUSND_ErrorNo;
        AUSND_Sample_Free(sample);
        AUSND_ErrorNo = error ? error : AUSND_ERR_MEMORY;
        return nullptr;
    }
    return sample;
}

AUSND_SAMPLE* AUSND_Sample_Alloc(int index, int length, unsigned int mode, int deffreq, int defvol, int defpan,
                                 int defpri)
{
    AUSND_ClearErrorOnOwner();
    if (length <= 0)
        return FailNull(AUSND_ERR_INVALID_PARAM);
    return AUSND_Sample_AllocEx(index, length, mode, deffreq, defvol, defpan, defpri, 0);
}

void AUSND_Sample_Free(AUSND_SAMPLE* sample)
{
    AUSND_ClearErrorOnOwner();
    if (!sample)
        return;
    StopChannelsPlaying(sample);
    ForgetInSongs(sample);
    if (sample->FreeData)
        sample->FreeData(sample);
    AUSND_Device* dev = Dev();
    if (sample->index >= 0 && dev->samples && sample->index < dev->numsamples && dev->samples[sample->index] == sample)
        dev->samples[sample->index] = nullptr;
    AUSND_Memory_Free(sample);
}

bool AUSND_Sample_Lock(AUSND_SAMPLE* sample, int offset, int length, void** ptr1, void** ptr2, unsigned int* len1,
                       unsigned int* len2)
{
    AUSND_ClearErrorOnOwner();
    void* p1 = nullptr;
    void* p2 = nullptr;
    uint32_t l1 = 0;
    uint32_t l2 = 0;
    const bool ok = sample && offset >= 0 && length >= 0 &&
                    static_cast<uint32_t>(offset) <= AUSND_Sample_ByteSize(sample) &&
                    sample->LockData(sample, static_cast<uint32_t>(offset), static_cast<uint32_t>(length), &p1, &p2,
                                     &l1, &l2);
    if (!ok)
    {
        p1 = p2 = nullptr;
        l1 = l2 = 0;
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
    }
    if (ptr1)
        *ptr1 = p1;
    if (ptr2)
        *ptr2 = p2;
    if (len1)
        *len1 = l1;
    if (len2)
        *len2 = l2;
    return ok;
}

bool AUSND_Sample_Unlock(AUSND_SAMPLE* sample, void* ptr1, void* ptr2, unsigned int len1, unsigned int len2)
{
    AUSND_ClearErrorOnOwner();
    if (!sample)
        return Fail(AUSND_ERR_INVALID_PARAM);
    return sample->UnlockData(sample, ptr1, ptr2, len1, len2);
}

bool AUSND_Sample_Convert(void* dest, const void* src, unsigned int length, unsigned int destmode,
                          unsigned int srcmode, int channels)
{
    if (channels < 1)
        channels = (srcmode & AUSND_STEREO) ? 2 : 1;
    uint8_t* d = static_cast<uint8_t*>(dest);
    const uint8_t* s = static_cast<const uint8_t*>(src);
    const bool dest16 = (destmode & AUSND_16BITS) != 0;
    const bool src16 = (srcmode & AUSND_16BITS) != 0;
    uint32_t values = 0;
    if ((srcmode & AUSND_IMAADPCM) && !(destmode & AUSND_IMAADPCM))
    {
        DecodeCompactAdpcm(s, reinterpret_cast<int16_t*>(d), length, channels);
        return true;
    }
    if (srcmode & (AUSND_TRACKERPACKED | AUSND_TRACKERPACKED2))
    {
        // The tracker decompressors belong to the song loaders, which this build does not carry.
        std::memset(d, 0, length);
        return true;
    }
    if (!src16 && dest16)
    {
        for (uint32_t i = 0; i < length; ++i)
        {
            const uint16_t v = static_cast<uint16_t>(static_cast<uint16_t>(s[i]) << 8);
            std::memcpy(d + 2 * i, &v, 2);
        }
        values = length;
    }
    else if (src16 && !dest16)
    {
        values = length / 2;
        for (uint32_t i = 0; i < values; ++i)
            d[i] = s[2 * i + 1]; // the high byte of a little-endian value
    }
    else
    {
        std::memmove(d, s, length);
        values = length / (dest16 ? 2 : 1);
    }

    if (srcmode & AUSND_DELTA)
    {
        uint16_t sum = 0;
        for (uint32_t i = 0; i < values; ++i)
        {
            if (dest16)
            {
                uint16_t v;
                std::memcpy(&v, d + 2 * i, 2);
                sum = static_cast<uint16_t>(sum + v);
                std::memcpy(d + 2 * i, &sum, 2);
            }
            else
            {
                sum = static_cast<uint8_t>(sum + d[i]);
                d[i] = static_cast<uint8_t>(sum);
            }
        }
    }

    const bool srcUnsigned = (srcmode & AUSND_UNSIGNED) != 0;
    const bool destUnsigned = (destmode & AUSND_UNSIGNED) != 0;
    if (srcUnsigned != destUnsigned)
    {
        for (uint32_t i = 0; i < values; ++i)
        {
            if (dest16)
            {
                uint16_t v;
                std::memcpy(&v, d + 2 * i, 2);
                v = static_cast<uint16_t>(v + 32768);
                std::memcpy(d + 2 * i, &v, 2);
            }
            else
            {
                d[i] = static_cast<uint8_t>(d[i] + 128);
            }
        }
    }
    return true;
}

bool AUSND_Sample_UploadEx(AUSND_SAMPLE* sample, const void* srcdata, unsigned int offset, unsigned int length,
                           unsigned int mode)
{
    AUSND_ClearErrorOnOwner();
    if (!sample || !srcdata)
        return Fail(AUSND_ERR_INVALID_PARAM);
    if (mode & AUSND_16BITS)
        mode &= ~static_cast<unsigned int>(AUSND_8BITS);
    if (mode & AUSND_STEREO)
        mode &= ~static_cast<unsigned int>(AUSND_MONO | AUSND_MULTICHANNEL);
    if (sample->UploadData)
        return sample->UploadData(sample, srcdata, offset, length, mode);
    if ((mode & AUSND_IMAADPCM) && !(sample->mode & AUSND_IMAADPCM))
    {
        // The decoded size of compact blocks: 64 16-bit values per 36 bytes.
        const uint32_t decoded = length * 64 / 36 * 2;
        void* p1 = nullptr;
        void* p2 = nullptr;
        unsigned int l1 = 0;
        unsigned int l2 = 0;
        if (!AUSND_Sample_Lock(sample, static_cast<int>(offset), static_cast<int>(decoded), &p1, &p2, &l1, &l2))
            return false;
        const int channels = (sample->mode & AUSND_STEREO) ? 2 : (sample->channels > 0 ? sample->channels : 1);
        if (p1)
            AUSND_Sample_Convert(p1, srcdata, l1, sample->mode, mode, channels);
        return AUSND_Sample_Unlock(sample, p1, p2, l1, l2);
    }

    // `length` counts source bytes; the sample may store another width.
    const uint32_t srcwidth = BytesPerValue(mode);
    const uint32_t destwidth = BytesPerValue(sample->mode);
    const uint32_t destlength = length / srcwidth * destwidth;
    void* p1 = nullptr;
    void* p2 = nullptr;
    unsigned int l1 = 0;
    unsigned int l2 = 0;
    if (!AUSND_Sample_Lock(sample, static_cast<int>(offset), static_cast<int>(destlength), &p1, &p2, &l1, &l2))
        return false;
    const uint8_t* src = static_cast<const uint8_t*>(srcdata);
    if (p1)
        AUSND_Sample_Convert(p1, src, l1 / destwidth * srcwidth, sample->mode, mode, sample->channels);
    if (p2)
        AUSND_Sample_Convert(p2, src + l1 / destwidth * srcwidth, l2 / destwidth * srcwidth, sample->mode, mode,
                             sample->channels);
    return AUSND_Sample_Unlock(sample, p1, p2, l1, l2);
}

bool AUSND_Sample_Upload(AUSND_SAMPLE* sample, const void* srcdata, unsigned int mode)
{
    AUSND_ClearErrorOnOwner();
    if (!sample)
        return Fail(AUSND_ERR_INVALID_PARAM);
    uint32_t bytes = sample->length * BytesPerValue(mode);
    if (mode & AUSND_IMAADPCM)
        bytes = (sample->length * 36) >> 6;
    if (mode & AUSND_STEREO)
        bytes *= 2;
    else if ((mode & AUSND_MULTICHANNEL) && sample->channels > 1)
        bytes *= static_cast<uint32_t>(sample->channels);
    return AUSND_Sample_UploadEx(sample, srcdata, 0, bytes, mode);
}

bool AUSND_Sample_AdjustLoopPoints(AUSND_SAMPLE* sample)
{
    if (!sample || !sample->data || sample->length == 0)
        return true;
    const bool multi = IsMultichannel(sample);
    const uint32_t blocks = multi ? static_cast<uint32_t>(sample->channels) : 1;
    const uint32_t bpv = BytesPerValue(sample->mode);
    const uint32_t framebytes = multi ? bpv : bpv * ((sample->mode & AUSND_STEREO) ? 2 : 1);
    const uint32_t blockbytes = sample->length * framebytes + 8;
    const uint32_t guard = sample->loopstart + sample->looplen;
    if (guard > sample->length)
        return false;
    for (uint32_t b = 0; b < blocks; ++b)
    {
        uint8_t* block = static_cast<uint8_t*>(sample->data) + static_cast<size_t>(b) * blockbytes;
        uint8_t* save = block + static_cast<size_t>(sample->length) * framebytes + 4;
        if (sample->guardindex >= 0)
            std::memcpy(FrameAt(block, framebytes, static_cast<uint32_t>(sample->guardindex)), save, framebytes);
        std::memcpy(save, FrameAt(block, framebytes, guard), framebytes);
        if (sample->mode & AUSND_LOOP_NORMAL)
            std::memcpy(FrameAt(block, framebytes, guard), FrameAt(block, framebytes, sample->loopstart), framebytes);
        else if (sample->mode & AUSND_LOOP_BIDI)
            std::memcpy(FrameAt(block, framebytes, guard), FrameAt(block, framebytes, guard - 1), framebytes);
        else
            std::memset(FrameAt(block, framebytes, sample->length), 0, framebytes);
    }
    sample->guardindex = static_cast<int32_t>(guard);
    return true;
}

bool AUSND_Sample_SetLoopPoints(AUSND_SAMPLE* sample, int loopstart, int loopend)
{
    AUSND_ClearErrorOnOwner();
    if (!sample || loopstart < 0 || loopend < 0 || static_cast<uint32_t>(loopstart) >= sample->length ||
        loopstart >= loopend)
        return Fail(AUSND_ERR_INVALID_PARAM);
    if (static_cast<uint32_t>(loopend) >= sample->length)
        loopend = static_cast<int>(sample->length) - 1;
    sample->loopstart = static_cast<uint32_t>(loopstart);
    sample->looplen = static_cast<uint32_t>(loopend - loopstart + 1);
    return AUSND_Sample_AdjustLoopPoints(sample);
}

bool AUSND_Sample_GetLoopPoints(AUSND_SAMPLE* sample, int* loopstart, int* loopend)
{
    AUSND_ClearErrorOnOwner();
    if (!sample)
        return Fail(AUSND_ERR_INVALID_PARAM);
    if (loopstart)
        *loopstart = static_cast<int>(sample->loopstart);
    if (loopend)
        *loopend = static_cast<int>(sample->loopstart + sample->looplen) - 1;
    return true;
}

bool AUSND_Sample_SetMode(AUSND_SAMPLE* sample, unsigned int mode)
{
    AUSND_ClearErrorOnOwner();
    if (!sample)
        return Fail(AUSND_ERR_INVALID_PARAM);
    if (mode & AUSND_LOOPBITS)
    {
        uint32_t loop = 0;
        if (mode & AUSND_LOOP_NORMAL)
            loop = AUSND_LOOP_NORMAL;
        else if (mode & AUSND_LOOP_BIDI)
            loop = AUSND_LOOP_BIDI;
        if (mode & AUSND_LOOP_OFF)
            loop |= AUSND_LOOP_OFF;
        sample->mode = (sample->mode & ~static_cast<uint32_t>(AUSND_LOOPBITS)) | loop;
        AUSND_Sample_AdjustLoopPoints(sample);
    }
    if (!(mode & (AUSND_HW3D | AUSND_HW2D)))
        sample->mode = (sample->mode & ~static_cast<uint32_t>(AUSND_2D)) | (mode & AUSND_2D);
    return true;
}

unsigned int AUSND_Sample_GetMode(AUSND_SAMPLE* sample)
{
    AUSND_ClearErrorOnOwner();
    if (!sample)
    {
        Fail(AUSND_ERR_INVALID_PARAM);
        return 0;
    }
    return sample->mode;
}

bool AUSND_Sample_SetDefaultsEx(AUSND_SAMPLE* sample, int deffreq, int defvol, int defpan, int defpri, int varfreq,
                                int varvol, int varpan)
{
    AUSND_ClearErrorOnOwner();
    if (!sample)
        return Fail(AUSND_ERR_INVALID_PARAM);
    auto limit = [](int value) { return value > 255 ? 255 : value; };
    if (deffreq > 100)
        sample->deffreq = deffreq;
    if (defvol >= 0)
        sample->defvol = limit(defvol);
    if (defpan >= 0)
        sample->defpan = limit(defpan);
    if (defpri >= 0)
        sample->defpri = limit(defpri);
    if (varfreq >= 0)
        sample->varfreq = varfreq;
    if (varvol >= 0)
        sample->varvol = varvol;
    if (varpan >= 0)
        sample->varpan = varpan;
    return true;
}

bool AUSND_Sample_SetDefaults(AUSND_SAMPLE* sample, int deffreq, int defvol, int defpan, int defpri)
{
    return AUSND_Sample_SetDefaultsEx(sample, deffreq, defvol, defpan, defpri, -1, -1, -1);
}

bool AUSND_Sample_GetDefaultsEx(AUSND_SAMPLE* sample, int* deffreq, int* defvol, int* defpan, int* defpri,
                                int* varfreq, int* varvol, int* varpan)
{
    AUSND_ClearErrorOnOwner();
    if (!sample)
        return Fail(AUSND_ERR_INVALID_PARAM);
    int* outs[7] = {deffreq, defvol, defpan, defpri, varfreq, varvol, varpan};
    const int values[7] = {sample->deffreq, sample->defvol, sample->defpan, sample->defpri,
                           sample->varfreq, sample->varvol, sample->varpan};
    for (int i = 0; i < 7; ++i)
    {
        if (outs[i])
            *outs[i] = values[i];
    }
    return true;
}

bool AUSND_Sample_GetDefaults(AUSND_SAMPLE* sample, int* deffreq, int* defvol, int* defpan, int* defpri)
{
    return AUSND_Sample_GetDefaultsEx(sample, deffreq, defvol, defpan, defpri, nullptr, nullptr, nullptr);
}

bool AUSND_Sample_SetMinMaxDistance(AUSND_SAMPLE* sample, float min, float max)
{
    AUSND_ClearErrorOnOwner();
    if (!Dev()->initialised)
        return Fail(AUSND_ERR_UNINITIALIZED);
    if (!sample || min < 0.0f || min > max)
        return Fail(AUSND_ERR_INVALID_PARAM);
    sample->mindistance = min;
    sample->maxdistance = max;
    return true;
}

bool AUSND_Sample_GetMinMaxDistance(AUSND_SAMPLE* sample, float* min, float* max)
{
    AUSND_ClearErrorOnOwner();
    if (!sample)
        return Fail(AUSND_ERR_INVALID_PARAM);
    if (min)
        *min = sample->mindistance;
    if (max)
        *max = sample->maxdistance;
    return true;
}

bool AUSND_Sample_SetMaxPlaybacks(AUSND_SAMPLE* sample, int max)
{
    AUSND_ClearErrorOnOwner();
    if (!sample)
        return Fail(AUSND_ERR_INVALID_PARAM);
    sample->maxplaybacks = max;
    return true;
}

unsigned int AUSND_Sample_GetLength(AUSND_SAMPLE* sample)
{
    AUSND_ClearErrorOnOwner();
    if (!sample)
    {
        Fail(AUSND_ERR_INVALID_PARAM);
        return 0;
    }
    return sample->length;
}

const char* AUSND_Sample_GetName(AUSND_SAMPLE* sample)
{
    AUSND_ClearErrorOnOwner();
    if (!sample)
    {
        Fail(AUSND_ERR_INVALID_PARAM);
        return nullptr;
    }
    return sample->name;
}

AUSND_SAMPLE* AUSND_Sample_Get(int sampno)
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (sampno == AUSND_CHANNEL_PRIMARY)
        return nullptr;
    if (sampno < 0 || !dev->samples || sampno >= dev->numsamples)
        return FailNull(AUSND_ERR_INVALID_PARAM);
    return dev->samples[sampno];
}

namespace
{
AUSND_FILE* OpenForLoading(const char* name, unsigned int mode, int length)
{
    if (mode & AUSND_LOADMEMORY)
        return AUSND_File_Open(name, AUSND_FILE_MEMORY, length);
    if (AUSND_File_UsingFileCallbacks())
        return AUSND_File_Open(name, AUSND_FILE_USER, 0);
    return AUSND_File_Open(name, AUSND_FILE_BUFFERED, 0);
}

// The whole file as PCM in the caller's format.
AUSND_SAMPLE* LoadRaw(int index, AUSND_FILE* file, unsigned int mode)
{
    const int size = AUSND_File_Seek(file, 0, 2) >= 0 ? AUSND_File_Tell(file) : 0;
    AUSND_File_Seek(file, 0, 0);
    const bool stereo = (mode & AUSND_STEREO) != 0;
    uint32_t frames = static_cast<uint32_t>(size > 0 ? size : 0) / BytesPerValue(mode);
    if (stereo)
        frames /= 2;
    if (frames == 0)
        return FailNull(AUSND_ERR_FILE_BAD);
    unsigned int allocmode = mode & ~static_cast<unsigned int>(AUSND_LOADMEMORY | AUSND_LOADRAW);
    if (stereo && (mode & AUSND_FORCEMONO))
        allocmode &= ~static_cast<unsigned int>(AUSND_HW3D);
    AUSND_SAMPLE* sample =
        AUSND_Sample_Alloc(index, static_cast<int>(frames), allocmode, 44100, 255, stereo ? -1 : 128, 255);
    if (!sample)
        return nullptr;
    AUSND_Sample_SetLoopPoints(sample, 0, static_cast<int>(frames) - 1);
    const uint32_t bytes = frames * BytesPerValue(mode) * (stereo ? 2 : 1);
    void* buffer = AUSND_Memory_Alloc(bytes);
    if (!buffer)
    {
        AUSND_Sample_Free(sample);
        return FailNull(AUSND_ERR_MEMORY);
    }
    const int item = (mode & AUSND_16BITS) ? 2 : 1;
    const int got = AUSND_File_Read(buffer, item, static_cast<int>(bytes) / item, file);
    const bool ok = got == static_cast<int>(bytes) && AUSND_Sample_UploadEx(sample, buffer, 0, bytes, mode);
    AUSND_Memory_Free(buffer);
    if (!ok)
    {
        AUSND_Sample_Free(sample);
        return FailNull(AUSND_ERR_FILE_BAD);
    }
    return sample;
}

// The high byte of every 16-bit value, in a new 8-bit sample in the same slot.
AUSND_SAMPLE* NarrowTo8Bits(AUSND_SAMPLE* wide)
{
    const unsigned int mode = (wide->mode & ~static_cast<unsigned int>(AUSND_16BITS)) | AUSND_8BITS;
    const int index = wide->index;
    wide->index = -2; // the slot passes to the new sample
    if (index >= 0)
        Dev()->samples[index] = nullptr;
    AUSND_SAMPLE* narrow = AUSND_Sample_AllocEx(index, static_cast<int>(wide->length), mode, wide->deffreq,
                                                wide->defvol, wide->defpan, 255, wide->channels);
    if (!narrow)
    {
        AUSND_Sample_Free(wide);
        return nullptr;
    }
    void* src = nullptr;
    void* dst = nullptr;
    void* unused = nullptr;
    unsigned int srclen = 0;
    unsigned int dstlen = 0;
    unsigned int unusedlen = 0;
    AUSND_Sample_Lock(wide, 0, static_cast<int>(AUSND_Sample_ByteSize(wide)), &src, &unused, &srclen, &unusedlen);
    AUSND_Sample_Lock(narrow, 0, static_cast<int>(AUSND_Sample_ByteSize(narrow)), &dst, &unused, &dstlen,
                      &unusedlen);
    if (src && dst)
        AUSND_Sample_Convert(dst, src, dstlen * 2, narrow->mode, wide->mode, narrow->channels);
    AUSND_Sample_Unlock(narrow, dst, nullptr, dstlen, 0);
    AUSND_Sample_Unlock(wide, src, nullptr, srclen, 0);
    narrow->loopstart = wide->loopstart;
    narrow->looplen = wide->looplen;
    AUSND_Sample_SetMode(narrow, wide->mode & AUSND_LOOPBITS);
    F_strncpy(narrow->name, wide->name, 255);
    AUSND_Sample_Free(wide);
    return narrow;
}

// Each stereo frame averaged into a new mono sample that takes the slot.
AUSND_SAMPLE* MixToMono(AUSND_SAMPLE* stereo)
{
    const unsigned int mode =
        (stereo->mode & ~static_cast<unsigned int>(AUSND_STEREO)) | AUSND_MONO;
    AUSND_SAMPLE* mono = AUSND_Sample_Alloc(-2, static_cast<int>(stereo->length), mode, stereo->deffreq,
                                            stereo->defvol, 128, stereo->defpri);
    if (!mono)
    {
        AUSND_Sample_Free(stereo);
        return nullptr;
    }
    void* src = nullptr;
    void* dst = nullptr;
    void* unused = nullptr;
    unsigned int srclen = 0;
    unsigned int dstlen = 0;
    unsigned int unusedlen = 0;
    AUSND_Sample_Lock(stereo, 0, static_cast<int>(AUSND_Sample_ByteSize(stereo)), &src, &unused, &srclen,
                      &unusedlen);
    AUSND_Sample_Lock(mono, 0, static_cast<int>(AUSND_Sample_ByteSize(mono)), &dst, &unused, &dstlen, &unusedlen);
    if (src && dst)
        AUSND_Mixer_ClipCopy_StereoToMono(dst, src, static_cast<int>(mono->length), stereo->mode);
    AUSND_Sample_Unlock(mono, dst, nullptr, dstlen, 0);
    AUSND_Sample_Unlock(stereo, src, nullptr, srclen, 0);
    mono->loopstart = stereo->loopstart;
    mono->looplen = stereo->looplen;
    AUSND_Sample_SetMode(mono, stereo->mode & AUSND_LOOPBITS);
    F_strncpy(mono->name, stereo->name, 255);
    const int index = stereo->index;
    AUSND_Sample_Free(stereo);
    mono->index = index;
    if (index >= 0)
        Dev()->samples[index] = mono;
    return mono;
}

AUSND_SAMPLE* ProbeFormats(int index, AUSND_FILE* file, unsigned int mode)
{
    AUSND_ErrorNo = AUSND_ERR_FILE_FORMAT;
    if (mode & AUSND_LOADRAW)
        return LoadRaw(index, file, mode);
    AUSND_SAMPLE* sample = AUSND_AIFF_Load(index, file, mode);
    if (!sample && AUSND_ErrorNo == AUSND_ERR_FILE_FORMAT)
        sample = AUSND_WAV_Load(index, file, mode);
    if (!sample && AUSND_ErrorNo == AUSND_ERR_FILE_FORMAT)
        sample = AUSND_ASB_Load(index, file, mode);
    if (!sample && AUSND_ErrorNo == AUSND_ERR_FILE_FORMAT)
        sample = AUSND_OggVorbis_Load(index, file, mode);
    // MPEG last: its frame search would find sync words inside other formats.
    if (!sample && AUSND_ErrorNo == AUSND_ERR_FILE_FORMAT)
        sample = AUSND_Mpeg_Load(index, file, mode);
    return sample;
}
} // namespace

AUSND_SAMPLE* AUSND_Sample_LoadEx(int index, const char* nameordata, unsigned int mode, int offset, int length,
                                  bool openfile)
{
    AUSND_ClearErrorOnOwner();
    if (!Dev()->initialised)
        return FailNull(AUSND_ERR_UNINITIALIZED);
    if (!nameordata)
        return FailNull(AUSND_ERR_INVALID_PARAM);
    AUSND_FILE* file = openfile ? reinterpret_cast<AUSND_FILE*>(const_cast<char*>(nameordata))
                                : OpenForLoading(nameordata, mode, length);
    if (!file)
        return FailNull(AUSND_ERR_FILE_NOTFOUND);

    const int before = AUSND_File_Tell(file);
    if (!AUSND_Tag_Skip(file))
        AUSND_File_Seek(file, before, 0);
    const int start = AUSND_File_Tell(file) + (offset > 0 ? offset : 0);
    if (start > 0)
        AUSND_File_SetStartOffset(file, start);
    if (length > 0)
        AUSND_File_SetEndOffset(file, start + length - 1);
    AUSND_File_Seek(file, 0, 0);

    AUSND_SAMPLE* sample = ProbeFormats(index, file, mode);
    if (!openfile)
        AUSND_File_Close(file);
    if (!sample)
        return nullptr;
    // Banks name their sounds themselves.
    if (!sample->name[0])
        F_strncpy(sample->name, (mode & AUSND_LOADMEMORY) || openfile ? "Memory file" : nameordata, 255);
    sample->name[255] = 0;
    if (sample->mode & (AUSND_IMAADPCM | AUSND_ADPCM28))
        return sample;

    AUSND_ErrorNo = AUSND_ERR_NONE;
    if ((mode & AUSND_8BITS) && !(mode & AUSND_16BITS) && (sample->mode & AUSND_16BITS))
        sample = NarrowTo8Bits(sample);
    if (sample && (mode & AUSND_FORCEMONO) && (sample->mode & AUSND_STEREO))
        sample = MixToMono(sample);
    return sample;
}

AUSND_SAMPLE* AUSND_Sample_Load(int index, const char* nameordata, unsigned int mode, int offset, int length)
{
    return AUSND_Sample_LoadEx(index, nameordata, mode, offset, length, false);
}
