// Layer II decoding: bit allocation, scale-factor selection, scale factors,
// grouped and plain requantisation, joint-stereo bound, then synthesis.
#include "aulos/format_mpeg_internal.h"

#include <cmath>
#include <cstring>

namespace
{
struct QuantClass
{
    int levels;
    int bits;    // per sample, or per group of three
    bool grouped;
};

const QuantClass kClasses[17] = {{3, 5, true},    {5, 7, true},    {7, 3, false},    {9, 10, true},
                                 {15, 4, false},  {31, 5, false},  {63, 6, false},   {127, 7, false},
                                 {255, 8, false}, {511, 9, false}, {1023, 10, false}, {2047, 11, false},
                                 {4095, 12, false}, {8191, 13, false}, {16383, 14, false}, {32767, 15, false},
                                 {65535, 16, false}};

// One allocation row: the field width and the class for each allocation code
// (-1 = no samples).
struct AllocRow
{
    int bits;
    int8_t cls[16];
};

const AllocRow kRowA = {4, {-1, 0, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
const AllocRow kRowB = {4, {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16}};
const AllocRow kRowC = {3, {-1, 0, 1, 2, 3, 4, 5, 16}};
const AllocRow kRowD = {2, {-1, 0, 1, 16}};
const AllocRow kRowE = {4, {-1, 0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}};
const AllocRow kRowF = {3, {-1, 0, 1, 3, 4, 5, 6, 7}};
const AllocRow kRowG = {4, {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}};
const AllocRow kRowI = {2, {-1, 0, 1, 3}};

const AllocRow* RowFor(int table, int sb)
{
    switch (table)
    {
    case 0:
    case 1:
        return sb < 3 ? &kRowA : sb < 11 ? &kRowB : sb < 23 ? &kRowC : &kRowD;
    case 2:
    case 3:
        return sb < 2 ? &kRowE : &kRowF;
    default:
        return sb < 4 ? &kRowG : sb < 11 ? &kRowF : &kRowI;
    }
}

const int kLimits[5] = {27, 30, 8, 12, 30};

float g_scale[64]; // 2^(1 - i/3); index 63 silences
float g_inverse[17]; // 1 / levels per class: a division would stall each sample
// Grouped codes split into their three level indices.
uint8_t g_group3[32][3];
uint8_t g_group5[128][3];
uint16_t g_group9[1024][3];
} // namespace

void AUSND_Mpeg_Init_Layer2()
{
    for (int i = 0; i < 63; ++i)
        g_scale[i] = static_cast<float>(std::pow(2.0, 1.0 - i / 3.0));
    g_scale[63] = 0.0f;
    for (int c = 0; c < 17; ++c)
        g_inverse[c] = 1.0f / static_cast<float>(kClasses[c].levels);
    for (int c = 0; c < 27; ++c)
        for (int k = 0, v = c; k < 3; ++k, v /= 3)
            g_group3[c][k] = static_cast<uint8_t>(v % 3);
    for (int c = 0; c < 125; ++c)
        for (int k = 0, v = c; k < 3; ++k, v /= 5)
            g_group5[c][k] = static_cast<uint8_t>(v % 5);
    for (int c = 0; c < 729; ++c)
        for (int k = 0, v = c; k < 3; ++k, v /= 9)
            g_group9[c][k] = static_cast<uint16_t>(v % 9);
}

void AUSND_Mpeg_Get_II_Stuff(MpegHeader* h)
{
    static const int kBitrates[2][16] = {
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};
    int table;
    if (h->lsf)
        table = 4;
    else
    {
        const int perChannel = kBitrates[0][h->bitrateIndex] / h->channels;
        const int rate = h->rateIndex; // 0: 44.1, 1: 48, 2: 32 kHz
        if (perChannel <= 48)
            table = rate == 2 ? 3 : 2;
        else if (rate == 1 || perChannel <= 80)
            table = 0;
        else
            table = 1;
    }
    h->allocTable = table;
    h->sblimit = kLimits[table];
    h->jsbound = h->mode == 1 ? 4 * (h->modeExtension + 1) : h->sblimit;
    if (h->jsbound > h->sblimit)
        h->jsbound = h->sblimit;
}

bool AUSND_Mpeg_Decode_Layer2(AUSND_MPEG* mp, const MpegHeader* header, int16_t* pcmOut, uint32_t* pcmBytesOut)
{
    const MpegHeader& h = *header;
    const int channels = h.channels;
    const int sblimit = h.sblimit;
    const int bound = h.jsbound;
    MpegBitReader bits = mp->bits; // a local copy keeps its position in a register

    int8_t cls[2][32];
    std::memset(cls, -1, sizeof(cls));
    for (int sb = 0; sb < sblimit; ++sb)
    {
        const AllocRow* row = RowFor(h.allocTable, sb);
        if (sb < bound)
        {
            for (int ch = 0; ch < channels; ++ch)
                cls[ch][sb] = row->cls[bits.Read(row->bits)];
        }
        else
        {
            const int8_t c = row->cls[bits.Read(row->bits)];
            cls[0][sb] = c;
            cls[1][sb] = c;
        }
    }
    int scfsi[2][32] = {};
    for (int sb = 0; sb < sblimit; ++sb)
        for (int ch = 0; ch < channels; ++ch)
            if (cls[ch][sb] >= 0)
                scfsi[ch][sb] = static_cast<int>(bits.Read(2));
    int scf[2][32][3] = {};
    for (int sb = 0; sb < sblimit; ++sb)
        for (int ch = 0; ch < channels; ++ch)
        {
            if (cls[ch][sb] < 0)
                continue;
            int* s = scf[ch][sb];
            switch (scfsi[ch][sb])
            {
            case 0:
                s[0] = static_cast<int>(bits.Read(6));
                s[1] = static_cast<int>(bits.Read(6));
                s[2] = static_cast<int>(bits.Read(6));
                break;
            case 1:
                s[0] = s[1] = static_cast<int>(bits.Read(6));
                s[2] = static_cast<int>(bits.Read(6));
                break;
            case 2:
                s[0] = s[1] = s[2] = static_cast<int>(bits.Read(6));
                break;
            default:
                s[0] = static_cast<int>(bits.Read(6));
                s[1] = s[2] = static_cast<int>(bits.Read(6));
                break;
            }
        }

    // Subbands without allocation stay silent for the whole frame; the others
    // are written by every granule.
    MpegSynthInput fraction[2];
    for (int ch = 0; ch < channels; ++ch)
        for (int sb = 0; sb < 32; ++sb)
            if (sb >= sblimit || cls[ch][sb] < 0)
                for (int group = 0; group < 9; ++group)
                    fraction[ch][group][sb] = MpegLanes{};
    for (int gr = 0; gr < 12; ++gr)
    {
        const int part = gr >> 2;
        for (int sb = 0; sb < sblimit; ++sb)
        {
            const int readChannels = sb < bound ? channels : 1;
            for (int ch = 0; ch < readChannels; ++ch)
            {
                const int c = cls[ch][sb];
                if (c < 0)
                    continue;
                const QuantClass& q = kClasses[c];
                int v[3];
                // One window holds all three samples (at most 48 bits).
                const uint64_t window = bits.Window();
                if (q.grouped)
                {
                    const uint32_t code = MpegBitReader::Field(window, 0, q.bits);
                    bits.Skip(static_cast<uint32_t>(q.bits));
                    if (q.levels == 3)
                        for (int k = 0; k < 3; ++k)
                            v[k] = g_group3[code & 31][k];
                    else if (q.levels == 5)
                        for (int k = 0; k < 3; ++k)
                            v[k] = g_group5[code & 127][k];
                    else
                        for (int k = 0; k < 3; ++k)
                            v[k] = g_group9[code & 1023][k];
                }
                else
                {
                    for (int k = 0; k < 3; ++k)
                        v[k] = static_cast<int>(MpegBitReader::Field(window, static_cast<uint32_t>(k * q.bits), q.bits));
                    bits.Skip(static_cast<uint32_t>(3 * q.bits));
                }
                const float inv = g_inverse[c];
                const int targets = sb < bound ? 1 : channels;
                for (int t = 0; t < targets; ++t)
                {
                    const int dst = sb < bound ? ch : t;
                    const float step = inv * g_scale[scf[dst][sb][part]];
                    for (int k = 0; k < 3; ++k)
                    {
                        const int slot = 3 * gr + k;
                        fraction[dst][slot >> 2][sb].v[slot & 3] =
                            static_cast<float>(2 * v[k] - q.levels + 1) * step;
                    }
                }
            }
        }
    }
    mp->bits = bits;
    AUSND_Mpeg_Synth(mp, pcmOut, fraction, 36, channels);
    *pcmBytesOut = static_cast<uint32_t>(2304 * channels);
    return true;
}
