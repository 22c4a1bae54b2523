// Moving a stream to another place in its data: seeking by bytes, milliseconds
// or PCM frames, repositioning with a flush of the double buffer, the position
// queries, loop count and loop points, and sub-streams.
#include "aulos/ausnd_stream.h"

#include <cstring>

namespace
{
bool Fail(int error)
{
    AUSND_ErrorNo = error;
    return false;
}

uint64_t Rate(const AUSND_STREAM* s)
{
    return static_cast<uint64_t>(s->sample && s->sample->deffreq > 0 ? s->sample->deffreq : 1);
}

uint64_t LengthMs(const AUSND_STREAM* s)
{
    return s->lengthms > 0 ? static_cast<uint64_t>(s->lengthms) : 1;
}

// The target in all three units.
void Convert(const AUSND_STREAM* s, uint64_t position, int unit, uint64_t* frame, uint64_t* bytes)
{
    uint64_t ms = 0;
    if (unit == 1)
    {
        ms = position;
        *frame = ms * Rate(s) / 1000;
    }
    else if (unit == 2)
    {
        *frame = position;
        ms = (1000 * position + 999) / Rate(s);
    }
    else
    {
        *bytes = position;
        ms = position * LengthMs(s) / (s->datalength ? s->datalength : 1);
        *frame = ms * Rate(s) / 1000;
        // Plain PCM: the frame follows exactly from the bytes.
        if (s->format.bytesperframe && s->format.read != AUSND_Stream_ReadOggVorbis && s->decode == nullptr)
            *frame = position / s->format.bytesperframe;
        return;
    }
    *bytes = ms * s->datalength / LengthMs(s);
    if (s->format.bytesperframe && s->decode == nullptr && s->format.read != AUSND_Stream_ReadOggVorbis)
        *bytes = *frame * s->format.bytesperframe;
}

bool Ready(const AUSND_STREAM* s)
{
    return s && (s->ready || s->sample);
}
} // namespace

void AUSND_Stream_ResetSyncPointer(AUSND_STREAM* s, uint64_t frame)
{
    AUSND_STREAMSYNC* p = &s->synchead;
    while (p != &s->synctail && p != &s->synchead && p->offset < frame)
        p = p->next;
    if (p == &s->synchead)
    {
        p = s->synchead.next;
        while (p != &s->synctail && p->offset < frame)
            p = p->next;
        if (p == s->synchead.next)
            p = &s->synchead;
    }
    s->nextsync = p;
}

bool AUSND_Stream_Seek(AUSND_STREAM* s, uint64_t position, int unit, bool resetsync)
{
    if (unit < 0 || unit > 2)
        return true;
    uint64_t frame = 0;
    uint64_t bytes = 0;
    Convert(s, position, unit, &frame, &bytes);
    if (s->sentence)
    {
        // A sentence counts frames from its first entry.
        if (unit == 0)
            frame = position / (s->pcmframebytes ? s->pcmframebytes : 1);
        if (!AUSND_Stream_SeekSentence(s, frame))
            return false;
    }
    else if (s->format.read == AUSND_Stream_ReadOggVorbis)
    {
        // A loop laps the seam with what was just decoded; a reposition flushes
        // the buffer, so there is nothing to lap with and the data starts exact.
        const bool lap = !resetsync;
        const bool ok = unit == 0 ? AUSND_OggVorbis_SeekRaw(s->format.codec, bytes, lap)
                                  : AUSND_OggVorbis_SeekPCM(s->format.codec, frame, lap);
        if (!ok)
            return false;
    }
    else if (s->format.seek)
    {
        if (!s->format.seek(s, unit, frame, bytes))
            return false;
    }
    else if (s->file)
    {
        const uint64_t align = s->format.bytesperframe ? s->format.bytesperframe : 1;
        uint64_t offset = bytes / align * align;
        if (offset > s->datalength)
            offset = 0;
        if (AUSND_File_Seek(s->file, static_cast<int>(s->dataoffset + offset), 0) < 0)
            return false;
    }
    s->leftover = 0;
    s->readoffset = 0;
    s->sourceended = 0;
    s->pcmposition = frame;
    if (resetsync)
    {
        AUSND_ScopedSection list(AUSND_Stream_ListLock());
        AUSND_Stream_ResetSyncPointer(s, frame);
    }
    return true;
}

bool AUSND_Stream_Flush(AUSND_STREAM* s)
{
    s->flushing = true;
    if (s->channel >= 0)
        AUSND_SetCurrentPosition(s->channel, 0);
    void* ptr1 = nullptr;
    void* ptr2 = nullptr;
    unsigned int len1 = 0;
    unsigned int len2 = 0;
    const uint32_t size = AUSND_Sample_ByteSize(s->sample);
    if (AUSND_Sample_Lock(s->sample, 0, static_cast<int>(size), &ptr1, &ptr2, &len1, &len2))
    {
        std::memset(ptr1, 0, len1);
        AUSND_Sample_Unlock(s->sample, ptr1, ptr2, len1, len2);
    }
    if (s->raw)
        std::memset(s->raw, 0, s->format.rawsize);
    if (s->decode)
        std::memset(s->decode, 0, s->format.decodesize);
    if (s->format.reset)
        s->format.reset(s->format.codec);
    s->endcountdown = -1;
    s->fillhalf = 0;
    s->leftover = 0;
    s->readoffset = 0;
    s->pcmringwrite = 0;
    s->blockleft = 0;
    s->savedcursor = 0;
    AUSND_Stream_Flip(s);
    const uint32_t counter = s->pcmring ? s->pcmring[0].loopcounter : s->loopcounter;
    {
        AUSND_ScopedSection list(AUSND_Stream_ListLock());
        s->lastloopcounter = counter;
        for (uint32_t i = 0; i < s->timeringcount; ++i)
            s->timering[i] = AUSND_STREAMRINGENTRY{s->pcmring ? s->pcmring[0].pcm : 0, counter};
    }
    s->flushing = false;
    return true;
}

bool AUSND_Stream_SetPositionEx(AUSND_STREAM* s, uint64_t position, int unit, bool keepplaying)
{
    if (!Ready(s))
        return Fail(AUSND_ERR_INVALID_PARAM);
    const uint64_t limit = unit == 0 ? s->datalength : unit == 1 ? static_cast<uint64_t>(s->lengthms) : s->lengthpcm;
    if (position >= limit && position != 0)
        return Fail(AUSND_ERR_INVALID_PARAM);
    // The update lock keeps the stream thread out for the whole move.
    AUSND_ScopedSection update(AUSND_Stream_UpdateLock());
    const bool paused = s->channel >= 0 && AUSND_GetPaused(s->channel);
    if (!keepplaying && s->channel >= 0)
        AUSND_SetPaused(s->channel, true);
    s->repositioning = true;
    const bool ok = AUSND_Stream_Seek(s, position, unit, true);
    if (ok)
    {
        s->loopcounter = 0;
        AUSND_Stream_Flush(s);
    }
    s->repositioning = false;
    if (!keepplaying && s->channel >= 0)
        AUSND_SetPaused(s->channel, paused);
    s->rewindatplay = 0;
    s->ended = false;
    return ok || Fail(AUSND_ERR_FILE_BAD);
}

bool AUSND_Stream_SetPosition(AUSND_STREAM* s, unsigned int position)
{
    AUSND_ClearErrorOnOwner();
    return AUSND_Stream_SetPositionEx(s, position, 0, false);
}

bool AUSND_Stream_SetTime(AUSND_STREAM* s, int ms)
{
    AUSND_ClearErrorOnOwner();
    if (ms < 0)
        return Fail(AUSND_ERR_INVALID_PARAM);
    return AUSND_Stream_SetPositionEx(s, static_cast<uint64_t>(ms), 1, false);
}

bool AUSND_Stream_SetPCM(AUSND_STREAM* s, unsigned int pcm)
{
    AUSND_ClearErrorOnOwner();
    return AUSND_Stream_SetPositionEx(s, pcm, 2, false);
}

unsigned int AUSND_Stream_GetPosition(AUSND_STREAM* s)
{
    AUSND_ClearErrorOnOwner();
    if (!s || !s->ready)
        return Fail(AUSND_ERR_INVALID_PARAM) ? 0u : 0u;
    if (s->ended)
        return s->datalength;
    const uint64_t frame = AUSND_Stream_GetTimeEx(s, false, nullptr);
    if (s->format.bytesperframe && !s->decode && s->format.read != AUSND_Stream_ReadOggVorbis)
        return static_cast<unsigned int>(frame * s->format.bytesperframe);
    const uint64_t ms = frame * 1000 / Rate(s);
    return static_cast<unsigned int>(ms * s->datalength / LengthMs(s));
}

int AUSND_Stream_GetTime(AUSND_STREAM* s)
{
    AUSND_ClearErrorOnOwner();
    if (!s || !s->ready)
        return Fail(AUSND_ERR_INVALID_PARAM) ? 0 : 0;
    const uint64_t frame = AUSND_Stream_GetTimeEx(s, false, nullptr);
    return static_cast<int>(frame * 1000 / Rate(s));
}

bool AUSND_Stream_SetLoopPoints(AUSND_STREAM* s, unsigned int start, unsigned int end)
{
    AUSND_ClearErrorOnOwner();
    if (!s || !s->ready || s->playing || start >= end || end >= s->lengthpcm)
        return Fail(AUSND_ERR_INVALID_PARAM);
    s->loopstart = start;
    s->loopend = end;
    // Only data decoded past the new end missed the loop; anything short of it
    // still plays as buffered, from where a seek may have put it.
    if (end < s->pcmposition)
        s->rewindatplay = 1;
    return true;
}

bool AUSND_Stream_SetLoopCount(AUSND_STREAM* s, int count)
{
    AUSND_ClearErrorOnOwner();
    if (!s)
        return Fail(AUSND_ERR_INVALID_PARAM);
    // The stream thread counts loops down in its update pass, under this lock.
    AUSND_ScopedSection update(AUSND_Stream_UpdateLock());
    s->loopcount = count;
    s->loopsleft = count;
    // A stream within half the buffer ran through its end in its first fill,
    // under the old count, so it refills at play; a longer one keeps what a
    // seek buffered.
    if (s->lengthms >= 0 && s->lengthms <= AUSND_Stream_HalfBufferSize)
        s->rewindatplay = 1;
    return true;
}
