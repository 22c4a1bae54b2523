// The SDL output: the machine's audio device pulls signed 16-bit frames at the
// mix rate, and its callback mixes one block of the primary mix buffer per call.
#include "aulos/ausnd_device.h"

#include <SDL.h>

#include <cstring>

namespace
{
SDL_AudioDeviceID g_nDevice = 0;
bool g_bSubsystem = false;
// Only the device's callback thread touches these while the device runs.
const uint8_t* g_pPending = nullptr;
uint32_t g_nPendingBytes = 0;

void SDLCALL Callback(void* /*userdata*/, Uint8* stream, int len)
{
    AUSND_Device* dev = AUSND_CurrentDevice;
    uint8_t* out = stream;
    uint32_t remaining = len > 0 ? static_cast<uint32_t>(len) : 0;
    while (remaining > 0)
    {
        if (g_nPendingBytes == 0)
        {
            const int16_t* block = AUSND_Output_MixNextBlock();
            if (!block)
            {
                std::memset(out, 0, remaining);
                return;
            }
            g_pPending = reinterpret_cast<const uint8_t*>(block);
            g_nPendingBytes = static_cast<uint32_t>(dev->blocklength) * dev->mixer->channels * 2;
        }
        const uint32_t n = remaining < g_nPendingBytes ? remaining : g_nPendingBytes;
        std::memcpy(out, g_pPending, n);
        out += n;
        remaining -= n;
        g_pPending += n;
        g_nPendingBytes -= n;
    }
}

bool SampleAlloc(AUSND_SAMPLE* sample)
{
    if (!AUSND_Output_BufferAlloc(sample))
        return false;
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = sample->deffreq;
    want.format = AUDIO_S16SYS;
    want.channels = (sample->mode & AUSND_STEREO) ? 2 : 1;
    want.samples = static_cast<Uint16>(AUSND_CurrentDevice->blocklength);
    want.callback = Callback;
    SDL_AudioSpec have;
    g_pPending = nullptr;
    g_nPendingBytes = 0;
    // No changes allowed: SDL converts for the hardware, and every callback asks for exactly one block.
    g_nDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (g_nDevice == 0)
    {
        AUSND_Memory_Free(sample->data);
        sample->data = nullptr;
        AUSND_ErrorNo = AUSND_ERR_INIT;
        return false;
    }
    return true;
}

void SampleFree(AUSND_SAMPLE* sample)
{
    if (g_nDevice)
    {
        // Closing waits for the device's thread: no callback runs after this.
        SDL_CloseAudioDevice(g_nDevice);
        g_nDevice = 0;
    }
    AUSND_Memory_Free(sample->data);
    sample->data = nullptr;
}

void SetSampleFunctions(AUSND_SAMPLE* sample)
{
    AUSND_Output_SetBufferSampleFunctions(sample);
    sample->AllocData = SampleAlloc;
    sample->FreeData = SampleFree;
}

bool ChannelPlaySound(AUSND_DSPUNIT*, AUSND_CHANNEL*, AUSND_SAMPLE*)
{
    if (!g_nDevice)
        return false;
    SDL_PauseAudioDevice(g_nDevice, 0);
    return true;
}

bool ChannelStopSound(AUSND_CHANNEL*)
{
    // Pausing takes the device's lock: once it returns, the callback is not running.
    if (g_nDevice)
        SDL_PauseAudioDevice(g_nDevice, 1);
    return true;
}

void SetChannelFunctions(AUSND_CHANNEL* ch)
{
    AUSND_Output_NoSound_SetChannelFunctions(ch);
    ch->ops.PlaySound = ChannelPlaySound;
    ch->ops.StopSound = ChannelStopSound;
}

bool EnumerateDrivers()
{
    return AUSND_Output_SetSingleDriver("SDL output driver");
}

bool Initialize(int /*mixrate*/)
{
    AUSND_Device* dev = AUSND_CurrentDevice;
    EnumerateDrivers();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        AUSND_ErrorNo = AUSND_ERR_INIT;
        return false;
    }
    g_bSubsystem = true;
    dev->hw3dchannels = 0;
    dev->hw2dchannels = 0;
    AUSND_Output_SDL.hw3dsupport = 0;
    AUSND_Output_SDL.hw2dsupport = 0;
    return true;
}

void Close()
{
    if (g_bSubsystem)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    g_bSubsystem = false;
}

void* GetHandle()
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(g_nDevice));
}

bool Update()
{
    return true;
}

// Recording takes 16-bit samples only; no input device exists behind it.
bool RecordStart(uint32_t, uint32_t mode, int)
{
    AUSND_ErrorNo = (mode & AUSND_16BITS) ? AUSND_ERR_RECORD : AUSND_ERR_INVALID_PARAM;
    return false;
}

} // namespace

// Reverb and recording behave as without sound; the device plays only.
AUSND_OUTPUT AUSND_Output_SDL = {
    0,
    0,
    0,
    EnumerateDrivers,
    Initialize,
    Close,
    SetSampleFunctions,
    SetChannelFunctions,
    AUSND_Output_NoSound_GetCaps,
    GetHandle,
    AUSND_Output_NoSound_SetSpeakerMode,
    Update,
    AUSND_Output_NoSound_Reverb_Initialize,
    AUSND_Output_NoSound_Reverb_SetProperties,
    AUSND_Output_NoSound_Reverb_GetProperties,
    AUSND_Output_NoSound_Record_EnumerateDrivers,
    AUSND_Output_NoSound_Record_Initialize,
    RecordStart,
    AUSND_Output_NoSound_Record_Stop,
    AUSND_Output_NoSound_Record_GetCurrentPosition,
    AUSND_Output_NoSound_Record_Lock,
    AUSND_Output_NoSound_Record_Unlock,
};
