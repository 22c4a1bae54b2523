// The WAV reader and the sync-point list that container readers fill.
#include "aulos/format_wav.h"

#include "aulos/ausnd_device.h"
#include "aulos/format_bytes.h"
#include "aulos/format_imaadpcm.h"
#include "aulos/system_string.h"

#include <cstring>

using namespace aulos_format;

namespace
{
constexpr uint16_t kTagPCM = 1;
constexpr uint16_t kTagIMAADPCM = 17;
constexpr uint16_t kTagDVIADPCM = 105;
constexpr uint16_t kTagMPEG = 80;
constexpr uint16_t kTagMPEGLayer3 = 85;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr uint32_t kFormatBits = AUSND_8BITS | AUSND_16BITS | AUSND_MONO | AUSND_STEREO | AUSND_UNSIGNED | AUSND_SIGNED;
constexpr uint32_t kFmtMinimum = 40;
constexpr uint32_t kMaxPcmBytes = 0x7FFFFFFFu;

bool IdIs(const uint8_t* p, const char* id)
{
    return std::memcmp(p, id, 4) == 0;
}

// The walk's view of one RIFF file.
struct RiffWalk
{
    AUSND_FILE* file;
    int64_t start;   // of the RIFF header
    int64_t fileEnd; // relative to start
    uint32_t cueCount = 0;
};

// "cue ": each record becomes a sync point at its sample offset.
bool ReadCues(RiffWalk& walk, uint32_t size, bool complete, AUSND_SYNCLIST* sync)
{
    uint8_t countBytes[4];
    if (size < 4 || !complete || !ReadExactly(walk.file, countBytes, 4))
        return Fail(AUSND_ERR_FILE_BAD);
    const uint32_t count = LE32(countBytes);
    if (static_cast<uint64_t>(count) * 24 > size - 4)
        return Fail(AUSND_ERR_FILE_BAD);
    walk.cueCount = count;
    if (count == 0)
        return true;
    AUSND_Sync_Close(sync);
    for (uint32_t i = 0; i < count; ++i)
    {
        uint8_t record[24];
        if (!ReadExactly(walk.file, record, 24))
            return Fail(AUSND_ERR_FILE_BAD);
        AUSND_SYNCPOINT* point = AUSND_Sync_Add(sync, LE32(record + 20), "");
        if (!point)
            return false;
        point->id = LE32(record);
    }
    return true;
}

// "labl" of an "adtl" list: names the first cue point with the label's id.
void ReadLabel(RiffWalk& walk, int64_t body, uint32_t size, int64_t listEnd, AUSND_SYNCLIST* sync)
{
    uint8_t idBytes[4];
    if (size < 4 || !ReadExactly(walk.file, idBytes, 4))
        return;
    const uint32_t id = LE32(idBytes);
    const int32_t searched = walk.cueCount < static_cast<uint32_t>(sync->count) ? static_cast<int32_t>(walk.cueCount)
                                                                                 : sync->count;
    for (int32_t i = 0; i < searched; ++i)
    {
        AUSND_SYNCPOINT* point = &sync->points[i];
        if (point->id != id)
            continue;
        int64_t text = static_cast<int64_t>(size) - 4;
        if (text > listEnd - (body + 4))
            text = listEnd - (body + 4);
        if (text > 255)
            text = 255;
        if (text < 0)
            text = 0;
        const int got = AUSND_File_Read(point->name, 1, static_cast<int>(text), walk.file);
        point->name[got > 0 ? got : 0] = 0;
        return;
    }
}

void ReadList(RiffWalk& walk, int64_t body, uint32_t size, AUSND_SYNCLIST* sync)
{
    uint8_t type[4];
    if (size < 4 || !ReadExactly(walk.file, type, 4) || !IdIs(type, "adtl"))
        return;
    int64_t listEnd = body + size;
    if (listEnd > walk.fileEnd)
        listEnd = walk.fileEnd;
    for (int64_t sub = body + 4; sub + 8 <= listEnd;)
    {
        uint8_t header[8];
        AUSND_File_Seek(walk.file, static_cast<int>(walk.start + sub), 0);
        if (!ReadExactly(walk.file, header, 8))
            return;
        const uint32_t subSize = LE32(header + 4);
        if (subSize & 0x80000000u)
            return;
        if (IdIs(header, "labl"))
            ReadLabel(walk, sub + 8, subSize, listEnd, sync);
        sub += 8 + static_cast<int64_t>(subSize) + (subSize & 1);
    }
}

bool ReadSampler(RiffWalk& walk, uint32_t size, AUSND_LOOPPAIR* loop)
{
    uint8_t body[60];
    if (size < 60 || !ReadExactly(walk.file, body, 60))
        return true;
    loop->start = LE32(body + 44);
    loop->end = LE32(body + 48);
    return true;
}

bool ReadFormat(RiffWalk& walk, uint32_t size, bool complete, uint8_t** fmt)
{
    if (*fmt)
        return true;
    if (size < 16 || !complete)
        return Fail(AUSND_ERR_FILE_BAD);
    const uint32_t bytes = size > kFmtMinimum ? size : kFmtMinimum;
    *fmt = static_cast<uint8_t*>(AUSND_Memory_Calloc(bytes));
    if (!*fmt)
        return Fail(AUSND_ERR_MEMORY);
    if (!ReadExactly(walk.file, *fmt, static_cast<int>(size)))
        return Fail(AUSND_ERR_FILE_BAD);
    return true;
}

void FreeFormat(uint8_t** fmt)
{
    AUSND_Memory_Free(*fmt);
    *fmt = nullptr;
}

uint16_t FormatTag(const uint8_t* fmt)
{
    const uint16_t tag = LE16(fmt);
    return tag == kTagExtensible ? fmt[24] : tag;
}

void CloseSync(AUSND_SYNCLIST* sync)
{
    if (sync)
        AUSND_Sync_Close(sync);
}
} // namespace

// ---------------------------------------------------------------- sync points

void AUSND_Sync_Close(AUSND_SYNCLIST* list)
{
    if (!list)
        return;
    AUSND_Memory_Free(list->points);
    list->points = nullptr;
    list->count = 0;
    list->capacity = 0;
}

AUSND_SYNCPOINT* AUSND_Sync_Add(AUSND_SYNCLIST* list, uint32_t offset, const char* name)
{
    if (list->count == list->capacity)
    {
        const int32_t capacity = list->capacity ? list->capacity * 2 : 16;
        void* grown = AUSND_Memory_ReAlloc(list->points, static_cast<unsigned int>(capacity) * sizeof(AUSND_SYNCPOINT));
        if (!grown)
        {
            AUSND_ErrorNo = AUSND_ERR_MEMORY;
            return nullptr;
        }
        list->points = static_cast<AUSND_SYNCPOINT*>(grown);
        list->capacity = capacity;
    }
    int32_t at = list->count;
    while (at > 0 && list->points[at - 1].offset > offset)
        --at;
    std::memmove(&list->points[at + 1], &list->points[at],
                 static_cast<size_t>(list->count - at) * sizeof(AUSND_SYNCPOINT));
    ++list->count;
    AUSND_SYNCPOINT* point = &list->points[at];
    std::memset(point, 0, sizeof(*point));
    point->offset = offset;
    F_strncpy(point->name, name ? name : "", 255);
    point->name[255] = 0;
    return point;
}

// ---------------------------------------------------------------- RIFF walk

bool AUSND_Wav_ParseRIFF(AUSND_FILE* file, uint8_t** fmtOut, uint32_t* dataOffsetOut, uint32_t* dataLengthOut,
                         uint32_t* factCountOut, AUSND_SYNCLIST* syncOwner, AUSND_LOOPPAIR* loopOut)
{
    RiffWalk walk{file, AUSND_File_Tell(file), 0};
    uint8_t header[12];
    if (!ReadExactly(file, header, 12) || !IdIs(header, "RIFF"))
        return Fail(AUSND_ERR_FILE_FORMAT);
    walk.fileEnd = FileSize(file) - walk.start;
    int64_t limit = 8 + static_cast<int64_t>(LE32(header + 4));
    if (limit > walk.fileEnd)
        limit = walk.fileEnd;

    uint8_t* fmt = nullptr;
    uint32_t dataOffset = AUSND_DATAOFFSET_UNSET;
    uint32_t dataLength = 0;
    for (int64_t at = 12; at + 8 <= limit;)
    {
        uint8_t chunk[8];
        AUSND_File_Seek(file, static_cast<int>(walk.start + at), 0);
        if (!ReadExactly(file, chunk, 8))
            break;
        const uint32_t size = LE32(chunk + 4);
        if (size & 0x80000000u)
            break;
        const int64_t body = at + 8;
        const bool complete = body + size <= walk.fileEnd;
        bool ok = true;
        if (IdIs(chunk, "fmt ") && fmtOut)
        {
            ok = ReadFormat(walk, size, complete, &fmt);
        }
        else if (IdIs(chunk, "fact"))
        {
            uint8_t count[4];
            if (size >= 4 && factCountOut && ReadExactly(file, count, 4))
                *factCountOut = LE32(count);
        }
        else if (IdIs(chunk, "cue ") && syncOwner)
        {
            ok = ReadCues(walk, size, complete, syncOwner);
        }
        else if (IdIs(chunk, "LIST") && syncOwner)
        {
            ReadList(walk, body, size, syncOwner);
        }
        else if (IdIs(chunk, "smpl") && loopOut)
        {
            ReadSampler(walk, size, loopOut);
        }
        else if (IdIs(chunk, "data") && dataOffset == AUSND_DATAOFFSET_UNSET)
        {
            dataOffset = static_cast<uint32_t>(body);
            dataLength = size;
        }
        if (!ok)
        {
            FreeFormat(&fmt);
            return false;
        }
        at = body + size + (size & 1);
    }

    if (fmtOut && !fmt)
        return Fail(AUSND_ERR_FILE_FORMAT);
    if (dataOffsetOut && dataOffset == AUSND_DATAOFFSET_UNSET)
    {
        FreeFormat(&fmt);
        *dataOffsetOut = 0;
        return false;
    }
    if (fmtOut)
        *fmtOut = fmt;
    if (dataOffsetOut)
        *dataOffsetOut = static_cast<uint32_t>(walk.start) + dataOffset;
    if (dataLengthOut)
        *dataLengthOut = dataLength;
    return true;
}

// ---------------------------------------------------------------- WAV

bool AUSND_WAV_Open(AUSND_FILE* file, uint32_t* modeInOut, int* rateOut, uint32_t* dataLengthOut,
                    uint32_t* pcmBytesOut, AUSND_WAVSTATE** stateOut, int* blockAlignOut, uint32_t* dataOffsetOut,
                    AUSND_LOOPPAIR* loopOut, AUSND_SYNCLIST* syncOwner)
{
    *dataOffsetOut = AUSND_DATAOFFSET_UNSET;
    if (!file)
        return Fail(AUSND_ERR_INVALID_PARAM);
    AUSND_File_Seek(file, 0, 0);
    uint8_t* fmt = nullptr;
    uint32_t dataLength = 0;
    uint32_t factCount = 0;
    if (!AUSND_Wav_ParseRIFF(file, &fmt, dataOffsetOut, &dataLength, &factCount, syncOwner, loopOut))
    {
        CloseSync(syncOwner);
        return false;
    }

    const uint16_t tag = FormatTag(fmt);
    const uint16_t channels = LE16(fmt + 2);
    const uint32_t rate = LE32(fmt + 4);
    const uint16_t blockAlign = LE16(fmt + 12);
    const uint16_t bits = LE16(fmt + 14);
    const uint16_t samplesPerBlock = LE16(fmt + 18);
    FreeFormat(&fmt);

    int error = AUSND_ERR_NONE;
    uint64_t pcmBytes = dataLength;
    const bool adpcm = tag == kTagIMAADPCM;
    if (tag == kTagMPEG || tag == kTagMPEGLayer3 || (tag != kTagPCM && !adpcm))
        error = AUSND_ERR_FILE_FORMAT;
    else if (channels < 1 || channels > 2 || (!adpcm && bits != 8 && bits != 16))
        error = AUSND_ERR_FILE_FORMAT;
    else if (rate == 0 || rate > 0x7FFFFFFFu || blockAlign == 0)
        error = AUSND_ERR_FILE_BAD;
    else if (static_cast<uint64_t>(*dataOffsetOut) + dataLength > static_cast<uint64_t>(FileSize(file)))
        error = AUSND_ERR_FILE_BAD; // the data chunk runs past the end of the file
    else if (adpcm && !AUSND_IMAAdpcm_BlockFits(blockAlign, samplesPerBlock, channels))
        error = AUSND_ERR_FILE_BAD;
    if (adpcm && !error)
    {
        pcmBytes = static_cast<uint64_t>(dataLength / blockAlign) * samplesPerBlock * channels * 2;
        if (pcmBytes > kMaxPcmBytes)
            error = AUSND_ERR_FILE_BAD;
    }
    AUSND_WAVSTATE* state = nullptr;
    if (!error)
    {
        state = static_cast<AUSND_WAVSTATE*>(AUSND_Memory_Calloc(sizeof(AUSND_WAVSTATE)));
        if (state && adpcm)
        {
            state->format = static_cast<uint8_t*>(AUSND_Memory_Calloc(20));
            if (!state->format)
            {
                AUSND_Memory_Free(state);
                state = nullptr;
            }
        }
        if (!state)
            error = AUSND_ERR_MEMORY;
    }
    if (error)
    {
        CloseSync(syncOwner);
        return Fail(error);
    }
    state->formattag = tag;
    state->channels = channels;
    state->blockalign = blockAlign;
    state->samplesperblock = adpcm ? samplesPerBlock : 0;
    if (state->format)
    {
        // The head as the file has it, with the tag that was decided on.
        const uint8_t head[20] = {static_cast<uint8_t>(tag),
                                  static_cast<uint8_t>(tag >> 8),
                                  static_cast<uint8_t>(channels),
                                  static_cast<uint8_t>(channels >> 8),
                                  static_cast<uint8_t>(rate),
                                  static_cast<uint8_t>(rate >> 8),
                                  static_cast<uint8_t>(rate >> 16),
                                  static_cast<uint8_t>(rate >> 24),
                                  0,
                                  0,
                                  0,
                                  0,
                                  static_cast<uint8_t>(blockAlign),
                                  static_cast<uint8_t>(blockAlign >> 8),
                                  static_cast<uint8_t>(bits),
                                  static_cast<uint8_t>(bits >> 8),
                                  2,
                                  0,
                                  static_cast<uint8_t>(samplesPerBlock),
                                  static_cast<uint8_t>(samplesPerBlock >> 8)};
        std::memcpy(state->format, head, sizeof(head));
    }

    uint32_t mode = *modeInOut & ~kFormatBits;
    mode |= (!adpcm && bits == 8) ? (AUSND_8BITS | AUSND_UNSIGNED) : (AUSND_16BITS | AUSND_SIGNED);
    mode |= channels == 1 ? AUSND_MONO : AUSND_STEREO;
    *modeInOut = mode;
    if (rateOut)
        *rateOut = static_cast<int>(rate);
    if (blockAlignOut)
        *blockAlignOut = blockAlign;
    if (dataLengthOut)
        *dataLengthOut = dataLength;
    if (pcmBytesOut)
        *pcmBytesOut = static_cast<uint32_t>(pcmBytes);
    *stateOut = state;
    return true;
}

bool AUSND_WAV_Read(AUSND_WAVSTATE* state, const void* source, uint32_t sourceBytes, void* destination,
                    uint32_t* bytesOut)
{
    if (bytesOut)
        *bytesOut = 0;
    if (!state || (state->formattag != kTagIMAADPCM && state->formattag != kTagDVIADPCM))
        return true;
    const int blocks = static_cast<int>(sourceBytes / state->blockalign);
    const uint8_t* src = static_cast<const uint8_t*>(source);
    int16_t* dest = static_cast<int16_t*>(destination);
    if (state->channels == 1)
        AUSND_IMAAdpcm_DecodeM16(src, dest, blocks, state->blockalign, state->samplesperblock, 1);
    else
        AUSND_IMAAdpcm_DecodeS16(src, dest, blocks, state->blockalign, state->samplesperblock);
    if (bytesOut)
        *bytesOut = static_cast<uint32_t>(blocks) * state->samplesperblock * state->channels * 2;
    return true;
}

bool AUSND_WAV_Close(AUSND_WAVSTATE* state)
{
    if (!state)
        return true;
    AUSND_Memory_Free(state->format);
    AUSND_Memory_Free(state);
    return true;
}

// ---------------------------------------------------------------- loading into samples

namespace
{
bool ReadIntoSample(AUSND_FILE* file, AUSND_WAVSTATE* state, uint32_t dataLength, void* dest, uint32_t bytes)
{
    if (state->formattag == kTagPCM)
        return ReadExactly(file, dest, static_cast<int>(bytes));
    uint8_t* compressed = static_cast<uint8_t*>(AUSND_Memory_Alloc(dataLength ? dataLength : 1));
    if (!compressed)
        return Fail(AUSND_ERR_MEMORY);
    const bool read = ReadExactly(file, compressed, static_cast<int>(dataLength));
    uint32_t produced = 0;
    if (read)
        AUSND_WAV_Read(state, compressed, dataLength, dest, &produced);
    AUSND_Memory_Free(compressed);
    return read || Fail(AUSND_ERR_FILE_BAD);
}
} // namespace

// Applies a file's loop pair to a freshly loaded sample: only a pair inside
// the data counts; the sample then loops normally unless loop off was asked.
void AUSND_Sample_ApplyFileLoop(AUSND_SAMPLE* sample, const AUSND_LOOPPAIR& loop, unsigned int callerMode)
{
    const uint32_t frames = sample->length;
    const bool valid = loop.start < loop.end && loop.end <= frames;
    if (!valid)
    {
        AUSND_Sample_SetLoopPoints(sample, 0, static_cast<int>(frames) - 1);
        return;
    }
    AUSND_Sample_SetLoopPoints(sample, static_cast<int>(loop.start), static_cast<int>(loop.end));
    if (!(callerMode & AUSND_LOOP_OFF))
        AUSND_Sample_SetMode(sample, (sample->mode & ~static_cast<uint32_t>(AUSND_LOOP_OFF | AUSND_LOOP_BIDI)) |
                                         AUSND_LOOP_NORMAL);
}

AUSND_SAMPLE* AUSND_Sample_AllocForFile(int index, uint32_t frames, uint32_t mode, unsigned int callerMode, int rate)
{
    if (frames == 0 || frames > 0x7FFFFFFFu)
    {
        AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
        return nullptr;
    }
    if ((callerMode & AUSND_FORCEMONO) && (mode & AUSND_STEREO))
        mode &= ~static_cast<uint32_t>(AUSND_HW3D);
    mode &= ~static_cast<uint32_t>(AUSND_LOADMEMORY | AUSND_LOADRAW | AUSND_IMAADPCM);
    AUSND_SAMPLE* sample = AUSND_Sample_Alloc(index, static_cast<int>(frames), mode, rate, 255,
                                              (mode & AUSND_STEREO) ? -1 : 128, 255);
    if (sample)
        AUSND_Sample_SetLoopPoints(sample, 0, static_cast<int>(frames) - 1);
    return sample;
}

AUSND_SAMPLE* AUSND_WAV_Load(int index, AUSND_FILE* file, unsigned int mode)
{
    // Samples on this platform's outputs always hold decoded PCM.
    uint32_t fileMode = mode & ~static_cast<uint32_t>(AUSND_IMAADPCM);
    int rate = 0;
    uint32_t dataLength = 0;
    uint32_t pcmBytes = 0;
    AUSND_WAVSTATE* state = nullptr;
    int blockAlign = 0;
    uint32_t dataOffset = 0;
    AUSND_LOOPPAIR loop{0, 0};
    if (!AUSND_WAV_Open(file, &fileMode, &rate, &dataLength, &pcmBytes, &state, &blockAlign, &dataOffset, &loop,
                        nullptr))
        return nullptr;
    uint32_t frames = pcmBytes;
    if (fileMode & AUSND_16BITS)
        frames /= 2;
    if (fileMode & AUSND_STEREO)
        frames /= 2;
    AUSND_SAMPLE* sample = AUSND_Sample_AllocForFile(index, frames, fileMode, mode, rate);
    if (!sample)
    {
        AUSND_WAV_Close(state);
        return nullptr;
    }
    sample->codec = state;
    AUSND_File_Seek(file, static_cast<int>(dataOffset), 0);
    const uint32_t bytes = AUSND_Sample_ByteSize(sample);
    void* ptr1 = nullptr;
    void* ptr2 = nullptr;
    unsigned int len1 = 0;
    unsigned int len2 = 0;
    bool ok = AUSND_Sample_Lock(sample, 0, static_cast<int>(bytes), &ptr1, &ptr2, &len1, &len2) &&
              ReadIntoSample(file, state, dataLength, ptr1, len1);
    if (ok && (fileMode & AUSND_8BITS))
    {
        // WAV's 8-bit data is unsigned; samples hold signed data.
        uint8_t* data = static_cast<uint8_t*>(ptr1);
        for (unsigned int i = 0; i < len1; ++i)
            data[i] = static_cast<uint8_t>(data[i] + 128);
    }
    const int error = AUSND_ErrorNo;
    if (ptr1)
        AUSND_Sample_Unlock(sample, ptr1, ptr2, len1, len2);
    sample->codec = nullptr;
    AUSND_WAV_Close(state);
    if (!ok)
    {
        AUSND_Sample_Free(sample);
        AUSND_ErrorNo = error ? error : AUSND_ERR_FILE_BAD;
        return nullptr;
    }
    AUSND_Sample_ApplyFileLoop(sample, loop, mode);
    return sample;
}
