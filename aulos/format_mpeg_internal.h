// Shared between the MPEG audio reader and its layer decoders: the decoder
// context, the bounded bit reader and the global tables.
#pragma once

#include "aulos/format_mpeg.h"

#include <cstdint>
#include <cstring>

// A two-level Huffman lookup. An entry with bit 15 set points at a sub-table:
// bits 11 to 14 its index width, bits 0 to 10 its start. Otherwise bits 8 to 12
// hold the bits still to consume at this level and bits 0 to 7 the symbol: a
// pair as x * 16 + y, a quadruple as its four flags.
struct MpegHuffTree
{
    static constexpr int kRootBits = 9;
    uint16_t entries[1792];
    int size;
    int dimension;
};

void AUSND_Mpeg_InitHuffman();
const MpegHuffTree* AUSND_Mpeg_PairTree(int table); // null for the unused tables 0, 4 and 14
int AUSND_Mpeg_PairLinbits(int table);
const MpegHuffTree* AUSND_Mpeg_QuadTree(int table); // 0: table A, 1: table B
// The raw code book of a pair table (0 to 31) or of quadruple table A (32) or B (33).
bool AUSND_Mpeg_HuffmanBook(int table, const uint16_t** codes, const uint8_t** lengths, int* count);

// Reads big-endian bits from a byte range; past the end it yields zeros and
// remembers the overrun, so a corrupt frame can never read outside its buffer.
struct MpegBitReader
{
    const uint8_t* data = nullptr;
    uint32_t bytes = 0;
    uint32_t position = 0; // in bits

    void Start(const uint8_t* start, uint32_t length)
    {
        data = start;
        bytes = length;
        position = 0;
    }
    uint32_t BitsLeft() const { return position >= bytes * 8 ? 0 : bytes * 8 - position; }
    bool Overrun() const { return position > bytes * 8; }
    // The bits from the position on, left-aligned: at least 57 valid ones,
    // zeros past the end. Inside the buffer one unaligned 64-bit load serves;
    // only the last 7 bytes take the byte-wise path.
    uint64_t Window() const
    {
        const uint32_t byte = position >> 3;
        return (byte + 8 <= bytes ? LoadBig64(data + byte) : TailWord(byte)) << (position & 7);
    }
    // `count` (0 to 32) bits of a window after its first `from` (below 64).
    static uint32_t Field(uint64_t window, uint32_t from, int count)
    {
        // Two shifts so that a count of 0 yields 0 without an undefined shift by 64.
        return static_cast<uint32_t>(((window << from) >> 1) >> (63 - count));
    }
    // Up to 32 bits without consuming them.
    uint32_t Peek(int count) const { return Field(Window(), 0, count); }
    uint32_t Read(int count)
    {
        const uint32_t value = Peek(count);
        position += static_cast<uint32_t>(count);
        return value;
    }
    void Skip(uint32_t count) { position += count; }

  private:
    static uint64_t LoadBig64(const uint8_t* p)
    {
        uint64_t word;
        std::memcpy(&word, p, 8);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        word = __builtin_bswap64(word);
#endif
        return word;
    }
    uint64_t TailWord(uint32_t byte) const
    {
        uint64_t word = 0;
        for (uint32_t i = 0; i < 8; ++i)
            word = (word << 8) | (byte + i < bytes ? data[byte + i] : 0u);
        return word;
    }
};

// Four floats treated as one value: the transforms run on four inputs at once
// in this form, and the compiler turns each operation into one vector
// instruction.
struct alignas(16) MpegLanes
{
    static constexpr int kCount = 4;
    float v[kCount];
};

inline MpegLanes operator+(const MpegLanes& a, const MpegLanes& b)
{
    MpegLanes r;
    for (int l = 0; l < MpegLanes::kCount; ++l)
        r.v[l] = a.v[l] + b.v[l];
    return r;
}

inline MpegLanes operator-(const MpegLanes& a, const MpegLanes& b)
{
    MpegLanes r;
    for (int l = 0; l < MpegLanes::kCount; ++l)
        r.v[l] = a.v[l] - b.v[l];
    return r;
}

inline MpegLanes operator*(const MpegLanes& a, float f)
{
    MpegLanes r;
    for (int l = 0; l < MpegLanes::kCount; ++l)
        r.v[l] = a.v[l] * f;
    return r;
}

struct MpegHeader
{
    uint32_t raw;
    int lsf;       // lower sampling rate (MPEG-2 and 2.5)
    int extension; // MPEG-2.5 (8 to 12 kHz)
    int layer;
    int channels;
    int bitrateIndex;
    int rateIndex; // 0 to 8
    int padding;
    int privateBit;
    int mode;
    int modeExtension;
    int copyright;
    int original;
    int protection; // a CRC follows the header
    int emphasis;
    // layer II
    int allocTable; // 0..4: the standard's tables a, b, c, d and the lower-rate one
    int sblimit;
    int jsbound;
};

enum
{
    kMpegReservoirBytes = 512,
    kMpegFrameArea = 1792,
    kMpegMainDataMax = 4096 // reservoir plus the longest layer III main data of one frame
};

struct AUSND_MPEG
{
    int frameSize;     // body bytes after the header; 0 = none decoded for the next frame
    int prevFrameSize; // -1 after a reset
    MpegHeader header;
    int streamLayer;
    // Frame bodies, alternately; the reservoir room in front is unused by this
    // decoder, which keeps its reservoir in mainData below.
    uint8_t frameBuffer[2][kMpegReservoirBytes + kMpegFrameArea + 8];
    int bufferIndex;
    MpegBitReader bits;
    // Layer III main data: the most recent main data bytes of earlier frames,
    // followed by this frame's.
    uint8_t mainData[kMpegMainDataMax];
    int mainDataLength;
    // Polyphase synthesis: per channel 16 blocks of 64 matrixed values.
    float synthBuffer[2][16][64];
    int ringIndex;
    // Layer III overlap-add, per channel and subband.
    float overlap[2][32][18];
    int blockIndex[2];
    float spectrum[2][576];
    uint32_t pcmBytesPerFrame;
    uint32_t exactLength;
};

// Global tables of the synthesis and the layer decoders.
void AUSND_Mpeg_MakeTables(float scale);
void AUSND_Mpeg_Init_Layer2();
void AUSND_Mpeg_Init_Layer3(int sblimit);
void AUSND_Mpeg_Get_II_Stuff(MpegHeader* header);
bool AUSND_Mpeg_Decode_Layer2(AUSND_MPEG* mp, const MpegHeader* header, int16_t* pcmOut, uint32_t* pcmBytesOut);
bool AUSND_Mpeg_Decode_Layer3(AUSND_MPEG* mp, const MpegHeader* header, int16_t* pcmOut, uint32_t* pcmBytesOut);
// Subband samples of one channel and frame for the synthesis: four successive
// steps interleaved, step s of subband b at [s / 4][b].v[s % 4].
using MpegSynthInput = MpegLanes[9][32];

// Synthesis of `slots` (up to 36) successive steps: 32 subband samples per
// channel and step to 32 interleaved samples per channel and step. Lanes
// past `slots` in the last group must hold finite values.
void AUSND_Mpeg_Synth(AUSND_MPEG* mp, int16_t* pcmOut, const MpegSynthInput* bands, int slots, int channels);
// Conversion of one synthesis sum: clipped, then truncated toward zero.
int16_t AUSND_Mpeg_ToPCM(float sum);
