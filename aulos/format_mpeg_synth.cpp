// The polyphase synthesis filter bank shared by layers II and III: a 32-point
// DCT into a ring of 16 blocks, then the 512-tap window.
#include "aulos/format_mpeg_internal.h"

#include <cmath>

namespace
{
// The synthesis window's first 257 coefficients in units of 2^-16; the rest
// mirror them.
const int32_t kWindowBase[257] = {
    0,      -1,     -1,     -1,     -1,     -1,     -1,     -2,     -2,     -2,     -2,     -3,     -3,
    -4,     -4,     -5,     -5,     -6,     -7,     -7,     -8,     -9,     -10,    -11,    -13,    -14,
    -16,    -17,    -19,    -21,    -24,    -26,    -29,    -31,    -35,    -38,    -41,    -45,    -49,
    -53,    -58,    -63,    -68,    -73,    -79,    -85,    -91,    -97,    -104,   -111,   -117,   -125,
    -132,   -139,   -147,   -154,   -161,   -169,   -176,   -183,   -190,   -196,   -202,   -208,   -213,
    -218,   -222,   -225,   -227,   -228,   -228,   -227,   -224,   -221,   -215,   -208,   -200,   -189,
    -177,   -163,   -146,   -127,   -106,   -83,    -57,    -29,    2,      36,     72,     111,    153,
    197,    244,    294,    347,    401,    459,    519,    581,    645,    711,    779,    848,    919,
    991,    1064,   1137,   1210,   1283,   1356,   1428,   1498,   1567,   1634,   1698,   1759,   1817,
    1870,   1919,   1962,   2001,   2032,   2057,   2075,   2085,   2087,   2080,   2063,   2037,   2000,
    1952,   1893,   1822,   1739,   1644,   1535,   1414,   1280,   1131,   970,    794,    605,    402,
    185,    -45,    -288,   -545,   -814,   -1095,  -1388,  -1692,  -2006,  -2330,  -2663,  -3004,  -3351,
    -3705,  -4063,  -4425,  -4788,  -5153,  -5517,  -5879,  -6237,  -6589,  -6935,  -7271,  -7597,  -7910,
    -8209,  -8491,  -8755,  -8998,  -9219,  -9416,  -9585,  -9727,  -9838,  -9916,  -9959,  -9966,  -9935,
    -9863,  -9750,  -9592,  -9389,  -9139,  -8840,  -8492,  -8092,  -7640,  -7134,  -6574,  -5959,  -5288,
    -4561,  -3776,  -2935,  -2037,  -1082,  -70,    998,    2122,   3300,   4533,   5818,   7154,   8540,
    9975,   11455,  12980,  14548,  16155,  17799,  19478,  21189,  22929,  24694,  26482,  28289,  30112,
    31947,  33791,  35640,  37489,  39336,  41176,  43006,  44821,  46617,  48390,  50137,  51853,  53534,
    55178,  56778,  58333,  59838,  61289,  62684,  64019,  65290,  66494,  67629,  68692,  69679,  70590,
    71420,  72169,  72835,  73415,  73908,  74313,  74630,  74856,  74992,  75038};

// D[i] of the standard, times the output scale.
alignas(16) float g_window[512];

// Unnormalised 32-point DCT-II, out[m] = sum in[k] cos(pi m (2k+1) / 64), by
// recursive halving done level by level, on four transforms at once: every
// value is a group of four lanes, so each step is one vector operation.
constexpr int kLanes = MpegLanes::kCount;
using Lanes = MpegLanes;

float g_factor32[16]; // 1 / (2 cos((2k+1) pi / 2N)) for N = 32
float g_factor16[8];
float g_factor8[4];
float g_factor4[2];
float g_factor2;

void InitFactors(float* factor, int n)
{
    for (int k = 0; k < n / 2; ++k)
        factor[k] = static_cast<float>(1.0 / (2.0 * std::cos((2 * k + 1) * M_PI / (2.0 * n))));
}

// Splits each block of size N into its sum half and its scaled difference half.
template <int N> void Split(const Lanes* __restrict in, Lanes* __restrict out, const float* factor)
{
    for (int block = 0; block < 32; block += N)
        for (int k = 0; k < N / 2; ++k)
        {
            const Lanes& lo = in[block + k];
            const Lanes& hi = in[block + N - 1 - k];
            out[block + k] = lo + hi;
            out[block + N / 2 + k] = (lo - hi) * factor[k];
        }
}

// Joins the two half transforms of each block of size N: even outputs from the
// first half, odd ones from neighbouring sums of the second.
template <int N> void Join(const Lanes* __restrict in, Lanes* __restrict out)
{
    for (int block = 0; block < 32; block += N)
    {
        const Lanes* even = in + block;
        const Lanes* odd = in + block + N / 2;
        Lanes* y = out + block;
        for (int m = 0; m < N / 2 - 1; ++m)
        {
            y[2 * m] = even[m];
            y[2 * m + 1] = odd[m] + odd[m + 1];
        }
        y[N - 2] = even[N / 2 - 1];
        y[N - 1] = odd[N / 2 - 1];
    }
}

void Dct32(const Lanes* __restrict in, Lanes* __restrict out)
{
    Lanes a[32];
    Lanes b[32];
    Split<32>(in, a, g_factor32);
    Split<16>(a, b, g_factor16);
    Split<8>(b, a, g_factor8);
    Split<4>(a, b, g_factor4);
    Split<2>(b, a, &g_factor2);
    Join<4>(a, b);
    Join<8>(b, a);
    Join<16>(a, b);
    Join<32>(b, out);
}

// The 64 matrixed values V[i] = sum S[k] cos((16 + i)(2k + 1) pi / 64) from
// one transform x.
void Matrix(const float* x, float* v)
{
    for (int i = 0; i < 16; ++i)
        v[i] = x[16 + i];
    v[16] = 0.0f;
    for (int i = 17; i < 48; ++i)
        v[i] = -x[48 - i];
    v[48] = -x[0];
    for (int i = 49; i < 64; ++i)
        v[i] = -x[i - 48];
}

// Clipped to 16 bits and truncated toward zero; a NaN from corrupt data
// becomes -32768 rather than an undefined conversion.
int32_t Clip(float sum)
{
    const float low = sum >= -32768.0f ? sum : -32768.0f;
    return static_cast<int32_t>(low > 32767.0f ? 32767.0f : low);
}

// The 512-tap window over the ring of blocks, newest at `ring`, to 32 clipped
// samples.
void Window(const float (*blocks)[64], int ring, int32_t* pcm)
{
    const float* even[8];
    const float* odd[8];
    for (int i = 0; i < 8; ++i)
    {
        even[i] = blocks[(ring + 2 * i) & 15];
        odd[i] = blocks[(ring + 2 * i + 1) & 15] + 32;
    }
    // The block loop runs inside so that each output's sum stays in a
    // register; the output loop is the vectorised one.
    alignas(16) float out[32];
    for (int j = 0; j < 32; ++j)
    {
        float sum = 0.0f;
        for (int i = 0; i < 8; ++i)
            sum += even[i][j] * g_window[64 * i + j] + odd[i][j] * g_window[64 * i + 32 + j];
        out[j] = sum;
    }
    for (int j = 0; j < 32; ++j)
        pcm[j] = Clip(out[j]);
}

// Transforms four successive steps of one channel into `out`, one row per step.
void Transform(const Lanes* in, float (*out)[32])
{
    Lanes x[32];
    Dct32(in, x);
    for (int k = 0; k < 32; ++k)
        for (int l = 0; l < kLanes; ++l)
            out[l][k] = x[k].v[l];
}

// Interleaves one step's samples of all channels.
void Interleave(const int32_t (*pcm)[32], int channels, int16_t* dst)
{
    if (channels == 1)
    {
        for (int j = 0; j < 32; ++j)
            dst[j] = static_cast<int16_t>(pcm[0][j]);
        return;
    }
    for (int j = 0; j < 32; ++j)
    {
        dst[2 * j] = static_cast<int16_t>(pcm[0][j]);
        dst[2 * j + 1] = static_cast<int16_t>(pcm[1][j]);
    }
}
} // namespace

void AUSND_Mpeg_MakeTables(float scale)
{
    InitFactors(g_factor32, 32);
    InitFactors(g_factor16, 16);
    InitFactors(g_factor8, 8);
    InitFactors(g_factor4, 4);
    InitFactors(&g_factor2, 2);
    for (int i = 0; i <= 256; ++i)
    {
        const float sign = ((i >> 6) & 1) ? -1.0f : 1.0f;
        const float value = static_cast<float>(kWindowBase[i]) / 65536.0f * scale * sign;
        g_window[i] = value;
        if (i > 0 && i < 256)
        {
            const float mirrorSign = (((512 - i) >> 6) & 1) ? -1.0f : 1.0f;
            g_window[512 - i] = static_cast<float>(kWindowBase[i]) / 65536.0f * scale * mirrorSign;
        }
    }
}

int16_t AUSND_Mpeg_ToPCM(float sum)
{
    return static_cast<int16_t>(Clip(sum));
}

void AUSND_Mpeg_Synth(AUSND_MPEG* mp, int16_t* pcmOut, const MpegSynthInput* bands, int slots, int channels)
{
    if (!pcmOut || slots <= 0)
        return;
    for (int first = 0; first < slots; first += kLanes)
    {
        const int count = slots - first < kLanes ? slots - first : kLanes;
        alignas(16) float transforms[2][kLanes][32];
        for (int ch = 0; ch < channels; ++ch)
            Transform(bands[ch][first / kLanes], transforms[ch]);
        // Each step's window must run before the next step's block overwrites
        // the oldest one in the ring.
        for (int l = 0; l < count; ++l)
        {
            const int ring = (mp->ringIndex + 15) & 15;
            mp->ringIndex = ring;
            alignas(16) int32_t pcm[2][32];
            for (int ch = 0; ch < channels; ++ch)
            {
                float(*blocks)[64] = mp->synthBuffer[ch];
                Matrix(transforms[ch][l], blocks[ring]);
                Window(blocks, ring, pcm[ch]);
            }
            Interleave(pcm, channels, pcmOut + (first + l) * 32 * channels);
        }
    }
}
