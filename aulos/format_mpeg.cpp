// The MPEG audio reader: headers, the frame driver, length measurement,
// opening for streams and loading into samples.
#include "aulos/format_mpeg.h"

#include "aulos/ausnd_device.h"
#include "aulos/format_bytes.h"
#include "aulos/ausnd_stream.h"
#include "aulos/format_mpeg_internal.h"
#include "aulos/system_memory.h"

#include <cstring>

using namespace aulos_format;

namespace
{
const int kBitrates[2][2][16] = {
    // MPEG-1: layer II, layer III
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    // lower rates: layers II and III share a row
    {{0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
const int kRates[9] = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};
constexpr int kSearchLimit = 4096;
constexpr uint32_t kTableGrowth = 4096;

bool LooksLikeHeader(const uint8_t* p)
{
    return p[0] == 0xFF && (p[1] & 0xE0) == 0xE0;
}

// Header fields that must stay the same through one stream.
struct StreamShape
{
    int layer = 0;
    int lsf = 0;
    int rateIndex = -1;
    int channels = 0;

    bool Matches(const MpegHeader& h) const
    {
        return rateIndex < 0 ||
               (h.layer == layer && h.lsf == lsf && h.rateIndex == rateIndex && h.channels == channels);
    }
    void Take(const MpegHeader& h)
    {
        layer = h.layer;
        lsf = h.lsf;
        rateIndex = h.rateIndex;
        channels = h.channels;
    }
};

// Walks the frames of a file's data region: finds each header (resynchronising
// after garbage), and reads whole frames.
struct FrameWalker
{
    FrameWalker(AUSND_FILE* f, uint32_t offset, uint32_t length) : file(f), dataOffset(offset), dataLength(length) {}

    AUSND_FILE* file;
    uint32_t dataOffset;
    uint32_t dataLength;
    uint32_t position = 0; // relative to dataOffset
    StreamShape shape;
    bool synced = false;

    // Positions on the next frame that lies wholly inside the data and reads
    // its header into `header`; false at the end.
    bool Next(AUSND_MPEG* probe, uint8_t header[4], int* frameSize)
    {
        bool skipped = false;
        while (position + 4 <= dataLength)
        {
            AUSND_File_Seek(file, static_cast<int>(dataOffset + position), 0);
            uint8_t bytes[6] = {};
            const int got = AUSND_File_Read(bytes, 1, 6, file);
            if (got < 4)
                return false;
            int size = 0;
            probe->frameSize = 0;
            if (AUSND_Mpeg_DecodeHeader(probe, bytes, nullptr, nullptr, &size) && shape.Matches(probe->header) &&
                position + 4u + static_cast<uint32_t>(size) <= dataLength && Confirmed(skipped, size))
            {
                std::memcpy(header, bytes, 4);
                *frameSize = size;
                synced = true;
                return true;
            }
            probe->frameSize = 0;
            skipped = true;
            ++position;
        }
        return false;
    }

    // After lost sync, a header counts only when the next frame also starts
    // with a sync word (or the data ends right there).
    bool Confirmed(bool skipped, int size)
    {
        if (!skipped && synced)
            return true;
        const uint32_t next = position + 4u + static_cast<uint32_t>(size);
        if (next + 2 > dataLength)
            return next == dataLength || !synced;
        uint8_t two[2];
        AUSND_File_Seek(file, static_cast<int>(dataOffset + next), 0);
        if (!ReadExactly(file, two, 2))
            return false;
        return two[0] == 0xFF && (two[1] & 0xE0) == 0xE0;
    }
};
} // namespace

void AUSND_Mpeg_Init()
{
    static bool s_done = false;
    if (s_done)
        return;
    AUSND_Mpeg_MakeTables(32767.0f);
    AUSND_Mpeg_Init_Layer2();
    AUSND_Mpeg_Init_Layer3(32);
    s_done = true;
}

AUSND_MPEG* AUSND_Mpeg_Alloc()
{
    AUSND_MPEG* mp = static_cast<AUSND_MPEG*>(AUSND_Memory_Calloc(sizeof(AUSND_MPEG)));
    if (!mp)
        return nullptr;
    mp->prevFrameSize = -1;
    mp->ringIndex = 1;
    return mp;
}

bool AUSND_Mpeg_Close(AUSND_MPEG* mp)
{
    if (!mp)
        return false;
    AUSND_Memory_Free(mp);
    return true;
}

void AUSND_Mpeg_ResetFrame(AUSND_MPEG* mp)
{
    if (!mp)
        return;
    std::memset(mp->frameBuffer, 0, sizeof(mp->frameBuffer));
    std::memset(mp->synthBuffer, 0, sizeof(mp->synthBuffer));
    std::memset(mp->overlap, 0, sizeof(mp->overlap));
    mp->blockIndex[0] = mp->blockIndex[1] = 0;
    mp->mainDataLength = 0;
    mp->prevFrameSize = -1;
}

void AUSND_Mpeg_ResetLayer(AUSND_MPEG* mp)
{
    if (mp)
        mp->streamLayer = 0;
}

bool AUSND_Mpeg_DecodeHeader(AUSND_MPEG* mp, const uint8_t* fourBytes, int* rateOut, int* channelsOut,
                             int* frameSizeOut)
{
    if (!mp || !fourBytes || !LooksLikeHeader(fourBytes))
        return false;
    const uint32_t raw = BE32(fourBytes);
    MpegHeader h{};
    h.raw = raw;
    if (raw & (1u << 20))
    {
        h.lsf = (raw & (1u << 19)) ? 0 : 1;
        h.extension = 0;
    }
    else
    {
        h.lsf = 1;
        h.extension = 1;
    }
    h.layer = 4 - static_cast<int>((raw >> 17) & 3);
    if (h.layer != 2 && h.layer != 3)
        return false;
    const int rateBits = static_cast<int>((raw >> 10) & 3);
    if (rateBits == 3)
        return false;
    if (mp->streamLayer != 0 && h.layer != mp->streamLayer)
        return false;
    h.rateIndex = h.extension ? rateBits + 6 : rateBits + 3 * h.lsf;
    h.bitrateIndex = static_cast<int>((raw >> 12) & 15);
    h.padding = static_cast<int>((raw >> 9) & 1);
    h.privateBit = static_cast<int>((raw >> 8) & 1);
    h.mode = static_cast<int>((raw >> 6) & 3);
    h.modeExtension = static_cast<int>((raw >> 4) & 3);
    h.copyright = static_cast<int>((raw >> 3) & 1);
    h.original = static_cast<int>((raw >> 2) & 1);
    h.emphasis = static_cast<int>(raw & 3);
    h.protection = (raw & (1u << 16)) ? 0 : 1;
    h.channels = h.mode == 3 ? 1 : 2;
    if (h.bitrateIndex == 0)
        return false;
    const int bitrate = kBitrates[h.lsf][h.layer == 3 ? 1 : 0][h.bitrateIndex];
    const int rate = kRates[h.rateIndex];
    int size;
    if (h.layer == 2)
    {
        AUSND_Mpeg_Get_II_Stuff(&h);
        size = bitrate * 144000 / rate + h.padding - 4;
    }
    else
    {
        size = bitrate * 144000 / (rate << h.lsf) + h.padding - 4;
    }
    // Layer II at the lowest rates can exceed the frame area: refused.
    if (size < 16 || size > kMpegFrameArea)
        return false;
    if (mp->streamLayer == 0)
        mp->streamLayer = h.layer;
    mp->header = h;
    mp->frameSize = size;
    if (rateOut)
        *rateOut = rate;
    if (channelsOut)
        *channelsOut = h.channels;
    if (frameSizeOut)
        *frameSizeOut = size;
    return true;
}

int AUSND_Mpeg_Channels(const AUSND_MPEG* mp)
{
    return mp ? mp->header.channels : 0;
}

int AUSND_Mpeg_Rate(const AUSND_MPEG* mp)
{
    return mp && mp->header.rateIndex >= 0 && mp->header.rateIndex < 9 ? kRates[mp->header.rateIndex] : 0;
}

int AUSND_Mpeg_FrameSize(const AUSND_MPEG* mp)
{
    return mp ? mp->frameSize : 0;
}

uint32_t AUSND_Mpeg_PCMBytesPerFrame(const AUSND_MPEG* mp)
{
    return mp ? mp->pcmBytesPerFrame : 0;
}

int64_t AUSND_Mpeg_XingFrames(const uint8_t* frame, uint32_t bytes)
{
    if (!frame || bytes < 4 || !LooksLikeHeader(frame))
        return -1;
    const uint32_t raw = BE32(frame);
    if (((raw >> 17) & 3) != 1) // layer III only
        return -1;
    const bool mpeg1 = (raw & (3u << 19)) == (3u << 19);
    const bool mono = ((raw >> 6) & 3) == 3;
    const uint32_t side = mpeg1 ? (mono ? 17u : 32u) : (mono ? 9u : 17u);
    // Encoders place the tag after the side information, some ignoring the CRC.
    const uint32_t crc = (raw & (1u << 16)) ? 0u : 2u;
    const uint8_t* tag = nullptr;
    for (const uint32_t at : {4 + side + crc, 4 + side})
    {
        if (at + 12 <= bytes &&
            (std::memcmp(frame + at, "Xing", 4) == 0 || std::memcmp(frame + at, "Info", 4) == 0))
        {
            tag = frame + at;
            break;
        }
    }
    if (!tag)
        return -1;
    const uint32_t flags = BE32(tag + 4);
    if (!(flags & 1))
        return -1;
    return BE32(tag + 8);
}

bool AUSND_Mpeg_DecodeFrame(AUSND_MPEG* mp, const uint8_t* frame, uint32_t frameBytes, int16_t* pcmOut,
                            uint32_t* pcmBytesOut)
{
    if (pcmBytesOut)
        *pcmBytesOut = 0;
    if (!mp || !frame || frameBytes < 4)
        return false;
    if (mp->frameSize == 0 && !AUSND_Mpeg_DecodeHeader(mp, frame, nullptr, nullptr, nullptr))
        return false;
    const int size = mp->frameSize;
    if (static_cast<uint32_t>(size) + 4 > frameBytes)
    {
        mp->frameSize = 0;
        return false;
    }
    uint32_t written = 0;
    bool ok = true;
    if (AUSND_Mpeg_XingFrames(frame, frameBytes) < 0)
    {
        mp->bufferIndex ^= 1;
        uint8_t* area = mp->frameBuffer[mp->bufferIndex] + kMpegReservoirBytes;
        std::memcpy(area, frame + 4, static_cast<size_t>(size));
        const int crc = mp->header.protection ? 2 : 0;
        if (mp->header.layer == 2)
        {
            mp->bits.Start(area + crc, static_cast<uint32_t>(size - crc));
            ok = AUSND_Mpeg_Decode_Layer2(mp, &mp->header, pcmOut, &written);
        }
        else if (mp->header.layer == 3)
        {
            ok = AUSND_Mpeg_Decode_Layer3(mp, &mp->header, pcmOut, &written);
        }
    }
    mp->prevFrameSize = size;
    mp->frameSize = 0;
    if (pcmBytesOut)
        *pcmBytesOut = written;
    return ok;
}

void AUSND_Mpeg_FreeOffsets(AUSND_MPEGOFFSETS* table)
{
    if (!table)
        return;
    AUSND_Memory_Free(table->offsets);
    table->offsets = nullptr;
    table->count = 0;
    table->capacity = 0;
}

namespace
{
bool RecordOffset(AUSND_MPEGOFFSETS* table, uint32_t offset)
{
    if (!table)
        return true;
    if (table->count == table->capacity)
    {
        const uint32_t capacity = static_cast<uint32_t>(table->capacity) + kTableGrowth;
        void* grown = AUSND_Memory_ReAlloc(table->offsets, capacity * 4);
        if (!grown)
            return Fail(AUSND_ERR_MEMORY);
        table->offsets = static_cast<uint32_t*>(grown);
        table->capacity = static_cast<int32_t>(capacity);
    }
    table->offsets[table->count++] = offset;
    return true;
}

// PCM bytes of the whole data region; *ok false when memory ran out.
uint64_t MeasureFrames(AUSND_FILE* file, uint32_t dataOffset, uint32_t dataLength, uint32_t pcmBytesPerFrame,
                       AUSND_MPEGOFFSETS* table, bool* ok)
{
    *ok = true;
    AUSND_MPEG* probe = AUSND_Mpeg_Alloc();
    if (!probe)
    {
        *ok = false;
        return 0;
    }
    FrameWalker walker(file, dataOffset, dataLength);
    uint64_t total = 0;
    uint8_t header[4];
    int size = 0;
    bool first = true;
    while (walker.Next(probe, header, &size))
    {
        walker.shape.Take(probe->header);
        bool audio = true;
        if (first && probe->header.layer == 3)
        {
            // The first frame may carry a Xing/Info header instead of audio.
            uint8_t frame[4 + 64];
            AUSND_File_Seek(file, static_cast<int>(dataOffset + walker.position), 0);
            const int got = AUSND_File_Read(frame, 1, static_cast<int>(sizeof(frame)), file);
            audio = got < 0 || AUSND_Mpeg_XingFrames(frame, static_cast<uint32_t>(got)) < 0;
        }
        first = false;
        if (audio)
        {
            if (!RecordOffset(table, walker.position))
            {
                *ok = false;
                break;
            }
            total += pcmBytesPerFrame;
        }
        walker.position += 4u + static_cast<uint32_t>(size);
    }
    AUSND_Mpeg_Close(probe);
    return total;
}

struct OpenResult
{
    AUSND_MPEG* mp = nullptr;
    uint32_t dataOffset = 0;
    uint32_t dataLength = 0;
    uint32_t firstFrame = 0; // offset of the first frame inside the data
    uint32_t pcmBytes = 0;
    int rate = 0;
    int channels = 0;
    bool exact = false;
    int64_t xingFrames = -1;
};

// Finds the first frame followed by a second of the same layer.
bool FindFirstFrame(AUSND_FILE* file, OpenResult& r, int* frameSizeOut)
{
    uint32_t start = 0;
    for (int tries = 0; tries < kSearchLimit && start + 4 <= r.dataLength; ++tries, ++start)
    {
        uint8_t bytes[4];
        AUSND_File_Seek(file, static_cast<int>(r.dataOffset + start), 0);
        if (!ReadExactly(file, bytes, 4))
            return false;
        AUSND_Mpeg_ResetLayer(r.mp);
        r.mp->frameSize = 0;
        int size = 0;
        if (!AUSND_Mpeg_DecodeHeader(r.mp, bytes, nullptr, nullptr, &size))
            continue;
        const uint32_t next = start + 4u + static_cast<uint32_t>(size);
        const MpegHeader first = r.mp->header;
        uint8_t following[4];
        bool confirmed = false;
        if (next == r.dataLength)
            confirmed = true; // a file of one frame
        else if (next + 4 <= r.dataLength)
        {
            AUSND_File_Seek(file, static_cast<int>(r.dataOffset + next), 0);
            r.mp->frameSize = 0;
            confirmed = ReadExactly(file, following, 4) &&
                        AUSND_Mpeg_DecodeHeader(r.mp, following, nullptr, nullptr, nullptr) &&
                        r.mp->header.channels == first.channels && r.mp->header.rateIndex == first.rateIndex;
        }
        r.mp->header = first;
        r.mp->frameSize = 0;
        if (confirmed)
        {
            r.firstFrame = start;
            *frameSizeOut = size;
            return true;
        }
    }
    return false;
}

bool OpenCommon(AUSND_FILE* file, uint32_t callerMode, OpenResult& r, AUSND_MPEGOFFSETS* offsetTable,
                AUSND_LOOPPAIR* loopOut, AUSND_SYNCLIST* syncOwner)
{
    if (!file)
        return Fail(AUSND_ERR_INVALID_PARAM);
    AUSND_File_Seek(file, 0, 0);
    uint8_t* fmt = nullptr;
    uint32_t riffOffset = AUSND_DATAOFFSET_UNSET;
    uint32_t riffLength = 0;
    const int before = AUSND_ErrorNo;
    const bool riff = AUSND_Wav_ParseRIFF(file, &fmt, &riffOffset, &riffLength, nullptr, syncOwner, loopOut);
    AUSND_ErrorNo = before;
    if (riff && fmt)
    {
        const uint16_t tag = static_cast<uint16_t>(fmt[0] | (fmt[1] << 8));
        AUSND_Memory_Free(fmt);
        if (tag != 80 && tag != 85)
        {
            AUSND_Sync_Close(syncOwner);
            return Fail(AUSND_ERR_FILE_FORMAT);
        }
    }
    else if (fmt)
        AUSND_Memory_Free(fmt);
    const int64_t fileSize = FileSize(file);
    if (riff && riffOffset != AUSND_DATAOFFSET_UNSET)
    {
        r.dataOffset = riffOffset;
        r.dataLength = riffLength;
    }
    else
    {
        if (riff)
            AUSND_Sync_Close(syncOwner);
        r.dataOffset = 0;
        r.dataLength = fileSize > 0x7FFFFFFF ? 0x7FFFFFFFu : static_cast<uint32_t>(fileSize < 0 ? 0 : fileSize);
    }
    if (static_cast<int64_t>(r.dataOffset) + r.dataLength > fileSize)
        r.dataLength = fileSize > r.dataOffset ? static_cast<uint32_t>(fileSize - r.dataOffset) : 0;

    r.mp = AUSND_Mpeg_Alloc();
    if (!r.mp)
        return Fail(AUSND_ERR_MEMORY);
    int frameSize = 0;
    if (!FindFirstFrame(file, r, &frameSize))
    {
        AUSND_Mpeg_Close(r.mp);
        r.mp = nullptr;
        AUSND_Sync_Close(syncOwner);
        return Fail(AUSND_ERR_FILE_FORMAT);
    }
    // The first frame gives the stream's shape and its PCM bytes per frame.
    const MpegHeader& h = r.mp->header;
    r.rate = kRates[h.rateIndex];
    r.channels = h.channels;
    const uint32_t samples = h.layer == 3 && h.lsf ? 576u : 1152u;
    r.mp->pcmBytesPerFrame = samples * 2u * static_cast<uint32_t>(h.channels);
    uint8_t frame[AUSND_MPEG_MAXFRAME];
    AUSND_File_Seek(file, static_cast<int>(r.dataOffset + r.firstFrame), 0);
    const uint32_t frameBytes = 4u + static_cast<uint32_t>(frameSize);
    if (ReadExactly(file, frame, static_cast<int>(frameBytes)))
        r.xingFrames = AUSND_Mpeg_XingFrames(frame, frameBytes);

    const uint32_t relative = r.dataLength - r.firstFrame;
    if (callerMode & AUSND_MPEGACCURATE)
    {
        bool ok = true;
        const uint64_t total = MeasureFrames(file, r.dataOffset + r.firstFrame, relative,
                                             r.mp->pcmBytesPerFrame, offsetTable, &ok);
        if (!ok || total == 0 || total > 0xFFFFFFFFu)
        {
            AUSND_Mpeg_Close(r.mp);
            r.mp = nullptr;
            AUSND_Sync_Close(syncOwner);
            return Fail(ok ? AUSND_ERR_FILE_BAD : AUSND_ERR_MEMORY);
        }
        r.pcmBytes = static_cast<uint32_t>(total);
        r.exact = true;
        r.mp->exactLength = r.pcmBytes;
    }
    else if (r.xingFrames > 0)
    {
        const uint64_t total = static_cast<uint64_t>(r.xingFrames) * r.mp->pcmBytesPerFrame;
        r.pcmBytes = total > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(total);
    }
    else
    {
        const uint32_t even = (frameBytes + 1) & ~1u;
        const float estimate =
            static_cast<float>(r.mp->pcmBytesPerFrame) / static_cast<float>(even) * static_cast<float>(relative);
        r.pcmBytes = estimate <= 0.0f ? 0u : estimate >= 4294967040.0f ? 0xFFFFFFFFu : static_cast<uint32_t>(estimate);
    }
    r.mp->streamLayer = h.layer;
    r.mp->frameSize = 0;
    AUSND_Mpeg_ResetFrame(r.mp);
    return true;
}
} // namespace

uint32_t AUSND_Mpeg_GetPCMLength(AUSND_FILE* file, uint32_t dataLength, uint32_t pcmBytesPerFrame,
                                 AUSND_MPEGOFFSETS* offsetTable)
{
    if (!file)
        return 0;
    const int here = AUSND_File_Tell(file);
    if (offsetTable)
        offsetTable->count = 0;
    bool ok = true;
    const uint64_t total =
        MeasureFrames(file, static_cast<uint32_t>(here), dataLength, pcmBytesPerFrame, offsetTable, &ok);
    AUSND_File_Seek(file, here, 0);
    if (!ok || total > 0xFFFFFFFFu)
        return 0;
    return static_cast<uint32_t>(total);
}

bool AUSND_Mpeg_Open(AUSND_FILE* file, uint32_t* modeInOut, int* rateOut, uint32_t* dataLengthInOut,
                     uint32_t* pcmBytesOut, AUSND_MPEG** contextOut, int* blockSizeOut, uint32_t* dataOffsetOut,
                     uint32_t* lengthMsOut, AUSND_MPEGOFFSETS* offsetTable, AUSND_LOOPPAIR* loopOut,
                     AUSND_SYNCLIST* syncOwner)
{
    OpenResult r;
    const uint32_t callerMode = modeInOut ? *modeInOut : 0;
    if (!OpenCommon(file, callerMode, r, offsetTable, loopOut, syncOwner))
        return false;
    uint32_t mode = callerMode & ~static_cast<uint32_t>(AUSND_8BITS | AUSND_16BITS | AUSND_MONO | AUSND_STEREO |
                                                      AUSND_UNSIGNED | AUSND_SIGNED);
    mode |= AUSND_16BITS | AUSND_SIGNED | (r.channels == 1 ? AUSND_MONO : AUSND_STEREO);
    if (modeInOut)
        *modeInOut = mode;
    if (rateOut)
        *rateOut = r.rate;
    // The data region starts at the first frame.
    if (dataOffsetOut)
        *dataOffsetOut = r.dataOffset + r.firstFrame;
    if (dataLengthInOut)
        *dataLengthInOut = r.dataLength - r.firstFrame;
    if (pcmBytesOut)
        *pcmBytesOut = r.pcmBytes;
    if (blockSizeOut)
        *blockSizeOut = static_cast<int>(AUSND_MPEG_BLOCKSIZE);
    if (lengthMsOut)
    {
        const uint64_t frames = r.pcmBytes / 2u / static_cast<uint32_t>(r.channels);
        *lengthMsOut = static_cast<uint32_t>(frames * 1000u / static_cast<uint32_t>(r.rate));
    }
    if (contextOut)
        *contextOut = r.mp;
    else
        AUSND_Mpeg_Close(r.mp);
    return true;
}

AUSND_SAMPLE* AUSND_Mpeg_Load(int index, AUSND_FILE* file, unsigned int mode)
{
    OpenResult r;
    AUSND_LOOPPAIR loop{0, 0};
    if (!OpenCommon(file, mode | AUSND_MPEGACCURATE, r, nullptr, &loop, nullptr))
        return nullptr;
    AUSND_MPEG* mp = r.mp;
    const uint32_t frameBytesPcm = 2u * static_cast<uint32_t>(r.channels);
    const uint32_t frames = r.pcmBytes / frameBytesPcm;
    uint32_t sampleMode = AUSND_16BITS | AUSND_SIGNED | (r.channels == 1 ? AUSND_MONO : AUSND_STEREO);
    AUSND_SAMPLE* sample = AUSND_Sample_AllocForFile(index, frames, sampleMode, mode, r.rate);
    if (!sample)
    {
        AUSND_Mpeg_Close(mp);
        return nullptr;
    }
    sample->codec = mp;
    void* ptr1 = nullptr;
    void* ptr2 = nullptr;
    unsigned int len1 = 0;
    unsigned int len2 = 0;
    const uint32_t bytes = AUSND_Sample_ByteSize(sample);
    bool ok = AUSND_Sample_Lock(sample, 0, static_cast<int>(bytes), &ptr1, &ptr2, &len1, &len2) && ptr1;
    uint32_t written = 0;
    if (ok)
    {
        uint8_t* out = static_cast<uint8_t*>(ptr1);
        FrameWalker walker(file, r.dataOffset + r.firstFrame, r.dataLength - r.firstFrame);
        AUSND_MPEG* probe = AUSND_Mpeg_Alloc();
        uint8_t frame[AUSND_MPEG_MAXFRAME];
        uint8_t header[4];
        int size = 0;
        int16_t pcm[1152 * 2];
        while (probe && walker.Next(probe, header, &size))
        {
            walker.shape.Take(probe->header);
            AUSND_File_Seek(file, static_cast<int>(walker.dataOffset + walker.position), 0);
            const int frameLength = 4 + size;
            if (!ReadExactly(file, frame, frameLength))
                break;
            walker.position += static_cast<uint32_t>(frameLength);
            uint32_t produced = 0;
            mp->frameSize = 0;
            const bool decoded = AUSND_Mpeg_DecodeFrame(mp, frame, static_cast<uint32_t>(frameLength), pcm, &produced);
            if (!decoded)
            {
                // A refused frame keeps its place in time as silence.
                produced = mp->pcmBytesPerFrame;
                std::memset(pcm, 0, produced);
            }
            if (produced == 0)
                continue;
            const uint32_t room = len1 - written;
            const uint32_t take = produced < room ? produced : room;
            std::memcpy(out + written, pcm, take);
            written += take;
            if (written >= len1)
                break;
        }
        AUSND_Mpeg_Close(probe);
        ok = probe != nullptr;
    }
    const int error = AUSND_ErrorNo;
    if (ptr1)
        AUSND_Sample_Unlock(sample, ptr1, ptr2, len1, len2);
    sample->codec = nullptr;
    AUSND_Mpeg_Close(mp);
    if (!ok || written == 0)
    {
        AUSND_Sample_Free(sample);
        AUSND_ErrorNo = error ? error : AUSND_ERR_FILE_BAD;
        return nullptr;
    }
    if (written < len1)
    {
        sample->length = written / frameBytesPcm;
        AUSND_Sample_SetLoopPoints(sample, 0, static_cast<int>(sample->length) - 1);
    }
    AUSND_Sample_ApplyFileLoop(sample, loop, mode);
    return sample;
}

// ---------------------------------------------------------------- streams

namespace
{
// What an MPEG stream keeps: the decoder, every frame's offset, and the next frame to read.
struct MpegStreamCodec
{
    AUSND_MPEG* mp;
    AUSND_MPEGOFFSETS table;
    AUSND_FILE* file;
    uint32_t dataOffset;
    uint32_t dataLength;
    int32_t nextFrame;
    uint32_t framesPerFrame; // PCM frames per MPEG frame
    uint32_t pcmFrameBytes;
};

// Frames decoded before a seek target so that the reservoir and the filter
// state are whole when the target frame plays.
constexpr int32_t kSeekPreroll = 3;

bool ReadMpegStream(AUSND_STREAM* s, void* /*raw*/, uint32_t /*rawsize*/, void* dest, uint32_t* bytes)
{
    MpegStreamCodec* c = static_cast<MpegStreamCodec*>(s->format.codec);
    const uint32_t capacity = *bytes;
    *bytes = 0;
    if (!c || !dest)
        return false;
    const uint32_t perFrame = c->mp->pcmBytesPerFrame;
    uint8_t* out = static_cast<uint8_t*>(dest);
    uint8_t frame[AUSND_MPEG_MAXFRAME];
    while (c->nextFrame < c->table.count && capacity - *bytes >= perFrame)
    {
        const uint32_t at = c->table.offsets[c->nextFrame++];
        const uint32_t left = c->dataLength - at;
        const int want = static_cast<int>(left < sizeof(frame) ? left : sizeof(frame));
        AUSND_File_Seek(c->file, static_cast<int>(c->dataOffset + at), 0);
        const int got = AUSND_File_Read(frame, 1, want, c->file);
        uint32_t produced = 0;
        if (got < 4 || !AUSND_Mpeg_DecodeFrame(c->mp, frame, static_cast<uint32_t>(got),
                                               reinterpret_cast<int16_t*>(out + *bytes), &produced))
        {
            // A frame that cannot be decoded keeps its time as silence.
            std::memset(out + *bytes, 0, perFrame);
            produced = perFrame;
        }
        *bytes += produced;
    }
    return c->nextFrame < c->table.count;
}

bool SeekMpegStream(AUSND_STREAM* s, int /*unit*/, uint64_t frame, uint64_t /*bytes*/)
{
    MpegStreamCodec* c = static_cast<MpegStreamCodec*>(s->format.codec);
    if (!c || c->framesPerFrame == 0)
        return false;
    uint64_t target = frame / c->framesPerFrame;
    if (target > static_cast<uint64_t>(c->table.count))
        target = static_cast<uint64_t>(c->table.count);
    const int32_t start = static_cast<int32_t>(target) > kSeekPreroll ? static_cast<int32_t>(target) - kSeekPreroll : 0;
    AUSND_Mpeg_ResetFrame(c->mp);
    c->nextFrame = start;
    s->skipbytes = static_cast<uint32_t>((frame - static_cast<uint64_t>(start) * c->framesPerFrame) * c->pcmFrameBytes);
    return true;
}

void ResetMpegStream(void* codec)
{
    AUSND_Mpeg_ResetFrame(static_cast<MpegStreamCodec*>(codec)->mp);
}

bool CloseMpegStream(void* codec)
{
    MpegStreamCodec* c = static_cast<MpegStreamCodec*>(codec);
    if (!c)
        return false;
    AUSND_Mpeg_Close(c->mp);
    AUSND_Mpeg_FreeOffsets(&c->table);
    AUSND_Memory_Free(c);
    return true;
}
} // namespace

bool AUSND_Mpeg_OpenStream(AUSND_FILE* file, AUSND_STREAMFORMAT* f, AUSND_SYNCLIST* sync)
{
    MpegStreamCodec* c = static_cast<MpegStreamCodec*>(AUSND_Memory_Calloc(sizeof(MpegStreamCodec)));
    if (!c)
        return Fail(AUSND_ERR_MEMORY);
    // Streams always measure the frames: the table gives exact length and seeks.
    uint32_t mode = f->mode | AUSND_MPEGACCURATE;
    int block = 0;
    uint32_t pcmBytes = 0;
    uint32_t lengthMs = 0;
    if (!AUSND_Mpeg_Open(file, &mode, &f->rate, &c->dataLength, &pcmBytes, &c->mp, &block, &c->dataOffset, &lengthMs,
                         &c->table, &f->loop, sync))
    {
        AUSND_Memory_Free(c);
        return false;
    }
    c->file = file;
    c->pcmFrameBytes = (mode & AUSND_STEREO) ? 4u : 2u;
    c->framesPerFrame = c->mp->pcmBytesPerFrame / c->pcmFrameBytes;
    f->mode = mode & ~static_cast<uint32_t>(AUSND_MPEGACCURATE);
    f->pcmbytes = pcmBytes;
    f->datalength = c->dataLength;
    f->dataoffset = c->dataOffset;
    f->codec = c;
    f->bytesperframe = 0;
    f->rawsize = 0;
    f->decodesize = c->mp->pcmBytesPerFrame;
    f->lengthms = lengthMs;
    f->read = ReadMpegStream;
    f->seek = SeekMpegStream;
    f->reset = ResetMpegStream;
    f->close = CloseMpegStream;
    return true;
}
