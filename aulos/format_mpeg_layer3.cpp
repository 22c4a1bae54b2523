// Layer III decoding: side information, the main-data reservoir, scale
// factors, Huffman decoding, requantisation, stereo processing, reordering,
// alias reduction and the hybrid filter bank ahead of the polyphase synthesis.
#include "aulos/format_mpeg_internal.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
struct Granule
{
    int part23Length;
    int bigValues;
    int globalGain;
    int scalefacCompress;
    int windowSwitching;
    int blockType;
    int mixedBlock;
    int tableSelect[3];
    int subblockGain[3];
    int region0Count;
    int region1Count;
    int preflag;
    int scalefacScale;
    int count1Table;
};

struct SideInfo
{
    int mainDataBegin;
    int scfsi[2];
    Granule gr[2][2];
};

// Scale factors of one granule and channel: long bands 0..21, short [band][window].
struct ScaleFactors
{
    int l[23];
    int s[13][3];
};

struct BandTable
{
    int16_t l[23];
    int16_t s[14];
};

const BandTable kBands[9] = {
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576},
     {0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192}},
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 42, 50, 60, 72, 88, 106, 128, 156, 190, 230, 276, 330, 384, 576},
     {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192}},
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 54, 66, 82, 102, 126, 156, 194, 240, 296, 364, 448, 550, 576},
     {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 24, 32, 42, 56, 74, 100, 132, 174, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 114, 136, 162, 194, 232, 278, 332, 394, 464, 540, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 136, 180, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    {{0, 12, 24, 36, 48, 60, 72, 88, 108, 132, 160, 192, 232, 280, 336, 400, 476, 566, 568, 570, 572, 574, 576},
     {0, 8, 16, 24, 36, 52, 72, 96, 124, 160, 162, 164, 166, 192}}};

const int kPretab[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};
const int kSlen[2][16] = {{0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4},
                          {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3}};
// Lower-rate scale factor counts per slen group: [table][block kind][group];
// block kind 0 long, 1 short, 2 mixed.
const int kLsfCounts[6][3][4] = {{{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},
                                 {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
                                 {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}},
                                 {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
                                 {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},
                                 {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}}};

constexpr int kPowCount = 8207;
float g_pow43[kPowCount];
float g_gain[378]; // 2^(-0.25 v) for v = -46 .. 331
float g_cs[8];
float g_ca[8];
float g_imdctWindow[4][36];
// The long IMDCT's factors: before its 18-point DCT-IV (with the alternating
// signs of the input folded in), before the 9-point halves, and the halves' cosines.
float g_imdctPre36[18]; // (-1)^n / (2 cos((2n+1) pi / 72))
float g_imdctPre18[9];  // 1 / (2 cos((2n+1) pi / 36))
float g_cos9[9][4];     // cos((2n+1) m pi / 18)
float g_cos12[6][12];
float g_isRatio[7][2]; // MPEG-1 intensity: left and right factors
float g_lsfIs[2][32];  // lower rates: io^k for the two scales

float Gain(int v)
{
    const int i = v + 46;
    if (i < 0)
        return g_gain[0] * std::pow(2.0f, -0.25f * static_cast<float>(i));
    if (i >= 378)
        return 0.0f;
    return g_gain[i];
}

bool ReadSideInfo(MpegBitReader& bits, const MpegHeader& h, SideInfo& si)
{
    const int channels = h.channels;
    const int granules = h.lsf ? 1 : 2;
    if (h.lsf)
    {
        si.mainDataBegin = static_cast<int>(bits.Read(8));
        bits.Skip(channels == 1 ? 1 : 2);
    }
    else
    {
        si.mainDataBegin = static_cast<int>(bits.Read(9));
        bits.Skip(channels == 1 ? 5 : 3);
        for (int ch = 0; ch < channels; ++ch)
            si.scfsi[ch] = static_cast<int>(bits.Read(4));
    }
    for (int g = 0; g < granules; ++g)
    {
        for (int ch = 0; ch < channels; ++ch)
        {
            Granule& gi = si.gr[g][ch];
            gi.part23Length = static_cast<int>(bits.Read(12));
            gi.bigValues = static_cast<int>(bits.Read(9));
            if (gi.bigValues > 288)
                return false;
            gi.globalGain = static_cast<int>(bits.Read(8));
            gi.scalefacCompress = static_cast<int>(bits.Read(h.lsf ? 9 : 4));
            gi.windowSwitching = static_cast<int>(bits.Read(1));
            if (gi.windowSwitching)
            {
                gi.blockType = static_cast<int>(bits.Read(2));
                gi.mixedBlock = static_cast<int>(bits.Read(1));
                if (gi.blockType == 0)
                    return false;
                gi.tableSelect[0] = static_cast<int>(bits.Read(5));
                gi.tableSelect[1] = static_cast<int>(bits.Read(5));
                gi.tableSelect[2] = 0;
                for (int w = 0; w < 3; ++w)
                    gi.subblockGain[w] = static_cast<int>(bits.Read(3));
                // Implicit region boundaries of switched blocks.
                gi.region0Count = (gi.blockType == 2 && !gi.mixedBlock) ? 8 : 7;
                gi.region1Count = 20 - gi.region0Count;
            }
            else
            {
                gi.blockType = 0;
                gi.mixedBlock = 0;
                for (int r = 0; r < 3; ++r)
                    gi.tableSelect[r] = static_cast<int>(bits.Read(5));
                gi.subblockGain[0] = gi.subblockGain[1] = gi.subblockGain[2] = 0;
                gi.region0Count = static_cast<int>(bits.Read(4));
                gi.region1Count = static_cast<int>(bits.Read(3));
            }
            gi.preflag = h.lsf ? 0 : static_cast<int>(bits.Read(1));
            gi.scalefacScale = static_cast<int>(bits.Read(1));
            gi.count1Table = static_cast<int>(bits.Read(1));
        }
    }
    return true;
}

// MPEG-1 scale factors; `previous` holds the first granule's for reuse (scfsi).
int ReadScaleFactors1(MpegBitReader& bits, ScaleFactors& sf, const Granule& gi, int scfsi, int granule)
{
    const int slen1 = kSlen[0][gi.scalefacCompress];
    const int slen2 = kSlen[1][gi.scalefacCompress];
    const uint32_t start = bits.position;
    if (gi.blockType == 2)
    {
        int sfb = 0;
        if (gi.mixedBlock)
        {
            for (; sfb < 8; ++sfb)
                sf.l[sfb] = static_cast<int>(bits.Read(slen1));
            sfb = 3;
        }
        for (; sfb < 12; ++sfb)
            for (int w = 0; w < 3; ++w)
                sf.s[sfb][w] = static_cast<int>(bits.Read(sfb < 6 ? slen1 : slen2));
        for (int w = 0; w < 3; ++w)
            sf.s[12][w] = 0;
        return static_cast<int>(bits.position - start);
    }
    static const int kGroups[5] = {0, 6, 11, 16, 21};
    for (int group = 0; group < 4; ++group)
    {
        const bool reuse = granule == 1 && (scfsi & (8 >> group));
        const int len = group < 2 ? slen1 : slen2;
        for (int sfb = kGroups[group]; sfb < kGroups[group + 1]; ++sfb)
            if (!reuse)
                sf.l[sfb] = static_cast<int>(bits.Read(len));
    }
    sf.l[21] = 0;
    sf.l[22] = 0;
    return static_cast<int>(bits.position - start);
}

// Lower-rate scale factors; the right channel of intensity stereo uses its own
// coding. Returns the bits used; `isMax` receives the illegal intensity
// position per band (2^slen - 1).
int ReadScaleFactors2(MpegBitReader& bits, ScaleFactors& sf, const Granule& gi, bool intensityChannel,
                      int* intensityScale, int isMax[40])
{
    int slen[4] = {0, 0, 0, 0};
    int table = 0;
    int sfc = gi.scalefacCompress;
    int preflag = 0;
    if (!intensityChannel)
    {
        if (sfc < 400)
        {
            slen[0] = (sfc >> 4) / 5;
            slen[1] = (sfc >> 4) % 5;
            slen[2] = (sfc & 15) >> 2;
            slen[3] = sfc & 3;
            table = 0;
        }
        else if (sfc < 500)
        {
            sfc -= 400;
            slen[0] = (sfc >> 2) / 5;
            slen[1] = (sfc >> 2) % 5;
            slen[2] = sfc & 3;
            table = 1;
        }
        else
        {
            sfc -= 500;
            slen[0] = sfc / 3;
            slen[1] = sfc % 3;
            table = 2;
            preflag = 1;
        }
    }
    else
    {
        *intensityScale = sfc & 1;
        const int isc = sfc >> 1;
        if (isc < 180)
        {
            slen[0] = isc / 36;
            slen[1] = (isc % 36) / 6;
            slen[2] = (isc % 36) % 6;
            table = 3;
        }
        else if (isc < 244)
        {
            const int v = isc - 180;
            slen[0] = (v & 63) >> 4;
            slen[1] = (v & 15) >> 2;
            slen[2] = v & 3;
            table = 4;
        }
        else
        {
            const int v = isc - 244;
            slen[0] = v / 3;
            slen[1] = v % 3;
            table = 5;
        }
    }
    const int kind = gi.blockType == 2 ? (gi.mixedBlock ? 2 : 1) : 0;
    int values[40] = {};
    int maxes[40] = {};
    int n = 0;
    const uint32_t start = bits.position;
    for (int group = 0; group < 4; ++group)
    {
        const int count = kLsfCounts[table][kind][group];
        for (int i = 0; i < count && n < 40; ++i, ++n)
        {
            values[n] = static_cast<int>(bits.Read(slen[group]));
            maxes[n] = (1 << slen[group]) - 1;
        }
    }
    // Spread the values over the bands in order.
    int k = 0;
    if (gi.blockType == 2)
    {
        int sfb = 0;
        if (gi.mixedBlock)
        {
            for (; sfb < 6; ++sfb, ++k)
            {
                sf.l[sfb] = values[k];
                isMax[sfb] = maxes[k];
            }
            sfb = 3;
        }
        for (; sfb < 12; ++sfb)
            for (int w = 0; w < 3; ++w, ++k)
            {
                sf.s[sfb][w] = values[k];
                isMax[22 + sfb] = maxes[k];
            }
        for (int w = 0; w < 3; ++w)
            sf.s[12][w] = 0;
        isMax[22 + 12] = isMax[22 + 11];
    }
    else
    {
        for (int sfb = 0; sfb < 21; ++sfb, ++k)
        {
            sf.l[sfb] = values[k] + (preflag ? kPretab[sfb] : 0);
            isMax[sfb] = maxes[k];
        }
        sf.l[21] = 0;
        sf.l[22] = 0;
        isMax[21] = isMax[20];
    }
    return static_cast<int>(bits.position - start);
}

float Requantise(int value, float gain)
{
    const int magnitude = value < 0 ? -value : value;
    const float p = magnitude < kPowCount ? g_pow43[magnitude]
                                           : std::pow(static_cast<float>(magnitude), 4.0f / 3.0f);
    // The sign is copied bit for bit: signs are random, so a branch would mispredict.
    uint32_t bits;
    const float scaled = p * gain;
    std::memcpy(&bits, &scaled, 4);
    bits ^= static_cast<uint32_t>(value) & 0x80000000u;
    float result;
    std::memcpy(&result, &bits, 4);
    return result;
}

// Decodes one code from a window of bits; returns the symbol and adds the
// code's length to `used`.
int DecodeSymbol(uint64_t window, const MpegHuffTree* tree, uint32_t& used)
{
    uint32_t e = tree->entries[MpegBitReader::Field(window, used, MpegHuffTree::kRootBits)];
    if (e & 0x8000)
    {
        used += MpegHuffTree::kRootBits;
        e = tree->entries[(e & 0x7FF) + MpegBitReader::Field(window, used, static_cast<int>((e >> 11) & 15))];
    }
    used += (e >> 8) & 31;
    return static_cast<int>(e & 0xFF);
}

// Reads the sign bit that follows a nonzero value. Without branches: zeros
// and signs are both too random to predict.
int Signed(int value, uint64_t window, uint32_t& used)
{
    const int present = value != 0;
    const int negative = static_cast<int>((window << used) >> 63) & present;
    used += static_cast<uint32_t>(present);
    return (value ^ -negative) + negative;
}

// Huffman decoding of one granule into integer values, then scaling. Returns
// false on a bit overrun past the granule's part 2 and 3 length.
bool DecodeSpectrum(MpegBitReader& bits, const Granule& gi, const ScaleFactors& sf, const BandTable& bands,
                    uint32_t endBit, int lsf, float* xr, int* nonzeroOut)
{
    int values[576 + 4];
    int region1, region2;
    if (gi.windowSwitching)
    {
        // Switched blocks: the first region covers three short bands, or
        // eight long bands for long and mixed blocks.
        region1 = gi.blockType == 2 && !gi.mixedBlock ? 3 * bands.s[3] : bands.l[8];
        region2 = 576;
    }
    else
    {
        const int r0 = gi.region0Count + 1;
        const int r1 = gi.region0Count + gi.region1Count + 2;
        region1 = bands.l[r0 > 22 ? 22 : r0];
        region2 = bands.l[r1 > 22 ? 22 : r1];
    }
    const int bigEnd = gi.bigValues * 2;
    if (region1 > bigEnd)
        region1 = bigEnd;
    if (region2 > bigEnd)
        region2 = bigEnd;
    int i = 0;
    for (int region = 0; region < 3; ++region)
    {
        const int end = region == 0 ? region1 : region == 1 ? region2 : bigEnd;
        const int table = gi.tableSelect[region];
        const MpegHuffTree* tree = AUSND_Mpeg_PairTree(table);
        if (!tree)
        {
            for (; i < end; ++i)
                values[i] = 0;
            continue;
        }
        const int linbits = AUSND_Mpeg_PairLinbits(table);
        // One window per pair: its longest form (a 19-bit code, two 13-bit
        // escapes and two signs) is 47 bits.
        for (; i < end; i += 2)
        {
            const uint64_t window = bits.Window();
            uint32_t used = 0;
            const int symbol = DecodeSymbol(window, tree, used);
            int x = symbol >> 4;
            int y = symbol & 15;
            if (linbits && x == 15)
            {
                x += static_cast<int>(MpegBitReader::Field(window, used, linbits));
                used += static_cast<uint32_t>(linbits);
            }
            x = Signed(x, window, used);
            if (linbits && y == 15)
            {
                y += static_cast<int>(MpegBitReader::Field(window, used, linbits));
                used += static_cast<uint32_t>(linbits);
            }
            y = Signed(y, window, used);
            values[i] = x;
            values[i + 1] = y;
            bits.Skip(used);
        }
    }
    const bool overrun = bits.position > endBit;
    std::memset(values + i, 0, sizeof(int) * static_cast<size_t>(580 - i));
    // Quadruples until the granule's bits are used up.
    const MpegHuffTree* quad = AUSND_Mpeg_QuadTree(gi.count1Table);
    while (i <= 572 && bits.position < endBit)
    {
        const uint64_t window = bits.Window();
        uint32_t used = 0;
        const int symbol = DecodeSymbol(window, quad, used);
        int q[4];
        for (int k = 0; k < 4; ++k)
            q[k] = Signed((symbol >> (3 - k)) & 1, window, used);
        bits.Skip(used);
        if (bits.position > endBit)
            break; // the last quadruple ran past the end: discard it
        for (int k = 0; k < 4; ++k)
            values[i + k] = q[k];
        i += 4;
    }
    int nonzero = i < 576 ? i : 576;

    // Scaling: long bands, short bands per window, or both for mixed blocks.
    const float multiplier = gi.scalefacScale ? 1.0f : 0.5f;
    const int globalExp = gi.globalGain - 210;
    if (gi.blockType != 2)
    {
        int sfb = 0;
        for (int k = 0; k < nonzero; ++sfb)
        {
            const int end = sfb < 22 ? bands.l[sfb + 1] : 576;
            const int scf = sfb < 22 ? sf.l[sfb] + (gi.preflag && !lsf ? kPretab[sfb] : 0) : 0;
            const float gain = Gain(-globalExp + static_cast<int>(4.0f * multiplier * static_cast<float>(scf)));
            const int stop = std::min(end, nonzero);
            for (; k < stop; ++k)
                xr[k] = Requantise(values[k], gain);
        }
    }
    else
    {
        int k = 0;
        int longEnd = 0;
        if (gi.mixedBlock)
        {
            longEnd = 36;
            int sfb = 0;
            for (; k < longEnd && k < nonzero; ++sfb)
            {
                const int end = bands.l[sfb + 1];
                const int scf = sf.l[sfb] + (gi.preflag && !lsf ? kPretab[sfb] : 0);
                const float gain =
                    Gain(-globalExp + static_cast<int>(4.0f * multiplier * static_cast<float>(scf)));
                for (; k < end && k < nonzero; ++k)
                    xr[k] = Requantise(values[k], gain);
            }
        }
        int sfb = gi.mixedBlock ? 3 : 0;
        for (; k < nonzero && sfb < 13; ++sfb)
        {
            const int width = bands.s[sfb + 1] - bands.s[sfb];
            for (int w = 0; w < 3; ++w)
            {
                const int scf = sf.s[sfb][w];
                const float gain = Gain(-globalExp + 8 * gi.subblockGain[w] +
                                        static_cast<int>(4.0f * multiplier * static_cast<float>(scf)));
                for (int j = 0; j < width && k < nonzero; ++j, ++k)
                    xr[k] = Requantise(values[k], gain);
            }
        }
    }
    for (int k = nonzero; k < 576; ++k)
        xr[k] = 0.0f;
    // Trim trailing zeros so later stages skip silent subbands.
    while (nonzero > 0 && values[nonzero - 1] == 0)
        --nonzero;
    *nonzeroOut = nonzero;
    return !overrun;
}

// Last nonzero line of a channel's spectrum, +1.
int Extent(const float* xr)
{
    int n = 576;
    while (n > 0 && xr[n - 1] == 0.0f)
        --n;
    return n;
}

void MidSide(float* left, float* right, int from, int to)
{
    const float r = static_cast<float>(M_SQRT1_2);
    for (int k = from; k < to; ++k)
    {
        const float m = left[k];
        const float s = right[k];
        left[k] = (m + s) * r;
        right[k] = (m - s) * r;
    }
}

// Applies one intensity position to lines [from, to); false when the position
// is illegal (the band is then treated as plain or mid/side stereo).
bool IntensityBand(float* left, float* right, int from, int to, int pos, int isMax, const MpegHeader& h,
                   int intensityScale)
{
    float kl;
    float kr;
    if (!h.lsf)
    {
        if (pos >= 7)
            return false;
        kl = g_isRatio[pos][0];
        kr = g_isRatio[pos][1];
    }
    else
    {
        if (pos == isMax)
            return false;
        if (pos & 1)
        {
            kl = g_lsfIs[intensityScale][(pos + 1) >> 1];
            kr = 1.0f;
        }
        else
        {
            kl = 1.0f;
            kr = g_lsfIs[intensityScale][pos >> 1];
        }
    }
    for (int k = from; k < to; ++k)
    {
        const float v = left[k];
        left[k] = v * kl;
        right[k] = v * kr;
    }
    return true;
}

void ProcessStereo(AUSND_MPEG* mp, const MpegHeader& h, const Granule& gi, const ScaleFactors& sfRight,
                   const int isMax[40], int intensityScale)
{
    float* left = mp->spectrum[0];
    float* right = mp->spectrum[1];
    const bool ms = (h.modeExtension & 2) != 0;
    const bool intensity = (h.modeExtension & 1) != 0;
    const BandTable& bands = kBands[h.rateIndex];
    if (!intensity)
    {
        if (ms)
            MidSide(left, right, 0, 576);
        return;
    }
    // Each band above the right channel's last nonzero line is intensity coded.
    if (gi.blockType == 2)
    {
        // Per window: find the highest nonzero band of the right channel.
        for (int w = 0; w < 3; ++w)
        {
            int lastBand = -1;
            const int firstSfb = gi.mixedBlock ? 3 : 0;
            for (int sfb = 12; sfb >= firstSfb; --sfb)
            {
                const int width = bands.s[sfb + 1] - bands.s[sfb];
                const int start = bands.s[sfb] * 3 + w * width;
                bool any = false;
                for (int j = 0; j < width; ++j)
                    if (right[start + j] != 0.0f)
                        any = true;
                if (any)
                {
                    lastBand = sfb;
                    break;
                }
            }
            for (int sfb = firstSfb; sfb < 13; ++sfb)
            {
                const int width = bands.s[sfb + 1] - bands.s[sfb];
                const int start = bands.s[sfb] * 3 + w * width;
                const int pos = sfb < 12 ? sfRight.s[sfb][w] : sfRight.s[11][w];
                const int maxPos = isMax[22 + (sfb < 12 ? sfb : 11)];
                if (sfb <= lastBand || !IntensityBand(left, right, start, start + width, pos, maxPos, h,
                                                      intensityScale))
                {
                    if (ms)
                        MidSide(left, right, start, start + width);
                }
            }
        }
        if (gi.mixedBlock && ms)
            MidSide(left, right, 0, 36); // long part of a mixed block
        return;
    }
    const int extent = Extent(right);
    for (int sfb = 0; sfb < 22; ++sfb)
    {
        const int start = bands.l[sfb];
        const int end = bands.l[sfb + 1];
        const int pos = sfb < 21 ? sfRight.l[sfb] : sfRight.l[20];
        const int maxPos = isMax[sfb < 21 ? sfb : 20];
        if (end <= extent || start < extent ||
            !IntensityBand(left, right, start, end, pos, maxPos, h, intensityScale))
        {
            if (ms)
                MidSide(left, right, start, end);
        }
    }
}

// Short-block lines, stored window by window inside each band, are put in
// frequency order with the three windows interleaved.
void Reorder(float* xr, const BandTable& bands, bool mixed)
{
    float tmp[576];
    const int firstSfb = mixed ? 3 : 0;
    const int base = bands.s[firstSfb] * 3;
    int k = base;
    for (int sfb = firstSfb; sfb < 13; ++sfb)
    {
        const int start = bands.s[sfb];
        const int width = bands.s[sfb + 1] - start;
        for (int w = 0; w < 3; ++w)
            for (int j = 0; j < width; ++j)
                tmp[3 * (start + j) + w] = xr[k++];
    }
    std::memcpy(xr + base, tmp + base, sizeof(float) * static_cast<size_t>(576 - base));
}

void AliasReduce(float* xr, int subbands)
{
    for (int sb = 1; sb < subbands; ++sb)
    {
        float* p = xr + 18 * sb;
        for (int i = 0; i < 8; ++i)
        {
            const float bu = p[-1 - i];
            const float bd = p[i];
            p[-1 - i] = bu * g_cs[i] - bd * g_ca[i];
            p[i] = bd * g_cs[i] + bu * g_ca[i];
        }
    }
}

// 9-point DCT-II, out[m] = sum a[n] cos((2n+1) m pi / 18), from the
// symmetric and antisymmetric halves of its input.
void Dct9(const MpegLanes* a, MpegLanes* out)
{
    MpegLanes sum[4];
    MpegLanes difference[4];
    for (int n = 0; n < 4; ++n)
    {
        sum[n] = a[n] + a[8 - n];
        difference[n] = a[n] - a[8 - n];
    }
    for (int m = 0; m < 9; m += 2)
    {
        MpegLanes value = (m & 2) ? MpegLanes{} - a[4] : a[4];
        for (int n = 0; n < 4; ++n)
            value = value + sum[n] * g_cos9[m][n];
        out[m] = value;
    }
    for (int m = 1; m < 9; m += 2)
    {
        MpegLanes value = difference[0] * g_cos9[m][0];
        for (int n = 1; n < 4; ++n)
            value = value + difference[n] * g_cos9[m][n];
        out[m] = value;
    }
}

// Long-block IMDCT of `count` (1 to 4) subbands from `first` on, windowed,
// into z. The 36 outputs come from the 18 middle ones: x[i] = -y[8 - i] for
// i < 9, x[9 + j] = y[j], x[27 + m] = y[17 - m]. y[j] = sum in[k]
// cos((2j + 37)(2k + 1) pi / 72) is, up to signs, an 18-point DCT-IV of the
// reversed input, done as a DCT-II of the input scaled by
// 1 / (2 cos((2n+1) pi / 72)) whose neighbouring outputs are summed; the
// DCT-II splits into two 9-point ones.
void Imdct36(const float* xr, int first, int count, const float* window, float (*z)[36])
{
    MpegLanes v[18];
    for (int l = 0; l < MpegLanes::kCount; ++l)
    {
        // Spare lanes repeat the last subband; their results are unused.
        const float* in = xr + 18 * (first + (l < count ? l : count - 1));
        for (int n = 0; n < 18; ++n)
            v[n].v[l] = in[17 - n];
    }
    MpegLanes a[9];
    MpegLanes b[9];
    for (int n = 0; n < 9; ++n)
    {
        const MpegLanes lo = v[n] * g_imdctPre36[n];
        const MpegLanes hi = v[17 - n] * g_imdctPre36[17 - n];
        a[n] = lo + hi;
        b[n] = (lo - hi) * g_imdctPre18[n];
    }
    MpegLanes evens[9];
    MpegLanes odds[9];
    Dct9(a, evens);
    Dct9(b, odds);
    MpegLanes dct[19];
    for (int m = 0; m < 8; ++m)
    {
        dct[2 * m] = evens[m];
        dct[2 * m + 1] = odds[m] + odds[m + 1];
    }
    dct[16] = evens[8];
    dct[17] = odds[8];
    dct[18] = MpegLanes{};
    // The DCT-IV's alternating output signs go into the window factors.
    MpegLanes y[18];
    for (int j = 0; j < 18; ++j)
        y[j] = dct[j] + dct[j + 1];
    MpegLanes out[36];
    for (int i = 0; i < 9; ++i)
        out[i] = y[8 - i] * ((8 - i) & 1 ? window[i] : -window[i]);
    for (int j = 0; j < 18; ++j)
        out[9 + j] = y[j] * (j & 1 ? -window[9 + j] : window[9 + j]);
    for (int m = 0; m < 9; ++m)
        out[27 + m] = y[17 - m] * ((17 - m) & 1 ? -window[27 + m] : window[27 + m]);
    for (int l = 0; l < count; ++l)
        for (int i = 0; i < 36; ++i)
            z[first + l][i] = out[i].v[l];
}

void Imdct12x3(const float* in, float* out)
{
    for (int i = 0; i < 36; ++i)
        out[i] = 0.0f;
    for (int w = 0; w < 3; ++w)
    {
        for (int i = 0; i < 12; ++i)
        {
            float sum = 0.0f;
            for (int k = 0; k < 6; ++k)
                sum += in[3 * k + w] * g_cos12[k][i];
            out[6 + 6 * w + i] += sum * g_imdctWindow[2][i];
        }
    }
}

// Hybrid filter bank of one channel's granule into 18 x 32 subband samples,
// steps `base` to `base` + 17 of the synthesis input.
void Hybrid(AUSND_MPEG* mp, int ch, const Granule& gi, MpegSynthInput& input, int base, int nonzero)
{
    const float* xr = mp->spectrum[ch];
    const int active = (nonzero + 17) / 18;
    // Long blocks come first (all of them, or the two of a mixed block).
    const int longEnd = gi.blockType != 2 ? active : gi.mixedBlock ? std::min(2, active) : 0;
    const float* longWindow = g_imdctWindow[gi.blockType != 2 ? gi.blockType : 0];
    float z[32][36];
    for (int first = 0; first < longEnd; first += MpegLanes::kCount)
        Imdct36(xr, first, std::min(MpegLanes::kCount, longEnd - first), longWindow, z);
    for (int sb = longEnd; sb < active; ++sb)
        Imdct12x3(xr + 18 * sb, z[sb]);
    float subbands[18][32];
    for (int sb = 0; sb < 32; ++sb)
    {
        float* prev = mp->overlap[ch][sb];
        if (sb >= active)
        {
            for (int i = 0; i < 18; ++i)
            {
                const float v = prev[i];
                subbands[i][sb] = (sb & 1) && (i & 1) ? -v : v;
                prev[i] = 0.0f;
            }
            continue;
        }
        for (int i = 0; i < 18; ++i)
        {
            subbands[i][sb] = z[sb][i] + prev[i];
            prev[i] = z[sb][18 + i];
        }
        // Odd subbands have every other sample negated (frequency inversion).
        if (sb & 1)
            for (int i = 1; i < 18; i += 2)
                subbands[i][sb] = -subbands[i][sb];
    }
    for (int i = 0; i < 18; ++i)
    {
        const int slot = base + i;
        MpegLanes* row = input[slot >> 2];
        for (int sb = 0; sb < 32; ++sb)
            row[sb].v[slot & 3] = subbands[i][sb];
    }
}
} // namespace

void AUSND_Mpeg_Init_Layer3(int /*sblimit*/)
{
    for (int i = 0; i < kPowCount; ++i)
        g_pow43[i] = static_cast<float>(std::pow(static_cast<double>(i), 4.0 / 3.0));
    for (int i = 0; i < 378; ++i)
        g_gain[i] = static_cast<float>(std::pow(2.0, -0.25 * (i - 46)));
    static const double kCi[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
    for (int i = 0; i < 8; ++i)
    {
        const double root = std::sqrt(1.0 + kCi[i] * kCi[i]);
        g_cs[i] = static_cast<float>(1.0 / root);
        g_ca[i] = static_cast<float>(kCi[i] / root);
    }
    for (int i = 0; i < 36; ++i)
    {
        const double s36 = std::sin(M_PI / 36.0 * (i + 0.5));
        g_imdctWindow[0][i] = static_cast<float>(s36);
        double start;
        if (i < 18)
            start = s36;
        else if (i < 24)
            start = 1.0;
        else if (i < 30)
            start = std::sin(M_PI / 12.0 * (i - 18 + 0.5));
        else
            start = 0.0;
        g_imdctWindow[1][i] = static_cast<float>(start);
        double stop;
        if (i < 6)
            stop = 0.0;
        else if (i < 12)
            stop = std::sin(M_PI / 12.0 * (i - 6 + 0.5));
        else if (i < 18)
            stop = 1.0;
        else
            stop = s36;
        g_imdctWindow[3][i] = static_cast<float>(stop);
        g_imdctWindow[2][i] = i < 12 ? static_cast<float>(std::sin(M_PI / 12.0 * (i + 0.5))) : 0.0f;
    }
    for (int n = 0; n < 18; ++n)
        g_imdctPre36[n] = static_cast<float>((n & 1 ? -1.0 : 1.0) / (2.0 * std::cos((2 * n + 1) * M_PI / 72.0)));
    for (int n = 0; n < 9; ++n)
        g_imdctPre18[n] = static_cast<float>(1.0 / (2.0 * std::cos((2 * n + 1) * M_PI / 36.0)));
    for (int m = 0; m < 9; ++m)
        for (int n = 0; n < 4; ++n)
            g_cos9[m][n] = static_cast<float>(std::cos((2 * n + 1) * m * M_PI / 18.0));
    for (int k = 0; k < 6; ++k)
        for (int i = 0; i < 12; ++i)
            g_cos12[k][i] = static_cast<float>(std::cos(M_PI / 24.0 * (2 * i + 1 + 6) * (2 * k + 1)));
    for (int p = 0; p < 7; ++p)
    {
        if (p == 6)
        {
            g_isRatio[p][0] = 1.0f;
            g_isRatio[p][1] = 0.0f;
            continue;
        }
        const double ratio = std::tan(p * M_PI / 12.0);
        g_isRatio[p][0] = static_cast<float>(ratio / (1.0 + ratio));
        g_isRatio[p][1] = static_cast<float>(1.0 / (1.0 + ratio));
    }
    for (int k = 0; k < 32; ++k)
    {
        g_lsfIs[0][k] = static_cast<float>(std::pow(2.0, -0.25 * k));
        g_lsfIs[1][k] = static_cast<float>(std::pow(2.0, -0.5 * k));
    }
    AUSND_Mpeg_InitHuffman();
}

bool AUSND_Mpeg_Decode_Layer3(AUSND_MPEG* mp, const MpegHeader* header, int16_t* pcmOut, uint32_t* pcmBytesOut)
{
    const MpegHeader& h = *header;
    *pcmBytesOut = 0;
    const int channels = h.channels;
    const int granules = h.lsf ? 1 : 2;
    const int sideBytes = h.lsf ? (channels == 1 ? 9 : 17) : (channels == 1 ? 17 : 32);
    const int crcBytes = h.protection ? 2 : 0;
    const uint8_t* body = mp->frameBuffer[mp->bufferIndex] + kMpegReservoirBytes;
    const int bodyBytes = mp->frameSize;
    if (bodyBytes < crcBytes + sideBytes)
        return false;
    MpegBitReader side;
    side.Start(body + crcBytes, static_cast<uint32_t>(sideBytes));
    SideInfo si;
    std::memset(&si, 0, sizeof(si));
    if (!ReadSideInfo(side, h, si))
        return false;

    // The reservoir: main data of earlier frames, then this frame's.
    const int frameMain = bodyBytes - crcBytes - sideBytes;
    const int keep = mp->mainDataLength;
    std::memcpy(mp->mainData + keep, body + crcBytes + sideBytes, static_cast<size_t>(frameMain));
    const int total = keep + frameMain;
    const bool haveReservoir = si.mainDataBegin <= keep;
    const int begin = haveReservoir ? keep - si.mainDataBegin : keep;
    // Keep the newest main data for the next frame (it may reach back 511 bytes).
    const int tail = total < 511 ? total : 511;

    int bitsNeeded = 0;
    for (int g = 0; g < granules; ++g)
        for (int ch = 0; ch < channels; ++ch)
            bitsNeeded += si.gr[g][ch].part23Length;
    const uint32_t available = static_cast<uint32_t>(total - begin) * 8u;
    const bool fits = static_cast<uint32_t>(bitsNeeded) <= available;

    const uint32_t frameOutBytes = static_cast<uint32_t>(granules * channels * 1152);
    if (!haveReservoir)
    {
        // Main data from before a seek or a gap is missing: output silence
        // for the frame rather than noise, and keep the filter state running.
        if (pcmOut)
            std::memset(pcmOut, 0, frameOutBytes);
        std::memmove(mp->mainData, mp->mainData + total - tail, static_cast<size_t>(tail));
        mp->mainDataLength = tail;
        *pcmBytesOut = frameOutBytes;
        return true;
    }
    if (!fits)
    {
        // The granules claim more bits than the frame and its reservoir hold.
        std::memmove(mp->mainData, mp->mainData + total - tail, static_cast<size_t>(tail));
        mp->mainDataLength = tail;
        return false;
    }

    // A local reader: its position stays in a register instead of going through memory.
    MpegBitReader bits;
    bits.Start(mp->mainData + begin, static_cast<uint32_t>(total - begin));
    ScaleFactors sf[2][2];
    std::memset(sf, 0, sizeof(sf));
    const BandTable& bands = kBands[h.rateIndex];
    bool ok = true;
    // Both granules' subband samples, synthesised together.
    MpegSynthInput subbands[2];
    int decoded = 0;
    for (int g = 0; g < granules && ok; ++g)
    {
        int nonzero[2] = {0, 0};
        int isMax[40] = {};
        int intensityScale = 0;
        for (int ch = 0; ch < channels; ++ch)
        {
            const Granule& gi = si.gr[g][ch];
            const uint32_t startBit = bits.position;
            const uint32_t endBit = startBit + static_cast<uint32_t>(gi.part23Length);
            ScaleFactors& s = sf[g][ch];
            if (g == 1)
                s = sf[0][ch];
            int part2;
            if (h.lsf)
                part2 = ReadScaleFactors2(bits, s, gi, ch == 1 && (h.modeExtension & 1) && h.mode == 1,
                                          &intensityScale, isMax);
            else
                part2 = ReadScaleFactors1(bits, s, gi, si.scfsi[ch], g);
            (void)part2;
            const bool clean = DecodeSpectrum(bits, gi, s, bands, endBit, h.lsf, mp->spectrum[ch], &nonzero[ch]);
            if (!clean && ch == 0)
                ok = false;
            bits.position = endBit;
        }
        if (!ok)
            break;
        if (channels == 2 && h.mode == 1)
        {
            ProcessStereo(mp, h, si.gr[g][1], sf[g][1], isMax, intensityScale);
            nonzero[0] = Extent(mp->spectrum[0]);
            nonzero[1] = Extent(mp->spectrum[1]);
        }
        for (int ch = 0; ch < channels; ++ch)
        {
            const Granule& gi = si.gr[g][ch];
            float* xr = mp->spectrum[ch];
            if (gi.blockType == 2)
            {
                Reorder(xr, bands, gi.mixedBlock != 0);
                if (gi.mixedBlock)
                    AliasReduce(xr, 2);
                nonzero[ch] = 576;
            }
            else
            {
                // Butterflies past the last nonzero subband and its neighbour only see zeros.
                const int active = (nonzero[ch] + 17) / 18;
                AliasReduce(xr, active < 32 ? active + 1 : 32);
                nonzero[ch] = nonzero[ch] ? nonzero[ch] + 8 : 0;
                if (nonzero[ch] > 576)
                    nonzero[ch] = 576;
            }
            Hybrid(mp, ch, gi, subbands[ch], 18 * g, nonzero[ch]);
        }
        ++decoded;
    }
    // A single granule leaves half of its last group of steps unwritten.
    const int slots = 18 * decoded;
    if (slots & 3)
        for (int ch = 0; ch < channels; ++ch)
            for (int sb = 0; sb < 32; ++sb)
                for (int l = slots & 3; l < MpegLanes::kCount; ++l)
                    subbands[ch][slots >> 2][sb].v[l] = 0.0f;
    AUSND_Mpeg_Synth(mp, pcmOut, subbands, slots, channels);
    std::memmove(mp->mainData, mp->mainData + total - tail, static_cast<size_t>(tail));
    mp->mainDataLength = tail;
    *pcmBytesOut = frameOutBytes;
    return true;
}
