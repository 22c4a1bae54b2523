#include "aulos/format_imaadpcm.h"

#include <cstddef>

const int16_t AUSND_IMAAdpcm_StepTab[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const int8_t AUSND_IMAAdpcm_IndexTab[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

namespace
{
// One channel's decoder state.
struct Channel
{
    int predictor;
    int index;

    int16_t Next(int code)
    {
        predictor = AUSND_IMAAdpcm_DecodeSample(code, predictor, AUSND_IMAAdpcm_StepTab[index]);
        index = AUSND_IMAAdpcm_NextStepIndex(code, index);
        return static_cast<int16_t>(predictor);
    }
};

// Reads a 4-byte block head; false for a step index above 88.
bool ReadHead(const uint8_t* head, Channel& channel)
{
    channel.predictor = static_cast<int16_t>(static_cast<uint16_t>(head[0] | (head[1] << 8)));
    channel.index = head[2];
    return channel.index <= 88;
}
} // namespace

bool AUSND_IMAAdpcm_DecodeM16(const uint8_t* source, int16_t* destination, int blockCount, int blockAlign,
                              int samplesPerBlock, int stride)
{
    for (int b = 0; b < blockCount; ++b)
    {
        const uint8_t* block = source + static_cast<std::ptrdiff_t>(b) * blockAlign;
        Channel ch{};
        if (!ReadHead(block, ch))
            return false;
        *destination = static_cast<int16_t>(ch.predictor);
        destination += stride;
        const uint8_t* codes = block + 4;
        for (int i = 0; i < samplesPerBlock - 1; ++i)
        {
            const int code = (i & 1) ? (codes[i >> 1] >> 4) : (codes[i >> 1] & 0x0F);
            *destination = ch.Next(code);
            destination += stride;
        }
    }
    return true;
}

bool AUSND_IMAAdpcm_DecodeS16(const uint8_t* source, int16_t* destination, int blockCount, int blockAlign,
                              int samplesPerBlock)
{
    for (int b = 0; b < blockCount; ++b)
    {
        const uint8_t* block = source + static_cast<std::ptrdiff_t>(b) * blockAlign;
        Channel left{};
        Channel right{};
        if (!ReadHead(block, left) || !ReadHead(block + 4, right))
            return false;
        *destination++ = static_cast<int16_t>(left.predictor);
        *destination++ = static_cast<int16_t>(right.predictor);
        const uint8_t* group = block + 8;
        for (int remaining = samplesPerBlock - 1; remaining > 0; group += 8)
        {
            const int n = remaining < 8 ? remaining : 8;
            for (int i = 0; i < n; ++i)
            {
                const int shift = (i & 1) * 4;
                *destination++ = left.Next((group[i >> 1] >> shift) & 0x0F);
                *destination++ = right.Next((group[4 + (i >> 1)] >> shift) & 0x0F);
            }
            remaining -= n;
        }
    }
    return true;
}

bool AUSND_IMAAdpcm_BlockFits(int blockAlign, int samplesPerBlock, int channels)
{
    if (blockAlign <= 0 || samplesPerBlock < 1 || channels < 1 || channels > 2)
        return false;
    const int64_t codes = samplesPerBlock - 1;
    const int64_t needed = channels == 1 ? 4 + (codes + 1) / 2 : 8 + (codes + 7) / 8 * 8;
    return needed <= blockAlign;
}

int AUSND_IMAAdpcm_DecodeSample(int code, int predictor, int step)
{
    int diff = step >> 3;
    if (code & 4)
        diff += step;
    if (code & 2)
        diff += step >> 1;
    if (code & 1)
        diff += step >> 2;
    if (code & 8)
        diff = -diff;
    const int value = predictor + diff;
    return value < -32768 ? -32768 : (value > 32767 ? 32767 : value);
}

int AUSND_IMAAdpcm_NextStepIndex(int code, int index)
{
    const int next = index + AUSND_IMAAdpcm_IndexTab[code & 0x0F];
    return next < 0 ? 0 : (next > 88 ? 88 : next);
}

bool ValidStepIndex(int index)
{
    return index >= 0 && index < 89;
}
