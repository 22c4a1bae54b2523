// The sound bank reader. Every count, size and offset in a bank is checked
// against the header area and the file before it is used.
#include "aulos/format_asb.h"

#include "aulos/ausnd_device.h"
#include "aulos/format_bytes.h"
#include "aulos/system_memory.h"
#include "aulos/system_string.h"

#include <cstring>

using namespace aulos_format;

namespace
{
constexpr uint32_t kTransferBytes = 32768;
constexpr uint32_t kRefusedModes = AUSND_ADPCM28 | AUSND_ADPCM14;

void* Table(uint32_t count, uint32_t itemBytes)
{
    return AUSND_Memory_Calloc(count * itemBytes);
}

// Bytes one sample frame takes in the file; 0 for IMA ADPCM (checked by blocks).
uint32_t BytesPerFrame(uint32_t mode, uint32_t channels)
{
    if (mode & AUSND_IMAADPCM)
        return 0;
    const uint32_t width = (mode & AUSND_16BITS) ? 2u : 1u;
    const uint32_t count = (mode & AUSND_STEREO) ? 2u : ((mode & AUSND_MULTICHANNEL) ? channels : 1u);
    return width * (count ? count : 1u);
}

// Whether the data size holds `length` samples of the mode.
bool DataFits(uint64_t length, uint32_t dataSize, uint32_t mode, uint32_t channels)
{
    if (mode & AUSND_IMAADPCM)
    {
        const uint64_t ch = (mode & AUSND_STEREO) ? 2u : (channels ? channels : 1u);
        const uint64_t blocks = (length + 63) / 64;
        return blocks * 36u * ch <= dataSize;
    }
    return length * BytesPerFrame(mode, channels) <= dataSize;
}

// Walks the header area and records every sound's headers and data.
bool Index(AUSND_ASBBANK* bank, uint32_t dataStart, int64_t fileSize)
{
    const uint32_t n = static_cast<uint32_t>(bank->count);
    const bool compactHeaders = (bank->flags & AUSND_ASB_FLAG_COMPACT) != 0;
    const uint32_t standard =
        bank->version == AUSND_ASB_VERSION_31 ? AUSND_ASB_FULLHEADER_V31 : AUSND_ASB_FULLHEADER;
    // Each sound needs at least a compact header in the area.
    if (static_cast<uint64_t>(n - 1) * AUSND_ASB_COMPACTHEADER + standard > bank->areaSize)
        return Fail(AUSND_ERR_FILE_BAD);
    bank->dataOffsets = static_cast<uint32_t*>(Table(n, 4));
    bank->dataSizes = static_cast<uint32_t*>(Table(n, 4));
    bank->lengths = static_cast<uint32_t*>(Table(n, 4));
    if (compactHeaders)
        bank->compact = static_cast<const uint8_t**>(Table(n, sizeof(uint8_t*)));
    else
        bank->full = static_cast<const uint8_t**>(Table(n, sizeof(uint8_t*)));
    if (!bank->dataOffsets || !bank->dataSizes || !bank->lengths || (!bank->compact && !bank->full))
        return Fail(AUSND_ERR_MEMORY);

    uint64_t data = dataStart;
    uint64_t at = 0;
    uint32_t extra = 0;
    for (uint32_t i = 0; i < n; ++i)
    {
        const uint8_t* h = bank->area + at;
        uint32_t length;
        uint32_t size;
        uint64_t step;
        if (i == 0 || !compactHeaders)
        {
            if (at + standard > bank->areaSize)
                return Fail(AUSND_ERR_FILE_BAD);
            const uint32_t headerSize = LE16(h);
            if (headerSize < standard || at + headerSize > bank->areaSize)
                return Fail(AUSND_ERR_FILE_BAD);
            length = LE32(h + 32);
            size = LE32(h + 36);
            if (!DataFits(length, size, LE32(h + 48), LE16(h + 62)))
                return Fail(AUSND_ERR_FILE_BAD);
            if (bank->full)
                bank->full[i] = h;
            step = headerSize;
            if (i == 0 && (LE32(h + 48) & AUSND_ADPCM14))
                extra = headerSize - standard;
        }
        else
        {
            step = AUSND_ASB_COMPACTHEADER + static_cast<uint64_t>(extra);
            if (at + step > bank->areaSize)
                return Fail(AUSND_ERR_FILE_BAD);
            length = LE32(h);
            size = LE32(h + 4);
            const uint8_t* first = bank->area;
            if (!DataFits(length, size, LE32(first + 48), LE16(first + 62)))
                return Fail(AUSND_ERR_FILE_BAD);
            bank->compact[i] = h;
        }
        if (data + size > static_cast<uint64_t>(fileSize))
            return Fail(AUSND_ERR_FILE_BAD);
        bank->dataOffsets[i] = static_cast<uint32_t>(data);
        bank->dataSizes[i] = size;
        bank->lengths[i] = length;
        data += size;
        at += step;
    }
    return true;
}
} // namespace

void AUSND_ASB_FirstSound(const AUSND_ASBBANK* bank, AUSND_ASBSOUND* out)
{
    const uint8_t* h = bank->area;
    std::memset(out, 0, sizeof(*out));
    std::memcpy(out->name, h + 2, 30);
    out->name[30] = 0;
    out->length = LE32(h + 32);
    out->dataSize = LE32(h + 36);
    out->loopStart = LE32(h + 40);
    out->loopEnd = LE32(h + 44);
    out->mode = LE32(h + 48);
    out->rate = static_cast<int32_t>(LE32(h + 52));
    out->volume = LE16(h + 56);
    out->pan = static_cast<int16_t>(LE16(h + 58));
    out->priority = LE16(h + 60);
    out->channels = LE16(h + 62);
}

bool AUSND_ASB_Close(AUSND_ASBBANK* bank)
{
    if (!bank)
        return false;
    AUSND_Memory_Free(bank->area);
    AUSND_Memory_Free(bank->full);
    AUSND_Memory_Free(bank->compact);
    AUSND_Memory_Free(bank->dataOffsets);
    AUSND_Memory_Free(bank->dataSizes);
    AUSND_Memory_Free(bank->lengths);
    AUSND_Memory_Free(bank->streamFormat);
    AUSND_Memory_Free(bank->streamBuffer);
    AUSND_Memory_Free(bank);
    return true;
}

bool AUSND_ASB_Open(AUSND_FILE* file, uint32_t* modeInOut, int* rateOut, uint32_t* dataBytesOut,
                    uint32_t* pcmBytesOut, AUSND_ASBBANK** bankOut, int* blockSizeOut, uint32_t* dataOffsetOut)
{
    if (!file)
        return Fail(AUSND_ERR_FILE_NOTFOUND);
    AUSND_ASBBANK* bank = static_cast<AUSND_ASBBANK*>(AUSND_Memory_Calloc(sizeof(AUSND_ASBBANK)));
    if (!bank)
        return Fail(AUSND_ERR_MEMORY);
    auto refuse = [bank](int error) {
        AUSND_ASB_Close(bank);
        return Fail(error);
    };
    AUSND_File_Seek(file, 0, 0);
    if (!ReadExactly(file, bank->header, AUSND_ASB_HEADERBYTES))
    {
        // A bank of the older form may be shorter than 24 bytes only when broken.
        return refuse(std::memcmp(bank->header, "ASB", 3) == 0 ? AUSND_ERR_FILE_BAD : AUSND_ERR_FILE_FORMAT);
    }
    uint32_t headerBytes = AUSND_ASB_HEADERBYTES;
    if (std::memcmp(bank->header, "ASB2", 4) == 0)
        headerBytes = 16;
    else if (std::memcmp(bank->header, "ASB3", 4) != 0)
        return refuse(AUSND_ERR_FILE_FORMAT);
    const int32_t count = static_cast<int32_t>(LE32(bank->header + 4));
    bank->areaSize = LE32(bank->header + 8);
    bank->version = headerBytes == 16 ? 0 : LE32(bank->header + 16);
    bank->flags = headerBytes == 16 ? 0 : LE32(bank->header + 20);
    if (count < 1)
        return refuse(AUSND_ERR_FILE_BAD);
    bank->count = count;
    const int64_t fileSize = FileSize(file);
    if (bank->areaSize < AUSND_ASB_FULLHEADER || headerBytes + static_cast<int64_t>(bank->areaSize) > fileSize)
        return refuse(AUSND_ERR_FILE_BAD);
    bank->area = static_cast<uint8_t*>(AUSND_Memory_Calloc(bank->areaSize));
    if (!bank->area)
        return refuse(AUSND_ERR_MEMORY);
    AUSND_File_Seek(file, static_cast<int>(headerBytes), 0);
    if (!ReadExactly(file, bank->area, bank->areaSize))
        return refuse(AUSND_ERR_FILE_BAD);
    if (!Index(bank, headerBytes + bank->areaSize, fileSize))
        return refuse(AUSND_ErrorNo);

    AUSND_ASBSOUND first;
    AUSND_ASB_FirstSound(bank, &first);
    if (first.mode & kRefusedModes)
        return refuse(AUSND_ERR_FILE_FORMAT);
    uint32_t callerMode = modeInOut ? *modeInOut : 0;
    uint64_t pcm = first.length;
    if (first.mode & (AUSND_16BITS | AUSND_IMAADPCM))
        pcm *= 2;
    if (first.mode & AUSND_IMAADPCM)
        callerMode &= ~static_cast<uint32_t>(AUSND_FORCEMONO);
    if (first.mode & AUSND_STEREO)
        pcm *= 2;
    else if (first.mode & AUSND_MULTICHANNEL)
        pcm *= static_cast<uint32_t>(first.channels > 0 ? first.channels : 1);
    uint32_t mode = first.mode;
    if (callerMode & AUSND_LOOPBITS)
        mode = (mode & ~static_cast<uint32_t>(AUSND_LOOPBITS)) | (callerMode & AUSND_LOOPBITS);
    const uint32_t placement = AUSND_HW2D | AUSND_HW3D | AUSND_2D;
    if (callerMode & placement)
        mode = (mode & ~placement) | (callerMode & placement);
    mode |= callerMode & (AUSND_NONBLOCKING | AUSND_FORCEMONO | AUSND_LOADMEMORY);
    if (modeInOut)
        *modeInOut = mode;
    if (rateOut)
        *rateOut = first.rate;
    if (dataBytesOut)
        *dataBytesOut = first.dataSize;
    if (pcmBytesOut)
        *pcmBytesOut = pcm > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(pcm);
    const int channels = (first.mode & AUSND_STEREO) ? 2 : (first.channels > 0 ? first.channels : 1);
    if (blockSizeOut)
        *blockSizeOut = ((first.mode & AUSND_IMAADPCM) ? 36 : 16) * channels;
    if (dataOffsetOut)
        *dataOffsetOut = bank->dataOffsets[0];
    bank->current = 0;
    if (bankOut)
        *bankOut = bank;
    else
        AUSND_ASB_Close(bank);
    return true;
}

AUSND_SAMPLE* AUSND_ASB_Load(int index, AUSND_FILE* file, unsigned int mode)
{
    uint32_t openMode = 0;
    AUSND_ASBBANK* bank = nullptr;
    if (!AUSND_ASB_Open(file, &openMode, nullptr, nullptr, nullptr, &bank, nullptr, nullptr))
        return nullptr;
    auto refuse = [bank](int error) -> AUSND_SAMPLE* {
        AUSND_ASB_Close(bank);
        AUSND_ErrorNo = error;
        return nullptr;
    };
    if (bank->count > 1)
        return refuse(AUSND_ERR_FILE_FORMAT);
    AUSND_ASBSOUND sound;
    AUSND_ASB_FirstSound(bank, &sound);
    const uint32_t stored = sound.mode;
    if ((mode & AUSND_FORCEMONO) && (stored & AUSND_STEREO) && (stored & (AUSND_IMAADPCM | AUSND_ADPCM28)))
        return refuse(AUSND_ERR_INVALID_PARAM);
    AUSND_SAMPLE* sample = nullptr;
    if (bank->flags & AUSND_ASB_FLAG_FILES)
    {
        const int32_t start = file->startoffset;
        const int32_t end = file->endoffset;
        // The sound's file seen through a window of its own.
        AUSND_File_SetStartOffset(file, start + static_cast<int32_t>(bank->dataOffsets[0]));
        AUSND_File_SetEndOffset(file, start + static_cast<int32_t>(bank->dataOffsets[0] + sound.dataSize) - 1);
        AUSND_File_Seek(file, 0, 0);
        sample = AUSND_Sample_LoadEx(index, reinterpret_cast<const char*>(file), mode, 0, 0, true);
        file->startoffset = start;
        file->endoffset = end;
        AUSND_File_Seek(file, static_cast<int>(bank->dataOffsets[0] + sound.dataSize), 0);
        if (!sample)
            return refuse(AUSND_ErrorNo ? AUSND_ErrorNo : AUSND_ERR_FILE_BAD);
        F_strncpy(sample->name, sound.name, 255);
        AUSND_Sample_SetLoopPoints(sample, static_cast<int>(sound.loopStart), static_cast<int>(sound.loopEnd));
        AUSND_ASB_Close(bank);
        return sample;
    }
    if (sound.length == 0 || sound.length > 0x7FFFFFFFu)
        return refuse(AUSND_ERR_FILE_BAD);
    uint32_t sampleMode = (stored & ~static_cast<uint32_t>(AUSND_IMAADPCM)) | AUSND_SIGNED;
    if (stored & AUSND_IMAADPCM)
        sampleMode = (sampleMode & ~static_cast<uint32_t>(AUSND_8BITS)) | AUSND_16BITS;
    if (stored & AUSND_MULTICHANNEL)
        sampleMode &= ~static_cast<uint32_t>(AUSND_HW2D | AUSND_HW3D);
    sampleMode |= mode & (AUSND_LOOPBITS | AUSND_2D);
    sample = AUSND_Sample_AllocEx(index, static_cast<int>(sound.length), sampleMode, sound.rate, sound.volume,
                                  sound.pan, sound.priority, sound.channels > 0 ? sound.channels : 1);
    if (!sample)
        return refuse(AUSND_ErrorNo ? AUSND_ErrorNo : AUSND_ERR_MEMORY);
    F_strncpy(sample->name, sound.name, 255);

    uint8_t* buffer = static_cast<uint8_t*>(AUSND_Memory_Calloc(kTransferBytes));
    if (!buffer)
    {
        AUSND_Sample_Free(sample);
        return refuse(AUSND_ERR_MEMORY);
    }
    const uint32_t channels = (stored & AUSND_STEREO) ? 2u : (sound.channels > 0 ? static_cast<uint32_t>(sound.channels) : 1u);
    const bool adpcm = (stored & AUSND_IMAADPCM) != 0;
    // Whole ADPCM blocks or whole sample frames per chunk.
    const uint32_t unit = adpcm ? 36u * channels : BytesPerFrame(stored, channels);
    const uint32_t chunk = kTransferBytes / unit * unit;
    uint32_t bytes = adpcm ? sound.dataSize / (36u * channels) * 36u * channels
                           : sound.length * BytesPerFrame(stored, channels);
    AUSND_File_Seek(file, static_cast<int>(bank->dataOffsets[0]), 0);
    bool ok = true;
    for (uint32_t done = 0; done < bytes && ok;)
    {
        const uint32_t take = bytes - done < chunk ? bytes - done : chunk;
        ok = ReadExactly(file, buffer, take);
        const uint32_t destOffset = adpcm ? done / 36u * 64u * 2u : done;
        ok = ok && AUSND_Sample_UploadEx(sample, buffer, destOffset, take, stored);
        done += take;
    }
    AUSND_Memory_Free(buffer);
    AUSND_ASB_Close(bank);
    if (!ok)
    {
        AUSND_Sample_Free(sample);
        AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
        return nullptr;
    }
    // Loop points once the data is in: setting them prepares the data past the loop end.
    AUSND_Sample_SetLoopPoints(sample, static_cast<int>(sound.loopStart), static_cast<int>(sound.loopEnd));
    return sample;
}
