// The spectrum unit: a 1024-point transform over the most recent mixed blocks,
// giving 512 magnitudes between 0 and 1.
#include "aulos/ausnd_device.h"

#include <cmath>
#include <cstring>

namespace
{
constexpr int kPoints = 1024;
constexpr int kStages = 10;
constexpr int kBins = 512;
constexpr float kPi = 3.14159265358979323846f;

float g_Sine[kPoints];
float g_Cosine[kPoints];

struct FFTRecord
{
    float re[kPoints];
    float im[kPoints];
    float spectrum[kBins];
    float* history; // total-length ring of mono floats
    int32_t slot;
    int32_t blocklength;
    int32_t totallength;
    int32_t formatcode;
};

AUSND_Device* Dev()
{
    return AUSND_CurrentDevice;
}

int BitReverse10(int value)
{
    int result = 0;
    for (int bit = 0; bit < kStages; ++bit)
    {
        result = (result << 1) | (value & 1);
        value >>= 1;
    }
    return result;
}

// Mono float value of frame i of a mix buffer in the given layout.
float FrameValue(const void* buffer, int formatcode, int i)
{
    switch (formatcode)
    {
    case 0:
        return static_cast<float>(static_cast<const int8_t*>(buffer)[i]) * 256.0f;
    case 1:
    {
        const int8_t* s = static_cast<const int8_t*>(buffer) + 2 * i;
        return static_cast<float>(s[0] + s[1]) * 128.0f;
    }
    case 2:
        return static_cast<float>(static_cast<const int16_t*>(buffer)[i]);
    case 3:
    {
        const int16_t* s = static_cast<const int16_t*>(buffer) + 2 * i;
        return static_cast<float>((s[0] + s[1]) >> 1);
    }
    case 4:
        return static_cast<float>(static_cast<const int32_t*>(buffer)[i]);
    case 5:
    {
        const int32_t* s = static_cast<const int32_t*>(buffer) + 2 * i;
        return static_cast<float>((static_cast<int64_t>(s[0]) + s[1]) >> 1);
    }
    case 6:
        return static_cast<const float*>(buffer)[i];
    default:
    {
        const float* s = static_cast<const float*>(buffer) + 2 * i;
        return (s[0] + s[1]) * 0.5f;
    }
    }
}

// In place, natural order in, bit-reversed order out.
void Transform(float* re, float* im)
{
    for (int stage = 0; stage < kStages; ++stage)
    {
        const int span = (kPoints / 2) >> stage;
        const int groups = 1 << stage;
        for (int g = 0; g < groups; ++g)
        {
            const int t = BitReverse10(2 * g);
            const float wr = g_Cosine[t];
            const float wi = -g_Sine[t];
            const int base = g * 2 * span;
            for (int k = base; k < base + span; ++k)
            {
                const float br = re[k + span] * wr - im[k + span] * wi;
                const float bi = re[k + span] * wi + im[k + span] * wr;
                re[k + span] = re[k] - br;
                im[k + span] = im[k] - bi;
                re[k] += br;
                im[k] += bi;
            }
        }
    }
}

void* FFTCallback(void* /*block*/, void* current, int length, void* param)
{
    FFTRecord* fft = static_cast<FFTRecord*>(param);
    const int slots = fft->totallength / fft->blocklength;
    const int start = fft->slot * fft->blocklength;
    for (int i = 0; i < length && start + i < fft->totallength; ++i)
        fft->history[start + i] = FrameValue(current, fft->formatcode, i);

    const bool newest = (Dev()->initflags & AUSND_INIT_SPECTRUM_CURRENT) != 0;
    int from = (newest ? fft->slot : (fft->slot + 1) % slots) * fft->blocklength;
    for (int i = 0; i < kPoints; ++i)
    {
        fft->re[i] = fft->history[from] / static_cast<float>(kPoints);
        fft->im[i] = 0.0f;
        from = (from + 1) % fft->totallength;
    }
    Transform(fft->re, fft->im);
    for (int k = 0; k < kBins; ++k)
    {
        const int r = BitReverse10(k);
        const float magnitude = std::sqrt(fft->re[r] * fft->re[r] + fft->im[r] * fft->im[r]) / 4000.0f;
        fft->spectrum[k] = magnitude > 1.0f ? 1.0f : magnitude;
    }
    fft->slot = (fft->slot + 1) % slots;
    return current;
}
} // namespace

bool AUSND_FFT_Init(int blocklength, int totallength, int priority, int formatcode)
{
    AUSND_Device* dev = Dev();
    if (blocklength <= 0 || totallength < blocklength)
        return false;
    AUSND_FFT_Free();
    for (int k = 0; k < kPoints; ++k)
    {
        g_Sine[k] = std::sin(static_cast<float>(k) * 2.0f * kPi / kPoints);
        g_Cosine[k] = std::cos(static_cast<float>(k) * 2.0f * kPi / kPoints);
    }
    FFTRecord* fft = static_cast<FFTRecord*>(AUSND_Memory_Calloc(sizeof(FFTRecord)));
    // At least 1024 samples of history, whatever the block geometry.
    const int historylength = totallength < kPoints ? kPoints : totallength;
    float* history = static_cast<float*>(AUSND_Memory_Calloc(static_cast<unsigned int>(historylength) * 4));
    if (!fft || !history)
    {
        AUSND_Memory_Free(fft);
        AUSND_Memory_Free(history);
        return false;
    }
    fft->history = history;
    fft->blocklength = blocklength;
    fft->totallength = historylength / blocklength * blocklength;
    fft->formatcode = formatcode;
    AUSND_DSPUNIT* unit = AUSND_DSP_CreateUnit(FFTCallback, priority, fft);
    if (!unit)
    {
        AUSND_Memory_Free(history);
        AUSND_Memory_Free(fft);
        return false;
    }
    dev->fft = fft;
    dev->unitfft = unit;
    return true;
}

void AUSND_FFT_Free()
{
    AUSND_Device* dev = Dev();
    AUSND_DSP_Release(dev->unitfft);
    FFTRecord* fft = static_cast<FFTRecord*>(dev->fft);
    if (!fft)
        return;
    AUSND_Memory_Free(fft->history);
    AUSND_Memory_Free(fft);
    dev->fft = nullptr;
}

AUSND_DSPUNIT* AUSND_DSP_GetFFTUnit()
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (!dev->initialised || !dev->mixer)
    {
        AUSND_ErrorNo = AUSND_ERR_UNINITIALIZED;
        return nullptr;
    }
    if (!dev->unitfft &&
        !AUSND_FFT_Init(dev->blocklength, dev->totalmixlength, AUSND_DSP_PRIORITY_SPECTRUM, dev->mixer->formatcode))
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return nullptr;
    }
    return dev->unitfft;
}

float* AUSND_DSP_GetSpectrum()
{
    FFTRecord* fft = static_cast<FFTRecord*>(AUSND_CurrentDevice->fft);
    return fft && AUSND_CurrentDevice->unitfft ? fft->spectrum : nullptr;
}
