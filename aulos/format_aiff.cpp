// The AIFF reader: big-endian PCM with markers and the sustain loop.
#include "aulos/ausnd_device.h"
#include "aulos/format_bytes.h"
#include "aulos/format_wav.h"

#include <cmath>
#include <cstring>

using namespace aulos_format;

namespace
{
constexpr uint32_t kFormatBits = AUSND_8BITS | AUSND_16BITS | AUSND_MONO | AUSND_STEREO | AUSND_UNSIGNED | AUSND_SIGNED;

struct AiffInfo
{
    uint32_t frames = 0;
    int16_t sustainBegin = -1;
    int16_t sustainEnd = -1;
    int64_t markBody = -1; // markers are read once the whole file is known
    uint32_t markSize = 0;
};

// "MARK": every marker becomes a sync point; the sustain loop's markers,
// counted from 1 in file order, become the loop pair.
bool ReadMarkers(AUSND_FILE* file, const AiffInfo& info, AUSND_SYNCLIST* sync, AUSND_LOOPPAIR* loop)
{
    AUSND_File_Seek(file, static_cast<int>(info.markBody), 0);
    uint8_t countBytes[2];
    if (info.markSize < 2 || !ReadExactly(file, countBytes, 2))
        return Fail(AUSND_ERR_FILE_BAD);
    const uint16_t count = BE16(countBytes);
    if (sync && count)
        AUSND_Sync_Close(sync);
    int64_t left = static_cast<int64_t>(info.markSize) - 2;
    for (int number = 1; number <= count; ++number)
    {
        uint8_t head[7];
        char name[256];
        std::memset(name, 0, sizeof(name));
        if (left < 7 || !ReadExactly(file, head, 7))
            return Fail(AUSND_ERR_FILE_BAD);
        const int length = head[6];
        const int pad = (length & 1) ? 0 : 1;
        left -= 7 + length + pad;
        if (left < 0 || !ReadExactly(file, name, length))
            return Fail(AUSND_ERR_FILE_BAD);
        uint8_t padByte;
        if (pad && !ReadExactly(file, &padByte, 1))
            return Fail(AUSND_ERR_FILE_BAD);
        uint32_t position = BE32(head + 2);
        if (position >= info.frames)
            position = info.frames ? info.frames - 1 : 0;
        if (loop && number == info.sustainBegin)
            loop->start = position;
        else if (loop && number == info.sustainEnd)
            loop->end = position;
        if (sync && !AUSND_Sync_Add(sync, position, name))
            return false;
    }
    return true;
}

bool ReadCommon(AUSND_FILE* file, uint32_t size, AiffInfo& info, uint32_t* mode, int* rateOut)
{
    uint8_t comm[18];
    if (size < 18 || !ReadExactly(file, comm, 18))
        return Fail(AUSND_ERR_FILE_BAD);
    const uint16_t channels = BE16(comm);
    const uint16_t bits = BE16(comm + 6);
    const float rate = ConvertFromIeeeExtended(comm + 8);
    if (!(rate >= 1.0f && rate <= 1000000.0f))
        return Fail(AUSND_ERR_FILE_BAD);
    info.frames = BE32(comm + 2);
    if (rateOut)
        *rateOut = static_cast<int>(rate);
    if (bits == 16)
        *mode |= AUSND_16BITS;
    else if (bits == 8)
        *mode |= AUSND_8BITS;
    if (channels == 2)
        *mode |= AUSND_STEREO;
    else if (channels == 1)
        *mode |= AUSND_MONO;
    return true;
}
} // namespace

float ConvertFromIeeeExtended(const uint8_t* bytes)
{
    const bool negative = (bytes[0] & 0x80) != 0;
    const int exponent = ((bytes[0] & 0x7F) << 8) | bytes[1];
    const uint32_t high = BE32(bytes + 2);
    const uint32_t low = BE32(bytes + 6);
    float result = 0.0f;
    if (!(exponent == 0 && high == 0 && low == 0) && exponent != 0x7FFF)
    {
        const double h = std::ldexp(static_cast<double>(static_cast<float>(high)), exponent - 16414);
        const double l = std::ldexp(static_cast<double>(static_cast<float>(low)), exponent - 16446);
        result = static_cast<float>(h) + static_cast<float>(l);
    }
    return negative ? -result : result;
}

bool AUSND_AIFF_Parse(AUSND_FILE* file, uint32_t* dataOffsetOut, uint32_t* dataLengthOut, uint32_t* modeInOut,
                      int* rateOut, AUSND_SYNCLIST* syncOwner, AUSND_LOOPPAIR* loopOut)
{
    const int64_t start = AUSND_File_Tell(file);
    uint8_t header[12];
    if (!ReadExactly(file, header, 8) || !ReadExactly(file, header + 8, 4))
        return Fail(AUSND_ERR_FILE_BAD);
    if (std::memcmp(header, "FORM", 4) != 0 || std::memcmp(header + 8, "AIFF", 4) != 0)
        return Fail(AUSND_ERR_FILE_FORMAT);
    *dataOffsetOut = AUSND_DATAOFFSET_UNSET;
    *modeInOut &= ~kFormatBits;
    AiffInfo info;
    const int64_t fileEnd = FileSize(file) - start;
    int64_t limit = 8 + static_cast<int64_t>(BE32(header + 4));
    if (limit > fileEnd)
        limit = fileEnd;
    uint32_t dataLength = 0;

    for (int64_t at = 12; at + 8 <= limit;)
    {
        uint8_t chunk[8];
        AUSND_File_Seek(file, static_cast<int>(start + at), 0);
        if (!ReadExactly(file, chunk, 8))
            return Fail(AUSND_ERR_FILE_BAD);
        const uint32_t size = BE32(chunk + 4);
        if (size & 0x80000000u)
            break;
        const int64_t body = at + 8;
        if (body + size > fileEnd)
            return Fail(AUSND_ERR_FILE_BAD); // a chunk cut off by the end of the file
        if (std::memcmp(chunk, "COMM", 4) == 0)
        {
            if (!ReadCommon(file, size, info, modeInOut, rateOut))
                return false;
        }
        else if (std::memcmp(chunk, "SSND", 4) == 0 && *dataOffsetOut == AUSND_DATAOFFSET_UNSET)
        {
            uint8_t ssnd[8];
            if (size < 8 || !ReadExactly(file, ssnd, 8))
                return Fail(AUSND_ERR_FILE_BAD);
            const uint32_t offset = BE32(ssnd);
            if (offset > size - 8)
                return Fail(AUSND_ERR_FILE_BAD);
            *dataOffsetOut = static_cast<uint32_t>(start + body + 8 + offset);
            dataLength = size - 8 - offset;
        }
        else if (std::memcmp(chunk, "INST", 4) == 0)
        {
            uint8_t inst[20];
            if (size < 20 || !ReadExactly(file, inst, 20))
                return Fail(AUSND_ERR_FILE_BAD);
            info.sustainBegin = static_cast<int16_t>(BE16(inst + 10));
            info.sustainEnd = static_cast<int16_t>(BE16(inst + 12));
            if (info.sustainBegin == 0)
            {
                ++info.sustainBegin;
                ++info.sustainEnd;
            }
        }
        else if (std::memcmp(chunk, "MARK", 4) == 0 && info.markBody < 0)
        {
            info.markBody = start + body;
            info.markSize = size;
        }
        at = body + size + (size & 1);
    }

    if (info.markBody >= 0 && (syncOwner || loopOut) && !ReadMarkers(file, info, syncOwner, loopOut))
        return false;
    const uint32_t mode = *modeInOut;
    if (!(mode & (AUSND_8BITS | AUSND_16BITS)) || !(mode & (AUSND_MONO | AUSND_STEREO)))
        return false;
    if (*dataOffsetOut == AUSND_DATAOFFSET_UNSET)
    {
        *dataOffsetOut = 0;
        return false;
    }
    if (dataLengthOut)
        *dataLengthOut = dataLength;
    return true;
}

bool AUSND_AIFF_Open(AUSND_FILE* file, uint32_t* modeInOut, int* rateOut, uint32_t* dataLengthOut,
                     int* bytesPerFrameOut, uint32_t* dataOffsetOut, AUSND_LOOPPAIR* loopOut,
                     AUSND_SYNCLIST* syncOwner)
{
    *dataOffsetOut = AUSND_DATAOFFSET_UNSET;
    if (!file)
        return Fail(AUSND_ERR_INVALID_PARAM);
    AUSND_File_Seek(file, 0, 0);
    if (!AUSND_AIFF_Parse(file, dataOffsetOut, dataLengthOut, modeInOut, rateOut, syncOwner, loopOut))
        return false;
    uint32_t mode = *modeInOut & ~static_cast<uint32_t>(AUSND_UNSIGNED | AUSND_SIGNED);
    int bytesPerFrame = 1;
    if (mode & AUSND_16BITS)
    {
        mode |= AUSND_SIGNED;
        bytesPerFrame = 2;
    }
    else
    {
        // The file's 8-bit frames are signed. A stream adds 128 as it reads
        // them, to match this flag, and makes them signed again as it does for
        // every unsigned format; a loaded sample, always signed, takes them as they are.
        mode |= AUSND_UNSIGNED;
    }
    if (mode & AUSND_STEREO)
        bytesPerFrame *= 2;
    *modeInOut = mode;
    if (bytesPerFrameOut)
        *bytesPerFrameOut = bytesPerFrame;
    return true;
}

AUSND_SAMPLE* AUSND_AIFF_Load(int index, AUSND_FILE* file, unsigned int mode)
{
    uint32_t fileMode = mode;
    int rate = 0;
    uint32_t dataLength = 0;
    int bytesPerFrame = 0;
    uint32_t dataOffset = 0;
    AUSND_LOOPPAIR loop{0, 0};
    if (!AUSND_AIFF_Open(file, &fileMode, &rate, &dataLength, &bytesPerFrame, &dataOffset, &loop, nullptr))
        return nullptr;
    AUSND_SAMPLE* sample = AUSND_Sample_AllocForFile(index, dataLength / static_cast<uint32_t>(bytesPerFrame),
                                                     fileMode, mode, rate);
    if (!sample)
        return nullptr;
    AUSND_File_Seek(file, static_cast<int>(dataOffset), 0);
    void* ptr1 = nullptr;
    void* ptr2 = nullptr;
    unsigned int len1 = 0;
    unsigned int len2 = 0;
    const bool ok = AUSND_Sample_Lock(sample, 0, static_cast<int>(AUSND_Sample_ByteSize(sample)), &ptr1, &ptr2,
                                      &len1, &len2) &&
                    ReadExactly(file, ptr1, static_cast<int>(len1));
    if (ok && (fileMode & AUSND_16BITS))
    {
        uint8_t* data = static_cast<uint8_t*>(ptr1);
        for (unsigned int i = 0; i + 1 < len1; i += 2)
        {
            const uint8_t t = data[i];
            data[i] = data[i + 1];
            data[i + 1] = t;
        }
    }
    if (ptr1)
        AUSND_Sample_Unlock(sample, ptr1, ptr2, len1, len2);
    if (!ok)
    {
        AUSND_Sample_Free(sample);
        AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
        return nullptr;
    }
    AUSND_Sample_ApplyFileLoop(sample, loop, mode);
    return sample;
}

bool AUSND_AIFF_Close(void* /*state*/)
{
    return true;
}
