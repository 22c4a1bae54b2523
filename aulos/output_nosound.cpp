// The no-sound output: it discards the mix. In real time the mixer thread
// follows a clock-driven play position; in non-real-time mode every
// AUSND_Update mixes exactly one block and no thread exists. Its channel
// operations are also every channel's defaults.
#include "aulos/ausnd_device.h"
#include "aulos/system_string.h"

#include <cstring>

namespace
{
uint8_t g_ReverbProperties[120];

bool Succeed(AUSND_CHANNEL*)
{
    return true;
}

void Nothing(AUSND_CHANNEL*) {}

bool ChannelAlloc(AUSND_CHANNEL* ch, AUSND_SAMPLE* sample)
{
    ch->sample = sample;
    return true;
}

bool ChannelPlaySound(AUSND_DSPUNIT*, AUSND_CHANNEL*, AUSND_SAMPLE*)
{
    return true;
}

bool ChannelSetInt(AUSND_CHANNEL*, int)
{
    return true;
}

bool ChannelSetFloat(AUSND_CHANNEL*, float)
{
    return true;
}

bool ChannelSetLevels(AUSND_CHANNEL*, const int*)
{
    return true;
}

bool ChannelSetBool(AUSND_CHANNEL*, bool)
{
    return true;
}

bool ChannelSetPosition(AUSND_CHANNEL*, uint32_t)
{
    return true;
}

// The play position that a real device would have reached by now.
uint64_t ChannelGetPosition(AUSND_CHANNEL*)
{
    return AUSND_Time_Get() * static_cast<uint64_t>(AUSND_CurrentDevice->mixrate) / 1000;
}

bool ChannelGetLevels(AUSND_CHANNEL*, float* l, float* r)
{
    *l = 0.0f;
    *r = 0.0f;
    return true;
}

bool ChannelIsPlaying(AUSND_CHANNEL* ch)
{
    return ch->sample != nullptr;
}

bool ChannelSetMode(AUSND_CHANNEL*, uint32_t)
{
    return true;
}

bool ChannelReverb(AUSND_CHANNEL*, const void*)
{
    return true;
}

bool ChannelSetADSR(AUSND_CHANNEL*, int, int, int, int)
{
    return true;
}

bool ChannelFXSetParameters(AUSND_CHANNEL*, int, const float*, int)
{
    return true;
}

int ChannelFXEnable(AUSND_CHANNEL*, unsigned int)
{
    return -1;
}

bool SampleAlloc(AUSND_SAMPLE*)
{
    return true;
}

void SampleFree(AUSND_SAMPLE*) {}

bool SampleLock(AUSND_SAMPLE*, uint32_t, uint32_t, void** ptr1, void** ptr2, uint32_t* len1, uint32_t* len2)
{
    *ptr1 = nullptr;
    *ptr2 = nullptr;
    *len1 = 0;
    *len2 = 0;
    return true;
}

bool SampleUnlock(AUSND_SAMPLE*, void*, void*, uint32_t, uint32_t)
{
    return true;
}

bool EnumerateDrivers()
{
    return AUSND_Output_SetSingleDriver("No Sound Driver");
}

bool Initialize(int /*mixrate*/)
{
    AUSND_Device* dev = AUSND_CurrentDevice;
    EnumerateDrivers();
    dev->hw3dchannels = 0;
    dev->hw2dchannels = 0;
    AUSND_Output_NoSound.hw3dsupport = 0;
    AUSND_Output_NoSound.hw2dsupport = 0;
    AUSND_Output_NoSound.mixerthread = AUSND_Output_IsNonRealTime(dev->outputtype) ? 0 : 1;
    return true;
}

bool Update()
{
    if (AUSND_CurrentDevice->outputtype == AUSND_OUTPUT_NOSOUND_NONREALTIME)
        AUSND_Output_MixNextBlock();
    return true;
}

} // namespace

bool AUSND_Output_SetSingleDriver(const char* name)
{
    AUSND_Device* dev = AUSND_CurrentDevice;
    F_strncpy(dev->drivernames[0], name, AUSND_DRIVERNAME_LENGTH - 1);
    dev->numdrivers = 1;
    return true;
}

// Closing, capabilities, handle and speakers as every output without a
// device has them.
void AUSND_Output_NoSound_Close() {}

void AUSND_Output_NoSound_GetCaps(int, unsigned int*) {}

void* AUSND_Output_NoSound_GetHandle()
{
    return nullptr;
}

void AUSND_Output_NoSound_SetSpeakerMode(int) {}

// Reverb and recording as every output without them has them.
void AUSND_Output_NoSound_Reverb_Initialize() {}

bool AUSND_Output_NoSound_Reverb_SetProperties(const void* properties120)
{
    if (!properties120)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return false;
    }
    std::memcpy(g_ReverbProperties, properties120, sizeof(g_ReverbProperties));
    return true;
}

bool AUSND_Output_NoSound_Reverb_GetProperties(void* properties120)
{
    if (!properties120)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return false;
    }
    std::memcpy(properties120, g_ReverbProperties, sizeof(g_ReverbProperties));
    return true;
}

bool AUSND_Output_NoSound_Record_EnumerateDrivers()
{
    AUSND_Device* dev = AUSND_CurrentDevice;
    F_strncpy(dev->recorddrivernames[0], "No Sound Driver", AUSND_DRIVERNAME_LENGTH - 1);
    dev->numrecorddrivers = 1;
    return true;
}

bool AUSND_Output_NoSound_Record_Initialize(int)
{
    AUSND_ErrorNo = AUSND_ERR_RECORD;
    return false;
}

bool AUSND_Output_NoSound_Record_Stop()
{
    return true;
}

int AUSND_Output_NoSound_Record_GetCurrentPosition()
{
    return -1;
}

bool AUSND_Output_NoSound_Record_Lock(uint32_t, uint32_t, void** ptr1, void** ptr2, uint32_t* len1, uint32_t* len2)
{
    *ptr1 = nullptr;
    *ptr2 = nullptr;
    *len1 = 0;
    *len2 = 0;
    return true;
}

bool AUSND_Output_NoSound_Record_Unlock(void*, void*, uint32_t, uint32_t)
{
    return true;
}

bool AUSND_Output_NoSound_Record_Start(uint32_t, uint32_t, int)
{
    AUSND_ErrorNo = AUSND_ERR_RECORD;
    return false;
}

void AUSND_Output_NoSound_SetChannelFunctions(AUSND_CHANNEL* ch)
{
    AUSND_CHANNELOPS& ops = ch->ops;
    ops.Init = Succeed;
    ops.Close = Nothing;
    ops.Alloc = ChannelAlloc;
    ops.PlaySound = ChannelPlaySound;
    ops.StopSound = Succeed;
    ops.SetFrequency = ChannelSetInt;
    ops.SetFrequencyEx = ChannelSetFloat;
    ops.SetVolume = ChannelSetInt;
    ops.SetPan = ChannelSetInt;
    ops.SetLevels = ChannelSetLevels;
    ops.SetPaused = ChannelSetBool;
    ops.SetCurrentPosition = ChannelSetPosition;
    ops.GetCurrentPosition = ChannelGetPosition;
    ops.GetCurrentLevels = ChannelGetLevels;
    ops.IsPlaying = ChannelIsPlaying;
    ops.SetMode = ChannelSetMode;
    ops.Set3DAttributes = Succeed;
    ops.Reverb_SetProperties = ChannelReverb;
    ops.SetADSR = ChannelSetADSR;
    ops.SetADSRKeyoff = Succeed;
    ops.FX_Enable = ChannelFXEnable;
    ops.FX_Disable = Succeed;
    ops.FX_SetParameters = ChannelFXSetParameters;
}

void AUSND_Output_NoSound_SetSampleFunctions(AUSND_SAMPLE* sample)
{
    sample->AllocData = SampleAlloc;
    sample->FreeData = SampleFree;
    sample->UploadData = nullptr;
    sample->LockData = SampleLock;
    sample->UnlockData = SampleUnlock;
}

AUSND_OUTPUT AUSND_Output_NoSound = {
    0,
    0,
    1,
    EnumerateDrivers,
    Initialize,
    AUSND_Output_NoSound_Close,
    AUSND_Output_NoSound_SetSampleFunctions,
    AUSND_Output_NoSound_SetChannelFunctions,
    AUSND_Output_NoSound_GetCaps,
    AUSND_Output_NoSound_GetHandle,
    AUSND_Output_NoSound_SetSpeakerMode,
    Update,
    AUSND_Output_NoSound_Reverb_Initialize,
    AUSND_Output_NoSound_Reverb_SetProperties,
    AUSND_Output_NoSound_Reverb_GetProperties,
    AUSND_Output_NoSound_Record_EnumerateDrivers,
    AUSND_Output_NoSound_Record_Initialize,
    AUSND_Output_NoSound_Record_Start,
    AUSND_Output_NoSound_Record_Stop,
    AUSND_Output_NoSound_Record_GetCurrentPosition,
    AUSND_Output_NoSound_Record_Lock,
    AUSND_Output_NoSound_Record_Unlock,
};
