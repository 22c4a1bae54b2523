// Filling a stream's double buffer from its file: the fill callback of opened
// streams (decode buffer, loops, end of data and the end countdown) and the
// read operations of the WAV, AIFF and Ogg Vorbis readers.
#include "aulos/ausnd_stream.h"
#include "aulos/format_asb.h"

#include <cstring>

namespace
{
bool LoopInEffect(const AUSND_STREAM* s)
{
    return s->loopend > 0 && (s->mode & (AUSND_LOOP_NORMAL | AUSND_LOOP_BIDI)) && s->loopsleft != 0 &&
           !(s->mode & AUSND_ADPCM28);
}

bool Looping(const AUSND_STREAM* s)
{
    return (s->mode & (AUSND_LOOP_NORMAL | AUSND_LOOP_BIDI)) && s->loopsleft != 0;
}

void MixDownInPlace(AUSND_STREAM* s, uint8_t* data, uint32_t* bytes)
{
    if (s->format.mode & AUSND_16BITS)
    {
        int16_t* v = reinterpret_cast<int16_t*>(data);
        const uint32_t frames = *bytes / 4;
        for (uint32_t i = 0; i < frames; ++i)
        {
            int16_t l = 0;
            int16_t r = 0;
            std::memcpy(&l, data + i * 4, 2);
            std::memcpy(&r, data + i * 4 + 2, 2);
            const int16_t m = static_cast<int16_t>((static_cast<int32_t>(l) + r) / 2);
            std::memcpy(v + i, &m, 2);
        }
        *bytes = frames * 2;
        return;
    }
    const uint32_t frames = *bytes / 2;
    const bool unsign = (s->format.mode & AUSND_UNSIGNED) != 0;
    for (uint32_t i = 0; i < frames; ++i)
    {
        const int a = unsign ? data[i * 2] : static_cast<int8_t>(data[i * 2]);
        const int b = unsign ? data[i * 2 + 1] : static_cast<int8_t>(data[i * 2 + 1]);
        data[i] = static_cast<uint8_t>((a + b) / 2);
    }
    *bytes = frames;
}

void MakeSigned(const AUSND_STREAM* s, uint8_t* data, uint32_t bytes)
{
    if (!(s->format.mode & AUSND_UNSIGNED))
        return;
    if (s->format.mode & AUSND_16BITS)
    {
        for (uint32_t i = 0; i + 1 < bytes; i += 2)
        {
            const uint16_t v = static_cast<uint16_t>(data[i] | (data[i + 1] << 8)) ^ 0x8000u;
            data[i] = static_cast<uint8_t>(v);
            data[i + 1] = static_cast<uint8_t>(v >> 8);
        }
        return;
    }
    for (uint32_t i = 0; i < bytes; ++i)
        data[i] = static_cast<uint8_t>(data[i] + 128);
}

// Seeks to the loop start (or the data start) for the next pass; false when
// the stream does not loop again.
bool NextLoop(AUSND_STREAM* s)
{
    if (!Looping(s) || s->fileerror)
        return false;
    const uint64_t start = s->loopend > 0 ? s->loopstart : 0;
    if (!AUSND_Stream_Seek(s, start, 2, false))
        return false;
    if (s->loopsleft > 0)
        --s->loopsleft;
    ++s->loopcounter;
    s->leftover = 0;
    s->readoffset = 0;
    s->sourceended = 0;
    return true;
}

void StartEndCountdown(AUSND_STREAM* s, uint32_t real, uint32_t requested)
{
    if (s->mode & AUSND_ADPCM28)
    {
        s->endcountdown = 0;
        return;
    }
    const uint64_t rate = static_cast<uint64_t>(s->sample->deffreq > 0 ? s->sample->deffreq : 1);
    const uint64_t ringms = (static_cast<uint64_t>(s->sample->length) * 1000 + 999) / rate;
    uint64_t ms = requested ? ringms / 2 * real / requested : 0;
    if (!s->flushing)
        ms += ringms / 2;
    if (!(s->sample->mode & (AUSND_HW2D | AUSND_HW3D)) && AUSND_CurrentDevice->buffersize > 0)
        ms += static_cast<uint64_t>(AUSND_CurrentDevice->buffersize);
    s->endcountdown = static_cast<int64_t>(ms * 256);
}

bool FileRead(AUSND_STREAM* s, void* dest, uint32_t count, bool wide, uint32_t* got)
{
    const int tell = AUSND_File_Tell(s->file);
    const int64_t end = static_cast<int64_t>(s->dataoffset) + s->datalength;
    const int64_t left = end - tell;
    *got = 0;
    if (tell < 0 || left <= 0)
        return false;
    uint32_t want = count < left ? count : static_cast<uint32_t>(left);
    if (wide)
        want &= ~1u;
    if (want == 0)
        return false;
    const int n = wide ? AUSND_File_Read(dest, 2, static_cast<int>(want / 2), s->file)
                       : AUSND_File_Read(dest, 1, static_cast<int>(want), s->file);
    if (n < 0)
    {
        s->fileerror = 1;
        return false;
    }
    *got = static_cast<uint32_t>(n);
    return *got == want && static_cast<int64_t>(want) < left;
}
} // namespace

bool AUSND_Stream_Read(AUSND_STREAM* s, void* buffer, int length, void* /*userdata*/)
{
    uint8_t* dest = static_cast<uint8_t*>(buffer);
    const uint32_t requested = length > 0 ? static_cast<uint32_t>(length) : 0;
    uint32_t wanted = requested;
    const uint32_t framebytes = s->pcmframebytes ? s->pcmframebytes : 1;
    // A loop that yields no data before it loops again would spin for ever: it ends the data.
    bool loopedsinceproduce = false;
    int switchessinceproduce = 0;
    while (wanted > 0)
    {
        if (LoopInEffect(s) && s->pcmposition >= s->loopend)
        {
            if (loopedsinceproduce || !NextLoop(s))
                break;
            loopedsinceproduce = true;
            continue;
        }
        uint32_t request = wanted;
        if (LoopInEffect(s) && s->pcmposition + request / framebytes >= s->loopend)
            request = static_cast<uint32_t>((s->loopend - s->pcmposition) * framebytes);
        if (s->leftover == 0 && !s->sourceended)
        {
            const bool viadecode =
                s->decode && (request < s->format.decodesize || (s->mode & AUSND_FORCEMONO) || s->skipbytes > 0);
            uint32_t n = viadecode ? s->format.decodesize : request;
            const bool more = s->format.read(s, s->raw, s->format.rawsize, viadecode ? s->decode : dest, &n);
            s->sourceended = more ? 0 : 1;
            if (viadecode)
            {
                if (s->mode & AUSND_FORCEMONO)
                    MixDownInPlace(s, s->decode, &n);
                s->leftover = n;
                s->readoffset = 0;
            }
            else if (n > 0)
            {
                n = n < request ? n : request;
                MakeSigned(s, dest, n);
                dest += n;
                wanted -= n;
                loopedsinceproduce = false;
                switchessinceproduce = 0;
                AUSND_Stream_UpdatePCMOffset(s, n / framebytes);
                continue;
            }
        }
        if (s->leftover > 0)
        {
            if (s->skipbytes > 0)
            {
                const uint32_t drop = s->skipbytes < s->leftover ? s->skipbytes : s->leftover;
                s->skipbytes -= drop;
                s->leftover -= drop;
                s->readoffset += drop;
                if (s->leftover == 0)
                    s->readoffset = 0;
                continue;
            }
            const uint32_t take = s->leftover < request ? s->leftover : request;
            std::memcpy(dest, s->decode + s->readoffset, take);
            MakeSigned(s, dest, take);
            s->leftover -= take;
            s->readoffset = s->leftover ? s->readoffset + take : 0;
            dest += take;
            wanted -= take;
            loopedsinceproduce = false;
            switchessinceproduce = 0;
            AUSND_Stream_UpdatePCMOffset(s, take / framebytes);
            continue;
        }
        // The source has nothing more: the next entry of a sentence, a loop, or the end.
        if (s->sentence)
        {
            if (++switchessinceproduce > s->sentencecount || !AUSND_Stream_NextSentenceEntry(s))
                break;
            continue;
        }
        if (loopedsinceproduce || !NextLoop(s))
            break;
        loopedsinceproduce = true;
    }
    if (wanted == 0)
        return true;
    std::memset(dest, 0, wanted);
    AUSND_Stream_UpdatePCMOffset(s, wanted / framebytes);
    StartEndCountdown(s, requested - wanted, requested);
    return false;
}

bool AUSND_Stream_ReadWav(AUSND_STREAM* s, void* raw, uint32_t rawsize, void* dest, uint32_t* bytes)
{
    if (!dest || !s->file)
    {
        *bytes = 0;
        return false;
    }
    AUSND_WAVSTATE* state = static_cast<AUSND_WAVSTATE*>(s->format.codec);
    if (state && state->format && raw)
    {
        uint32_t got = 0;
        FileRead(s, raw, rawsize, false, &got);
        if (got == 0 || got < rawsize)
        {
            // A short last read still holds whole blocks worth decoding.
            if (got == 0)
            {
                *bytes = 0;
                return false;
            }
            AUSND_WAV_Read(state, raw, got, dest, bytes);
            return false;
        }
        return AUSND_WAV_Read(state, raw, got, dest, bytes);
    }
    uint32_t got = 0;
    const bool more = FileRead(s, dest, *bytes, (s->format.mode & AUSND_16BITS) != 0, &got);
    *bytes = got;
    return more;
}

bool AUSND_Stream_ReadAIFF(AUSND_STREAM* s, void* /*raw*/, uint32_t /*rawsize*/, void* dest, uint32_t* bytes)
{
    if (!dest || !s->file)
    {
        *bytes = 0;
        return false;
    }
    uint32_t got = 0;
    const bool wide = (s->format.mode & AUSND_16BITS) != 0;
    const bool more = FileRead(s, dest, *bytes, wide, &got);
    uint8_t* d = static_cast<uint8_t*>(dest);
    // The file is opened without byte swapping: AIFF values are big-endian.
    if (wide && !(s->file->kind & AUSND_FILE_SWAP))
    {
        for (uint32_t i = 0; i + 1 < got; i += 2)
        {
            const uint8_t t = d[i];
            d[i] = d[i + 1];
            d[i + 1] = t;
        }
    }
    else if (!wide)
    {
        // Signed in the file, unsigned by the format's mode: the common read turns them back.
        for (uint32_t i = 0; i < got; ++i)
            d[i] = static_cast<uint8_t>(d[i] + 128);
    }
    *bytes = got;
    return more;
}

bool AUSND_Stream_ReadOggVorbis(AUSND_STREAM* s, void* /*raw*/, uint32_t /*rawsize*/, void* dest, uint32_t* bytes)
{
    if (!dest)
    {
        *bytes = 0;
        return false;
    }
    if (!AUSND_OggVorbis_Read(s->format.codec, dest, bytes))
    {
        s->fileerror = 1;
        return false;
    }
    return *bytes > 0;
}

bool AUSND_Stream_ReadASB(AUSND_STREAM* s, void* raw, uint32_t rawsize, void* dest, uint32_t* bytes)
{
    if (!dest || !s->file)
    {
        *bytes = 0;
        return false;
    }
    const AUSND_ASBBANK* bank = static_cast<const AUSND_ASBBANK*>(s->format.codec);
    AUSND_WAVSTATE* state = static_cast<AUSND_WAVSTATE*>(bank->streamFormat);
    if (!state || !raw || state->channels == 0)
    {
        uint32_t got = 0;
        const bool more = FileRead(s, dest, *bytes, (s->format.mode & AUSND_16BITS) != 0, &got);
        *bytes = got;
        return more;
    }
    // IMA ADPCM: whole blocks through the block-format record.
    uint32_t got = 0;
    const bool more = FileRead(s, raw, rawsize, false, &got);
    if (got == 0)
    {
        *bytes = 0;
        return false;
    }
    AUSND_WAV_Read(state, raw, got, dest, bytes);
    return more;
}
