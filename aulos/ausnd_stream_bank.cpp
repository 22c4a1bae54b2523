// Bank streams: a stream over a sound bank plays one of its sounds at a time
// (the sub-stream), or a sentence of sub-streams one after another as if
// they were one sound.
#include "aulos/ausnd_stream.h"
#include "aulos/format_asb.h"
#include "aulos/format_bytes.h"
#include "aulos/system_string.h"

#include <cstring>

namespace
{
constexpr uint32_t kLayoutBits = AUSND_MONO | AUSND_STEREO | AUSND_MULTICHANNEL | AUSND_8BITS | AUSND_16BITS;

bool Fail(int error)
{
    AUSND_ErrorNo = error;
    return false;
}

AUSND_ASBBANK* BankOf(const AUSND_STREAM* s)
{
    return static_cast<AUSND_ASBBANK*>(s->format.codec);
}

// One sound of a bank as the stream needs it.
struct SubSound
{
    const uint8_t* header; // its full header, or the first sound's with compact headers
    uint32_t mode;
    int32_t rate;
    uint32_t length;
    uint32_t dataOffset;
    uint32_t dataSize;
    int channels;
};

SubSound SoundAt(const AUSND_ASBBANK* bank, int index)
{
    SubSound out{};
    out.header = bank->full ? bank->full[index] : bank->area;
    out.mode = aulos_format::LE32(out.header + 48);
    out.rate = static_cast<int32_t>(aulos_format::LE32(out.header + 52));
    out.length = bank->lengths[index];
    out.dataOffset = bank->dataOffsets[index];
    out.dataSize = bank->dataSizes[index];
    out.channels = (out.mode & AUSND_STEREO) ? 2 : 1;
    return out;
}

uint32_t DoubledUpTo(uint32_t value, uint32_t minimum, uint32_t* doublings)
{
    *doublings = 0;
    while (value < minimum)
    {
        value *= 2;
        ++*doublings;
    }
    return value;
}

// The raw and decode buffer sizes and the block-format record a sound needs.
bool SizeFor(AUSND_ASBBANK* bank, const SubSound& sound, AUSND_STREAMFORMAT* f)
{
    const uint32_t channels = static_cast<uint32_t>(sound.channels);
    if (!(sound.mode & AUSND_IMAADPCM))
    {
        f->bytesperframe = ((sound.mode & AUSND_16BITS) ? 2u : 1u) * channels;
        f->rawsize = 0;
        f->decodesize = 0;
        return true;
    }
    AUSND_WAVSTATE* state = static_cast<AUSND_WAVSTATE*>(bank->streamFormat);
    if (!state)
    {
        state = static_cast<AUSND_WAVSTATE*>(AUSND_Memory_Calloc(sizeof(AUSND_WAVSTATE)));
        if (!state)
            return Fail(AUSND_ERR_MEMORY);
        bank->streamFormat = state;
    }
    state->formattag = 105;
    state->channels = static_cast<uint16_t>(channels);
    state->blockalign = static_cast<uint16_t>(36 * channels);
    state->samplesperblock = 64;
    state->format = nullptr;
    uint32_t doublings = 0;
    f->bytesperframe = state->blockalign;
    f->rawsize = DoubledUpTo(state->blockalign, 2048, &doublings);
    f->decodesize = (64u * channels * 2u) << doublings;
    return true;
}

// IMA ADPCM seeks by whole blocks and drops the decoded frames before the target.
bool SeekBank(AUSND_STREAM* s, int unit, uint64_t frame, uint64_t bytes)
{
    const SubSound sound = SoundAt(BankOf(s), s->substream);
    uint64_t offset = 0;
    if (unit == 0 && !(sound.mode & AUSND_IMAADPCM))
    {
        const uint64_t align = s->format.bytesperframe ? s->format.bytesperframe : 1;
        offset = bytes / align * align;
    }
    else if (sound.mode & AUSND_IMAADPCM)
    {
        const uint64_t blockbytes = 36u * static_cast<uint64_t>(sound.channels);
        offset = frame / 64 * blockbytes;
        s->skipbytes = static_cast<uint32_t>(frame % 64 * 2 * static_cast<uint64_t>(sound.channels));
    }
    else
    {
        offset = frame * s->format.bytesperframe;
    }
    if (offset > s->datalength)
        offset = 0;
    return AUSND_File_Seek(s->file, static_cast<int>(s->dataoffset + offset), 0) >= 0;
}

uint64_t MsOf(uint64_t frames, int rate)
{
    return (frames * 1000 + 999) / static_cast<uint64_t>(rate > 0 ? rate : 1);
}

// Points the stream's data at one sound without touching what is buffered.
void SelectData(AUSND_STREAM* s, int index)
{
    const SubSound sound = SoundAt(BankOf(s), index);
    s->substream = index;
    BankOf(s)->current = index;
    s->dataoffset = sound.dataOffset;
    s->datalength = sound.dataSize;
    if (!s->sentence)
    {
        s->lengthpcm = sound.length;
        s->lengthms = static_cast<int64_t>(MsOf(sound.length, sound.rate));
    }
    s->sample->deffreq = sound.rate > 0 ? sound.rate : 1;
    s->sample->defpri = 256;
    char name[31];
    std::memcpy(name, sound.header + 2, 30);
    name[30] = 0;
    F_strncpy(s->sample->name, name, 255);
    const uint32_t loopbits = s->callerloopbits ? s->callerloopbits : (sound.mode & AUSND_LOOPBITS);
    s->mode = (s->mode & ~static_cast<uint32_t>(AUSND_LOOPBITS)) | (loopbits ? loopbits : AUSND_LOOP_OFF);
}

// Gives the stream the buffers and sample of another channel layout.
bool ChangeLayout(AUSND_STREAM* s, const SubSound& sound)
{
    AUSND_STREAMFORMAT sizes = s->format;
    if (!SizeFor(BankOf(s), sound, &sizes))
        return false;
    uint8_t* raw = sizes.rawsize ? static_cast<uint8_t*>(AUSND_Memory_Calloc(sizes.rawsize)) : nullptr;
    uint8_t* decode = sizes.decodesize ? static_cast<uint8_t*>(AUSND_Memory_Calloc(sizes.decodesize)) : nullptr;
    if ((sizes.rawsize && !raw) || (sizes.decodesize && !decode))
    {
        AUSND_Memory_Free(raw);
        AUSND_Memory_Free(decode);
        return Fail(AUSND_ERR_MEMORY);
    }
    const uint32_t layout = (sound.channels == 2 ? AUSND_STEREO : AUSND_MONO) |
                            ((sound.mode & (AUSND_16BITS | AUSND_IMAADPCM)) ? AUSND_16BITS : AUSND_8BITS);
    if (!AUSND_Stream_RecreateSample(s, (s->mode & ~kLayoutBits) | layout))
    {
        AUSND_Memory_Free(raw);
        AUSND_Memory_Free(decode);
        return false;
    }
    AUSND_Memory_Free(s->raw);
    AUSND_Memory_Free(s->decode);
    s->raw = raw;
    s->decode = decode;
    s->format.rawsize = sizes.rawsize;
    s->format.decodesize = sizes.decodesize;
    s->format.bytesperframe = sizes.bytesperframe;
    s->format.mode = (s->format.mode & ~(kLayoutBits | AUSND_UNSIGNED | AUSND_SIGNED)) | layout |
                     (sound.mode & (AUSND_UNSIGNED | AUSND_SIGNED));
    s->mode = (s->mode & ~kLayoutBits) | layout;
    return true;
}

bool SameLayout(const AUSND_STREAM* s, const SubSound& sound)
{
    const bool stereo = (s->mode & AUSND_STEREO) != 0;
    return stereo == (sound.channels == 2) &&
           ((s->format.mode & AUSND_16BITS) != 0) == ((sound.mode & (AUSND_16BITS | AUSND_IMAADPCM)) != 0) &&
           ((SoundAt(BankOf(s), s->substream).mode & AUSND_IMAADPCM) == (sound.mode & AUSND_IMAADPCM));
}

// Runs on the open thread for a switch asked of a non-blocking stream.
void SwitchPending(AUSND_ASYNCITEM* item)
{
    AUSND_STREAM* s = static_cast<AUSND_STREAM*>(item->target);
    const int32_t index = s->pendingsubstream.exchange(-1);
    if (index >= 0 && !AUSND_Stream_SetSubStreamEx(s, index, true, false))
        AUSND_Stream_SetPositionEx(s, 0, 0, true);
    s->ready = true;
    s->opening = false;
}

} // namespace

bool AUSND_Stream_IsBank(const AUSND_STREAM* s)
{
    return s && s->format.read == AUSND_Stream_ReadASB && s->format.codec;
}

bool AUSND_Stream_ProbeASB(AUSND_FILE* file, AUSND_STREAMFORMAT* f, bool* isbank)
{
    *isbank = false;
    AUSND_ASBBANK* bank = nullptr;
    uint32_t pcmbytes = 0;
    int blocksize = 0;
    if (!AUSND_ASB_Open(file, &f->mode, &f->rate, &f->datalength, &pcmbytes, &bank, &blocksize, &f->dataoffset))
        return false;
    *isbank = true;
    // A bank of whole sound files or of multichannel sounds is loaded, not streamed.
    if ((bank->flags & AUSND_ASB_FLAG_FILES) || (f->mode & AUSND_MULTICHANNEL))
    {
        AUSND_ASB_Close(bank);
        return Fail(AUSND_ERR_FILE_FORMAT);
    }
    f->pcmbytes = pcmbytes;
    f->codec = bank;
    f->read = AUSND_Stream_ReadASB;
    f->close = [](void* codec) { return AUSND_ASB_Close(static_cast<AUSND_ASBBANK*>(codec)); };
    f->seek = SeekBank;
    if (!SizeFor(bank, SoundAt(bank, 0), f))
    {
        AUSND_ASB_Close(bank);
        f->codec = nullptr;
        return false;
    }
    if (f->mode & AUSND_IMAADPCM)
        f->mode = (f->mode & ~static_cast<uint32_t>(AUSND_IMAADPCM | AUSND_8BITS)) | AUSND_16BITS;
    f->lengthms = static_cast<int64_t>(MsOf(bank->lengths[0], f->rate));
    return true;
}

bool AUSND_Stream_SetSubStreamEx(AUSND_STREAM* s, int index, bool duringopen, bool keepplaying)
{
    // A stream still opening (or switching on the open thread) takes the index
    // when it gets there; the open checks it against the bank.
    if (s && !duringopen && s->opening)
    {
        if (index < 0)
            return Fail(AUSND_ERR_INVALID_PARAM);
        s->pendingsubstream = index;
        return true;
    }
    if (!AUSND_Stream_IsBank(s))
        return Fail(AUSND_ERR_INVALID_PARAM);
    AUSND_ASBBANK* bank = BankOf(s);
    if (index < 0 || index >= bank->count)
        return Fail(AUSND_ERR_INVALID_PARAM);
    if (!keepplaying && s->ready)
        AUSND_Stream_StopEx(s, false);
    if (s->nonblocking && !duringopen && !keepplaying)
    {
        s->pendingsubstream = index;
        s->ready = false;
        s->opening = true;
        s->asyncitem.target = s;
        s->asyncitem.open = SwitchPending;
        if (AUSND_Async_Add(&s->asyncitem))
            return true;
        s->pendingsubstream = -1;
        s->ready = true;
        s->opening = false;
        return Fail(AUSND_ERR_MEMORY);
    }
    const SubSound sound = SoundAt(bank, index);
    if (!SameLayout(s, sound))
    {
        // The buffered data cannot change its layout under a playing channel.
        if (keepplaying && s->playing)
            return Fail(AUSND_ERR_INVALID_PARAM);
        if (!ChangeLayout(s, sound))
            return false;
    }
    if (!keepplaying)
    {
        s->fillhalf = 0;
        s->leftover = 0;
        s->readoffset = 0;
    }
    SelectData(s, index);
    if (keepplaying)
    {
        // The next read continues with this sound's data.
        s->leftover = 0;
        s->readoffset = 0;
        s->skipbytes = 0;
        s->sourceended = 0;
        return AUSND_File_Seek(s->file, static_cast<int>(s->dataoffset), 0) >= 0 || Fail(AUSND_ERR_FILE_BAD);
    }
    const bool wasready = s->ready;
    s->ready = true;
    const bool ok = AUSND_Stream_SetPositionEx(s, 0, 2, false);
    s->ready = wasready;
    return ok;
}

bool AUSND_Stream_NextSentenceEntry(AUSND_STREAM* s)
{
    if (!s->sentence || s->fileerror)
        return false;
    int next = s->sentenceentry + 1;
    const bool wrap = next >= s->sentencecount;
    if (wrap)
    {
        if (!((s->mode & (AUSND_LOOP_NORMAL | AUSND_LOOP_BIDI)) && s->loopsleft != 0))
            return false;
        next = 0;
    }
    if (!AUSND_Stream_SetSubStreamEx(s, s->sentence[next], false, true))
        return false;
    s->sentenceentry = next;
    if (wrap)
    {
        if (s->loopsleft > 0)
            --s->loopsleft;
        ++s->loopcounter;
        s->pcmposition = 0;
    }
    return true;
}

bool AUSND_Stream_SeekSentence(AUSND_STREAM* s, uint64_t frame)
{
    int entry = 0;
    uint64_t start = 0;
    while (entry + 1 < s->sentencecount && start + BankOf(s)->lengths[s->sentence[entry]] <= frame)
    {
        start += BankOf(s)->lengths[s->sentence[entry]];
        ++entry;
    }
    if (entry != s->sentenceentry || s->substream != s->sentence[entry])
        SelectData(s, s->sentence[entry]);
    s->sentenceentry = entry;
    const uint64_t inside = frame - start;
    if (!SeekBank(s, 2, inside, inside * s->format.bytesperframe))
        return false;
    s->pcmposition = frame;
    return true;
}

int AUSND_Stream_GetNumSubStreams(AUSND_STREAM* s)
{
    AUSND_ClearErrorOnOwner();
    if (!s || s->opening || !AUSND_Stream_IsBank(s))
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return 0;
    }
    return BankOf(s)->count;
}

bool AUSND_Stream_SetSubStream(AUSND_STREAM* s, int index)
{
    AUSND_ClearErrorOnOwner();
    // Choosing one sound ends a sentence.
    if (s && !s->opening && AUSND_Stream_IsBank(s) && s->sentence && index >= 0 && index < BankOf(s)->count)
    {
        if (s->ready)
            AUSND_Stream_StopEx(s, false);
        AUSND_Memory_Free(s->sentence);
        s->sentence = nullptr;
        s->sentencecount = 0;
        s->sentenceentry = 0;
    }
    return AUSND_Stream_SetSubStreamEx(s, index, false, false);
}

bool AUSND_Stream_SetSubStreamSentence(AUSND_STREAM* s, const int* list, int count)
{
    AUSND_ClearErrorOnOwner();
    if (!s || s->opening || !AUSND_Stream_IsBank(s) || !s->ready || s->playing || count < 0 || (count > 0 && !list))
        return Fail(AUSND_ERR_INVALID_PARAM);
    AUSND_ASBBANK* bank = BankOf(s);
    for (int i = 0; i < count; ++i)
    {
        if (list[i] < 0 || list[i] >= bank->count)
            return Fail(AUSND_ERR_INVALID_PARAM);
    }
    AUSND_Memory_Free(s->sentence);
    s->sentence = nullptr;
    s->sentencecount = 0;
    s->sentenceentry = 0;
    if (count == 0)
        return true;
    // All entries play through one double buffer: they must share its layout.
    const SubSound first = SoundAt(bank, list[0]);
    uint64_t frames = 0;
    uint64_t ms = 0;
    for (int i = 0; i < count; ++i)
    {
        const SubSound sound = SoundAt(bank, list[i]);
        if (sound.channels != first.channels || (sound.mode & (AUSND_16BITS | AUSND_8BITS | AUSND_IMAADPCM)) !=
                                                    (first.mode & (AUSND_16BITS | AUSND_8BITS | AUSND_IMAADPCM)))
            return false;
        frames += sound.length;
        ms += MsOf(sound.length, sound.rate);
    }
    s->sentence = static_cast<int32_t*>(AUSND_Memory_Calloc(static_cast<uint32_t>(count) * sizeof(int32_t)));
    if (!s->sentence)
        return Fail(AUSND_ERR_MEMORY);
    for (int i = 0; i < count; ++i)
        s->sentence[i] = list[i];
    s->sentencecount = count;
    s->lengthpcm = frames;
    s->lengthms = static_cast<int64_t>(ms);
    return AUSND_Stream_SetSubStreamEx(s, list[0], false, false);
}
