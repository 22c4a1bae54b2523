#include "aulos/ausnd.h"

#include "aulos/ausnd_device.h"
#include "aulos/system_string.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

thread_local int AUSND_ErrorNo = AUSND_ERR_NONE;

namespace
{
AUSND_Device g_Device;

constexpr int kHandleIndexMask = 0xFFF;
constexpr int kHandleRefMask = 0x7FFFF000;
constexpr int kRefCountMax = 0x7FFFF;
constexpr int kMaxSubChannels = 15;
} // namespace

AUSND_Device* AUSND_CurrentDevice = &g_Device;

bool AUSND_IsOwnerThread()
{
    return AUSND_CurrentDevice->ownerthread.load() == AUSND_Thread_GetCurrentID();
}

void AUSND_ClearErrorOnOwner()
{
    if (AUSND_IsOwnerThread())
        AUSND_ErrorNo = AUSND_ERR_NONE;
}

bool AUSND_Output_IsNonRealTime(int outputtype)
{
    return outputtype == AUSND_OUTPUT_NOSOUND_NONREALTIME || outputtype == AUSND_OUTPUT_CAPTURE;
}

AUSND_OUTPUT* AUSND_Output_ForType(int outputtype)
{
    if (outputtype == AUSND_OUTPUT_SDL || outputtype == AUSND_OUTPUT_DEFAULT)
        return &AUSND_Output_SDL;
    if (outputtype == AUSND_OUTPUT_CAPTURE)
        return &AUSND_Output_Capture;
    return &AUSND_Output_NoSound;
}

uint32_t AUSND_AdvanceClock(uint32_t& fraction, int frames, int mixrate)
{
    if (frames <= 0 || mixrate <= 0)
        return 0;
    const uint64_t total = static_cast<uint64_t>(fraction) + static_cast<uint64_t>(frames) * 1000u;
    fraction = static_cast<uint32_t>(total % static_cast<uint64_t>(mixrate));
    return static_cast<uint32_t>(total / static_cast<uint64_t>(mixrate));
}

void AUSND_Device_Reset()
{
    AUSND_Link_Init(&AUSND_CurrentDevice->songring);
}

namespace
{
AUSND_Device* Dev()
{
    return AUSND_CurrentDevice;
}

AUSND_CRITICALSECTION MixerSection()
{
    return Dev()->mixer ? Dev()->mixer->criticalsection : nullptr;
}

bool IsPrimaryHandle(int handle);

// The mix never reads the primary channel, and the output's own lock is taken
// by its operations (SDL's device lock is held around every mix): calls on it
// stay outside the mixer's lock so that the two are never taken in both orders.
AUSND_CRITICALSECTION SectionFor(int handle)
{
    return IsPrimaryHandle(handle) ? nullptr : MixerSection();
}

bool Fail(int error)
{
    AUSND_ErrorNo = error;
    return false;
}

int FailHandle(int error)
{
    AUSND_ErrorNo = error;
    return -1;
}

int Clamp(int value, int low, int high)
{
    return value < low ? low : (value > high ? high : value);
}

bool IsPrimaryHandle(int handle)
{
    return static_cast<int16_t>(handle & 0xFFFF) == AUSND_CHANNEL_PRIMARY;
}

int IssueHandle(AUSND_CHANNEL* ch)
{
    if (ch->index == AUSND_CHANNEL_PRIMARY)
        return ch->handle = AUSND_CHANNEL_PRIMARY;
    ch->handle = ch->index | (ch->refcount << 12);
    if (++ch->refcount > kRefCountMax)
        ch->refcount = 1;
    return ch->handle;
}

int MasterScaled(const AUSND_CHANNEL* ch)
{
    if (ch->flags & AUSND_CHANNEL_ABSOLUTEVOLUME)
        return ch->volume;
    return ch->volume * Dev()->sfxmastervolume / 255;
}

// Applies one operation to the channels that a handle names: every channel for
// AUSND_CHANNEL_ALL, else the one channel; linked sub-channels follow when
// asked to always, or for handles with reference bits. The last result counts.
template <typename Apply>
bool ForChannels(int handle, bool alwaysFollowSubs, Apply apply)
{
    AUSND_ScopedSection section(SectionFor(handle));
    if (handle == AUSND_CHANNEL_ALL)
    {
        if (!Dev()->channels)
            return Fail(AUSND_ERR_UNINITIALIZED);
        bool result = true;
        // The sub-channels are channels of the array too: each is handled once.
        for (int i = 0; i < Dev()->totalchannels; ++i)
            result = apply(&Dev()->channels[i]);
        return result;
    }
    AUSND_CHANNEL* ch = AUSND_Channel_Validate(handle);
    if (!ch)
        return false;
    const bool followSubs = alwaysFollowSubs || (handle & kHandleRefMask) != 0;
    bool result = apply(ch);
    if (followSubs)
    {
        for (AUSND_CHANNEL* sub = ch->nextsub; sub; sub = sub->nextsub)
            result = apply(sub);
    }
    return result;
}

template <typename Read, typename Result>
Result ReadChannel(int handle, Result fallback, Read read)
{
    AUSND_ScopedSection section(SectionFor(handle));
    AUSND_CHANNEL* ch = AUSND_Channel_Validate(handle);
    if (!ch)
        return fallback;
    return read(ch);
}

// Whether one of the channel's state bits is set; false for a bad handle.
bool ReadChannelFlag(int handle, uint32_t flag)
{
    return ReadChannel(handle, false, [flag](AUSND_CHANNEL* ch) { return (ch->flags & flag) != 0; });
}

bool SetVolumeCh(AUSND_CHANNEL* ch, int vol)
{
    ch->flags &= ~AUSND_CHANNEL_ABSOLUTEVOLUME;
    ch->volume = Clamp(vol, 0, 255);
    if (ch->flags & AUSND_CHANNEL_MUTED)
        return true;
    return ch->ops.SetVolume(ch, MasterScaled(ch));
}

bool SetPanCh(AUSND_CHANNEL* ch, int pan)
{
    if (pan != -1)
    {
        pan = Clamp(pan, 0, 255);
        pan = static_cast<int>((static_cast<float>(pan) - 128.0f) * Dev()->panseparation + 128.0f);
    }
    ch->pan = pan;
    return ch->ops.SetPan(ch, pan);
}

bool SetFrequencyCh(AUSND_CHANNEL* ch, int freq)
{
    if (freq == ch->frequency)
        return true;
    ch->frequency = freq;
    return ch->ops.SetFrequency(ch, freq);
}

bool SetPausedCh(AUSND_CHANNEL* ch, bool paused)
{
    if (paused)
        ch->flags |= AUSND_CHANNEL_PAUSED;
    else
        ch->flags &= ~AUSND_CHANNEL_PAUSED;
    return ch->ops.SetPaused(ch, paused);
}

bool SetFlag(AUSND_CHANNEL* ch, uint32_t flag, bool on)
{
    if (on)
        ch->flags |= flag;
    else
        ch->flags &= ~flag;
    return true;
}

bool Set3DAttributesCh(AUSND_CHANNEL* ch, const float* pos, const float* vel)
{
    bool changed = false;
    for (int i = 0; i < 3; ++i)
    {
        if (pos && ch->pos[i] != pos[i])
        {
            ch->pos[i] = pos[i];
            changed = true;
        }
        if (vel && ch->vel[i] != vel[i])
        {
            ch->vel[i] = vel[i];
            changed = true;
        }
    }
    if (!changed)
        return true;
    return ch->ops.Set3DAttributes(ch);
}

void StopCh(AUSND_CHANNEL* ch)
{
    while (ch)
    {
        AUSND_CHANNEL* next = ch->nextsub;
        ch->flags |= AUSND_CHANNEL_STOPPING;
        IssueHandle(ch);
        ch->ops.StopSound(ch);
        ch->flags &= ~AUSND_CHANNEL_STOPPING;
        ch->sample = nullptr;
        ch->priority = 0;
        ch->issub = 0;
        ch->nextsub = nullptr;
        ch = next;
    }
}

void StopAllChannels()
{
    AUSND_Device* dev = Dev();
    if (!dev->channels)
        return;
    AUSND_ScopedSection section(MixerSection());
    for (int i = 0; i < dev->totalchannels; ++i)
        StopCh(&dev->channels[i]);
}

void InitChannelRecord(AUSND_CHANNEL* ch, int index)
{
    std::memset(static_cast<void*>(ch), 0, sizeof(*ch));
    ch->index = index;
    AUSND_Output_NoSound_SetChannelFunctions(ch);
    ch->refcount = 1;
    ch->frequency = 44100;
    ch->volume = 255;
    ch->volumescale3d = 255;
    ch->frequencyscale = 1.0f;
    ch->pan = 128;
    ch->mindistance = 1.0f;
    ch->maxdistance = 1000000.0f;
    ch->direction = 1;
}

float Length3(const float* v)
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

void ReleaseSampleTable()
{
    AUSND_Device* dev = Dev();
    if (!dev->samples)
        return;
    for (int i = 0; i < dev->numsamples; ++i)
    {
        if (dev->samples[i])
            AUSND_Sample_Free(dev->samples[i]);
    }
    AUSND_Memory_Free(dev->samples);
    dev->samples = nullptr;
    dev->numsamples = 0;
}
} // namespace

// ---------------------------------------------------------------- set-up

bool AUSND_SetOutput(int outputtype)
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (dev->initialised)
        return Fail(AUSND_ERR_BUSY);
    if (outputtype == AUSND_OUTPUT_DEFAULT)
        outputtype = AUSND_OUTPUT_SDL;
    dev->outputtype = outputtype;
    dev->output = AUSND_Output_ForType(outputtype);
    dev->driversenumerated = 0;
    return true;
}

bool AUSND_EnumerateDrivers()
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (!dev->output)
        return Fail(AUSND_ERR_UNINITIALIZED);
    dev->numdrivers = 0;
    if (!dev->output->EnumerateDrivers())
        return false;
    dev->driversenumerated = 1;
    return true;
}

bool AUSND_SetDriver(int driver)
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (dev->initialised)
        return Fail(AUSND_ERR_BUSY);
    if (!dev->output)
        return Fail(AUSND_ERR_UNINITIALIZED);
    if (!dev->driversenumerated)
        AUSND_EnumerateDrivers();
    if (driver >= 0 && driver < dev->numdrivers)
    {
        dev->selecteddriver = driver;
        return true;
    }
    AUSND_SetOutput(AUSND_OUTPUT_NOSOUND);
    return true;
}

bool AUSND_SetMixer(int mixer)
{
    AUSND_ErrorNo = AUSND_ERR_NONE;
    AUSND_Device* dev = Dev();
    if (dev->initialised)
        return Fail(AUSND_ERR_BUSY);
    if (mixer != AUSND_MIXER_AUTODETECT && mixer != AUSND_MIXER_QUALITY_AUTODETECT && mixer != AUSND_MIXER_MONO &&
        mixer != AUSND_MIXER_QUALITY_MONO)
        return Fail(AUSND_ERR_INVALID_PARAM);
    dev->mixertype = mixer;
    return true;
}

bool AUSND_SetBufferSize(int ms)
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (dev->initialised)
        return Fail(AUSND_ERR_BUSY);
    dev->buffersize = ms <= 24 ? 25 : ms / 25 * 25;
    return true;
}

bool AUSND_SetHWND(void* hwnd)
{
    AUSND_ClearErrorOnOwner();
    if (Dev()->initialised)
        return Fail(AUSND_ERR_BUSY);
    Dev()->hwnd = hwnd;
    return true;
}

bool AUSND_SetMinHardwareChannels(int min)
{
    AUSND_ClearErrorOnOwner();
    if (Dev()->initialised)
        return Fail(AUSND_ERR_BUSY);
    if (min < 0)
        return Fail(AUSND_ERR_INVALID_PARAM);
    Dev()->minhwchannels = min;
    return true;
}

bool AUSND_SetMaxHardwareChannels(int max)
{
    AUSND_ClearErrorOnOwner();
    if (Dev()->initialised)
        return Fail(AUSND_ERR_BUSY);
    if (max < 0)
        return Fail(AUSND_ERR_INVALID_PARAM);
    Dev()->maxhwchannels = max;
    return true;
}

// ---------------------------------------------------------------- life cycle

namespace
{
bool CreateChannels()
{
    AUSND_Device* dev = Dev();
    dev->totalchannels = dev->softwarechannels + dev->hw3dchannels + dev->hw2dchannels;
    dev->numsamples = 256;
    dev->samples = static_cast<AUSND_SAMPLE**>(AUSND_Memory_Calloc(sizeof(AUSND_SAMPLE*) * dev->numsamples));
    const unsigned int records = static_cast<unsigned int>(dev->totalchannels + dev->extrachannels);
    dev->channels = static_cast<AUSND_CHANNEL*>(AUSND_Memory_Calloc(sizeof(AUSND_CHANNEL) * records));
    if (!dev->samples || !dev->channels)
        return Fail(AUSND_ERR_MEMORY);

    const int sw = dev->softwarechannels;
    dev->ranges[AUSND_RANGE_SOFTWARE] = {0, sw - 1, 0};
    dev->ranges[AUSND_RANGE_HW3D] = {sw, sw + dev->hw3dchannels - 1, sw};
    const int hw2dfirst = sw + dev->hw3dchannels;
    dev->ranges[AUSND_RANGE_HW2D] = {hw2dfirst, hw2dfirst + dev->hw2dchannels - 1, hw2dfirst};

    for (int i = 0; i < dev->totalchannels; ++i)
    {
        AUSND_CHANNEL* ch = &dev->channels[i];
        InitChannelRecord(ch, i);
        if (i < sw)
            AUSND_Software_SetChannelFunctions(ch);
        else
            dev->output->SetChannelFunctions(ch);
        ch->ops.Init(ch);
        ch->ops.StopSound(ch);
        ch->ops.SetVolume(ch, 255);
        ch->ops.SetFrequency(ch, 44100);
        ch->ops.SetPan(ch, 128);
    }
    return true;
}

bool CreatePrimary(int mixrate)
{
    AUSND_Device* dev = Dev();
    AUSND_CHANNEL* primary = static_cast<AUSND_CHANNEL*>(AUSND_Memory_Calloc(sizeof(AUSND_CHANNEL)));
    if (!primary)
        return Fail(AUSND_ERR_MEMORY);
    InitChannelRecord(primary, AUSND_CHANNEL_PRIMARY);
    primary->handle = AUSND_CHANNEL_PRIMARY;
    dev->primarychannel = primary;
    dev->output->SetChannelFunctions(primary);
    primary->ops.Init(primary);
    primary->ops.StopSound(primary);
    primary->ops.SetVolume(primary, 255);
    primary->ops.SetFrequency(primary, mixrate);
    primary->ops.SetPan(primary, -1);

    const bool mono = dev->mixertype == AUSND_MIXER_MONO || dev->mixertype == AUSND_MIXER_QUALITY_MONO;
    unsigned int mode = mono ? 0x80084032u : 0x80084052u;
    if (dev->initflags & AUSND_INIT_OUTPUTFX)
        mode |= AUSND_ENABLEFX;
    dev->primarysample = AUSND_Sample_Alloc(-2, dev->totalmixlength, mode, mixrate, 255, -1, 255);
    if (!dev->primarysample)
    {
        dev->initialised = false;
        return false;
    }
    F_strncpy(dev->primarysample->name, "AUSND Primary MixBuffer", 255);
    dev->initialised = true;
    if (AUSND_PlaySound(AUSND_CHANNEL_PRIMARY, dev->primarysample) == -1)
        return false;
    AUSND_SetReserved(AUSND_CHANNEL_PRIMARY, true);
    return true;
}
} // namespace

bool AUSND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags)
{
    AUSND_ErrorNo = AUSND_ERR_NONE;
    if (mixrate < 4000 || mixrate > 65535 || maxsoftwarechannels < 0 || maxsoftwarechannels > 1024)
        return Fail(AUSND_ERR_INVALID_PARAM);

    AUSND_Close();

    AUSND_Device* dev = Dev();
    dev->initialised = false;
    dev->ownerthread = AUSND_Thread_GetCurrentID();
    AUSND_ErrorNo = AUSND_ERR_NONE;
    dev->numsamples = 256;
    dev->softwarechannels = maxsoftwarechannels;
    dev->mixrate = mixrate;
    dev->initflags = flags;
    dev->extrachannels = 0;
    dev->sfxmastervolume = 255;
    dev->lastupdatetime = 0;
    dev->updatefraction = 0;
    dev->mixcpuusage = 0.0f;
    if (!dev->songring.next)
        AUSND_Device_Reset();
    dev->mixstamp = AUSND_TIMESTAMP{};

    AUSND_CD_Init();
    AUSND_DSP_Init();
    AUSND_SetOutput(dev->outputtype);

    AUSND_OUTPUT* output = dev->output;
    output->hw3dsupport = 1;
    output->hw2dsupport = 1;
    dev->largebuffer = 0;
    if (!output->Initialize(mixrate))
        return false;

    auto limitHardware = [dev](int32_t& count, int32_t& support) {
        if (count > dev->maxhwchannels)
            count = dev->maxhwchannels;
        if (count < dev->minhwchannels)
            count = 0;
        if (count < 1)
            support = 0;
    };
    limitHardware(dev->hw3dchannels, output->hw3dsupport);
    limitHardware(dev->hw2dchannels, output->hw2dsupport);

    // Every output of this platform mixes in software with a 50 ms ring.
    if (dev->buffersize == -1)
        dev->buffersize = (dev->outputtype == 1 || dev->largebuffer) ? 100 : 50;
    dev->requestedbuffersize = dev->buffersize;
    if (dev->outputtype != 5)
        dev->buffersize = 25;
    dev->buffersize *= 2;

    if (!AUSND_Software_Initialize())
        return false;
    if (!CreateChannels())
        return false;
    if (dev->softwarechannels > 0)
    {
        if (!CreatePrimary(mixrate))
            return false;
    }
    else
    {
        dev->initialised = true;
    }

    AUSND_Mpeg_Init();
    AUSND_OggVorbis_Init();
    for (AUSND_LINK* link = dev->songring.next; link && link != &dev->songring; link = link->next)
    {
        SongRecord* song = reinterpret_cast<SongRecord*>(link);
        AUMUS_SetBPM(song, static_cast<int>(song->bpm));
    }

    if (dev->primarychannel && !AUSND_Software_Start())
        return false;

    AUSND_Async_Init();
    if (AUSND_Output_IsNonRealTime(dev->outputtype))
        dev->initflags |= AUSND_INIT_MANUALUPDATE;
    if (!AUSND_Stream_Init())
        return Fail(AUSND_ERR_INIT);
    AUSND_Update();
    return true;
}

void AUSND_Close()
{
    AUSND_ErrorNo = AUSND_ERR_NONE;
    AUSND_Device* dev = Dev();
    if (dev->initialised)
    {
        dev->driversenumerated = 0;
        dev->buffersize = -1;
    }

    AUSND_Record_Stop();
    AUMUS_StopAllSongs();
    StopAllChannels();
    AUSND_Stream_ShutDown();
    AUSND_Stream_Net_Shutdown();
    AUSND_Async_ShutDown();
    AUSND_CD_Close(0);
    if (dev->primarychannel)
    {
        StopCh(dev->primarychannel);
        dev->primarychannel->ops.Close(dev->primarychannel);
    }
    AUSND_Software_Close();

    dev->initialised = false;
    if (dev->primarysample)
    {
        AUSND_Sample_Free(dev->primarysample);
        dev->primarysample = nullptr;
    }
    ReleaseSampleTable();

    if (dev->channels)
    {
        for (int i = 0; i < dev->totalchannels; ++i)
            dev->channels[i].ops.Close(&dev->channels[i]);
    }
    if (dev->output)
        dev->output->Close();
    AUSND_Memory_Free(dev->channels);
    dev->channels = nullptr;
    AUSND_Memory_Free(dev->primarychannel);
    dev->primarychannel = nullptr;
    dev->totalchannels = 0;
    dev->softwarechannels = 0;

    dev->driversenumerated = 0;
    dev->numdrivers = 0;
    AUSND_File_ShutDown();
    AUSND_ErrorNo = AUSND_ERR_NONE;
}

bool AUSND_Update()
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (!dev->initialised)
        return false;
    AUSND_Software_Update();
    if (dev->initflags & AUSND_INIT_MANUALUPDATE)
    {
        const uint64_t now = AUSND_Time_Get();
        int elapsed = 0;
        if (AUSND_Output_IsNonRealTime(dev->outputtype))
            elapsed = static_cast<int>(AUSND_AdvanceClock(dev->updatefraction, dev->blocklength, dev->mixrate));
        else if (dev->lastupdatetime && now > dev->lastupdatetime)
            elapsed = static_cast<int>(now - dev->lastupdatetime);
        AUSND_Stream_Update(elapsed);
        AUSND_Stream_UpdateBusy = false;
        dev->lastupdatetime = now;
    }
    return dev->output->Update();
}

// ---------------------------------------------------------------- global settings

void AUSND_SetSpeakerMode(unsigned int speakermode)
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (!dev->output)
        return;
    dev->panseparation = speakermode == 2 ? 0.0f : 1.0f;
    dev->speakermode = static_cast<int32_t>(speakermode);
    dev->output->SetSpeakerMode(static_cast<int>(speakermode));
}

void AUSND_SetSFXMasterVolume(int volume)
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    dev->sfxmastervolume = Clamp(volume, 0, 255);
    if (!dev->channels)
        return;
    AUSND_ScopedSection section(MixerSection());
    for (int i = 0; i < dev->totalchannels; ++i)
    {
        AUSND_CHANNEL* ch = &dev->channels[i];
        if (!ch->sample || ch->sample->songowned || (ch->flags & AUSND_CHANNEL_ABSOLUTEVOLUME))
            continue;
        SetVolumeCh(ch, ch->volume);
    }
}

void AUSND_SetPanSeperation(float pansep)
{
    AUSND_ClearErrorOnOwner();
    Dev()->panseparation = pansep < 0.0f ? 0.0f : (pansep > 1.0f ? 1.0f : pansep);
}

// ---------------------------------------------------------------- queries

int AUSND_GetError()
{
    return AUSND_ErrorNo;
}

float AUSND_GetVersion()
{
    return 1.00f;
}

int AUSND_GetOutput()
{
    return Dev()->outputtype;
}

void* AUSND_GetOutputHandle()
{
    AUSND_ClearErrorOnOwner();
    if (!Dev()->initialised)
    {
        Fail(AUSND_ERR_UNINITIALIZED);
        return nullptr;
    }
    return Dev()->output->GetHandle();
}

int AUSND_GetDriver()
{
    return Dev()->selecteddriver < 0 ? 0 : Dev()->selecteddriver;
}

int AUSND_GetMixer()
{
    return Dev()->mixertype;
}

int AUSND_GetNumDrivers()
{
    AUSND_ClearErrorOnOwner();
    if (!Dev()->output)
        return 0;
    if (!Dev()->driversenumerated)
        AUSND_EnumerateDrivers();
    return Dev()->numdrivers;
}

const char* AUSND_GetDriverName(int id)
{
    const int count = AUSND_GetNumDrivers();
    if (id >= count)
    {
        Fail(AUSND_ERR_INVALID_PARAM);
        return nullptr;
    }
    return Dev()->drivernames[id < 0 ? 0 : id];
}

bool AUSND_GetDriverCaps(int id, unsigned int* caps)
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (dev->initialised)
        return Fail(AUSND_ERR_BUSY);
    if (!dev->output)
        return Fail(AUSND_ERR_UNINITIALIZED);
    if (!caps)
        return Fail(AUSND_ERR_INVALID_PARAM);
    *caps = 0;
    dev->output->GetCaps(id, caps);
    return true;
}

int AUSND_GetOutputRate()
{
    return Dev()->mixrate;
}

int AUSND_GetMaxChannels()
{
    return Dev()->totalchannels;
}

int AUSND_GetMaxSamples()
{
    AUSND_ClearErrorOnOwner();
    if (!Dev()->initialised)
    {
        Fail(AUSND_ERR_UNINITIALIZED);
        return 0;
    }
    return Dev()->numsamples;
}

int AUSND_GetSFXMasterVolume()
{
    return Dev()->sfxmastervolume;
}

bool AUSND_GetNumHWChannels(int* num2d, int* num3d, int* total)
{
    AUSND_Device* dev = Dev();
    if (num2d)
        *num2d = dev->hw2dchannels;
    if (num3d)
        *num3d = dev->hw3dchannels;
    if (total)
        *total = dev->ranges[AUSND_RANGE_HW2D].last - dev->ranges[AUSND_RANGE_HW3D].first + 1;
    return true;
}

int AUSND_GetNumHardwareChannels()
{
    return Dev()->hw3dchannels;
}

int AUSND_GetChannelsPlaying()
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (!dev->initialised)
    {
        Fail(AUSND_ERR_UNINITIALIZED);
        return 0;
    }
    AUSND_ScopedSection section(MixerSection());
    int count = 0;
    for (int i = 0; i < dev->totalchannels; ++i)
    {
        if (dev->channels[i].ops.IsPlaying(&dev->channels[i]))
            ++count;
    }
    return count;
}

float AUSND_GetCPUUsage()
{
    AUSND_ClearErrorOnOwner();
    if (!Dev()->initialised)
    {
        Fail(AUSND_ERR_UNINITIALIZED);
        return 0.0f;
    }
    return Dev()->mixcpuusage.load() + Dev()->streamcpuusage;
}

// ---------------------------------------------------------------- channels

AUSND_CHANNEL* AUSND_Channel_Validate(int handle)
{
    AUSND_Device* dev = Dev();
    if (!dev->channels)
    {
        Fail(AUSND_ERR_UNINITIALIZED);
        return nullptr;
    }
    if (IsPrimaryHandle(handle))
    {
        if (!dev->primarychannel)
            Fail(AUSND_ERR_INVALID_PARAM);
        return dev->primarychannel;
    }
    if (handle < 0 || (handle & kHandleIndexMask) >= dev->totalchannels)
    {
        Fail(AUSND_ERR_INVALID_PARAM);
        return nullptr;
    }
    AUSND_CHANNEL* ch = &dev->channels[handle & kHandleIndexMask];
    if ((handle & kHandleRefMask) && handle != ch->handle)
    {
        Fail(AUSND_ERR_INVALID_PARAM);
        return nullptr;
    }
    return ch;
}

AUSND_CHANNEL* AUSND_Channel_Alloc(int requested, int range, AUSND_SAMPLE* sample, int priority, int excluded,
                                   bool stopduplicates)
{
    AUSND_Device* dev = Dev();
    if (!dev->initialised || !dev->channels)
    {
        Fail(AUSND_ERR_UNINITIALIZED);
        return nullptr;
    }
    const bool direct = requested != AUSND_CHANNEL_FREE;
    if (direct && requested != AUSND_CHANNEL_PRIMARY &&
        (requested < 0 || (requested & kHandleIndexMask) >= dev->totalchannels))
    {
        Fail(AUSND_ERR_INVALID_PARAM);
        return nullptr;
    }
    AUSND_ScopedSection section(SectionFor(requested));

    // Data that the output holds cannot be mixed, and the mixer's data cannot be played by the output.
    const bool hardwareSample = sample && (sample->mode & (AUSND_HW3D | AUSND_HW2D));
    bool softwareChannel = range == AUSND_RANGE_SOFTWARE;
    if (direct)
        softwareChannel = requested != AUSND_CHANNEL_PRIMARY && (requested & kHandleIndexMask) < dev->softwarechannels;
    if (sample && hardwareSample == softwareChannel)
    {
        Fail(AUSND_ERR_CHANNEL_ALLOC);
        return nullptr;
    }

    AUSND_CHANNEL* chosen = nullptr;
    if (direct)
    {
        chosen = requested == AUSND_CHANNEL_PRIMARY ? dev->primarychannel : &dev->channels[requested & kHandleIndexMask];
    }
    else
    {
        AUSND_CHANNELRANGE& r = dev->ranges[range];
        if (stopduplicates && sample && (sample->mode & AUSND_FXREADY))
        {
            for (int i = r.first; i <= r.last; ++i)
            {
                if (dev->channels[i].sample == sample && dev->channels[i].ops.IsPlaying(&dev->channels[i]))
                {
                    StopCh(&dev->channels[i]);
                    break;
                }
            }
        }
        AUSND_CHANNEL* quietest = nullptr;
        int i = r.next;
        for (int k = 0; k <= r.last - r.first; ++k)
        {
            AUSND_CHANNEL* ch = &dev->channels[i];
            if (!(ch->flags & (AUSND_CHANNEL_RESERVED | AUSND_CHANNEL_STOPPING)) && i != excluded)
            {
                if (!ch->ops.IsPlaying(ch))
                {
                    chosen = ch;
                    break;
                }
                if (ch->priority < 256 &&
                    (!quietest || ch->priority < quietest->priority ||
                     (ch->priority == quietest->priority && ch->averagevolume < quietest->averagevolume)))
                    quietest = ch;
            }
            i = i >= r.last ? r.first : i + 1;
        }
        if (!chosen && quietest && quietest->priority <= priority)
            chosen = quietest;
        if (chosen)
            r.next = chosen->index >= r.last ? r.first : chosen->index + 1;
    }
    if (!chosen)
    {
        Fail(AUSND_ERR_CHANNEL_ALLOC);
        return nullptr;
    }

    if (chosen->nextsub)
        StopCh(chosen);
    if (!chosen->ops.Alloc(chosen, sample))
    {
        Fail(AUSND_ERR_CHANNEL_ALLOC);
        return nullptr;
    }
    if (!sample)
        return chosen;

    chosen->flags |= AUSND_CHANNEL_SETTINGUP;
    chosen->volumescale3d = 255;
    chosen->frequencyscale = 1.0f;
    chosen->priority = priority;
    chosen->mode = sample->mode;
    chosen->mindistance = sample->mindistance;
    chosen->maxdistance = sample->maxdistance;
    chosen->nextsub = nullptr;
    chosen->frequency = -1;

    int freq = sample->deffreq;
    int vol = sample->defvol;
    int pan = sample->defpan;
    if (sample->varfreq > 0)
    {
        freq += std::rand() % (2 * sample->varfreq) - sample->varfreq;
        if (freq < 101)
            freq = 101;
    }
    if (sample->varvol > 0)
        vol = Clamp(vol + std::rand() % (2 * sample->varvol) - sample->varvol, 0, 255);
    if (sample->varpan > 0 && pan != -1)
        pan = Clamp(pan + std::rand() % (2 * sample->varpan) - sample->varpan, 0, 255);
    SetFrequencyCh(chosen, freq);
    SetVolumeCh(chosen, vol);
    SetPanCh(chosen, pan);

    const AUSND_LISTENER& listener = dev->listeners[dev->currentlistener];
    const float still[3] = {0.0f, 0.0f, 0.0f};
    chosen->pos[2] = listener.pos[2] + 1.0f;
    Set3DAttributesCh(chosen, listener.pos, still);
    if (!hardwareSample)
        AUSND_Channel_Update3D(chosen);
    chosen->flags &= ~AUSND_CHANNEL_SETTINGUP;
    return chosen;
}

int AUSND_PlaySoundEx(int channel, AUSND_SAMPLE* sample, AUSND_DSPUNIT* unit, signed char startpaused)
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (!sample)
        return FailHandle(AUSND_ERR_INVALID_PARAM);
    int subcount = 1;
    if ((sample->mode & AUSND_MULTICHANNEL) && !(sample->mode & (AUSND_HW2D | AUSND_HW3D)))
        subcount = sample->channels;
    if (subcount > kMaxSubChannels || subcount < 1)
        return FailHandle(AUSND_ERR_INVALID_PARAM);
    if (!dev->initialised)
        return FailHandle(AUSND_ERR_UNINITIALIZED);

    if (channel == AUSND_CHANNEL_ALL)
    {
        int result = -1;
        for (int i = 0; i < dev->totalchannels; ++i)
            result = AUSND_PlaySoundEx(i, sample, unit, startpaused);
        return result;
    }

    if (unit)
    {
        std::lock_guard<std::recursive_mutex> guard(dev->unitlock);
        if (!AUSND_DSP_VerifyUnit(unit))
            return FailHandle(AUSND_ERR_INVALID_PARAM);
        unit->callback = AUSND_Software_MixSFX;
        unit->param = unit;
    }
    else
    {
        unit = dev->unitsfx;
    }

    AUSND_ScopedSection section(SectionFor(channel));
    if (sample->maxplaybacks >= 0)
    {
        int playing = 0;
        for (int i = 0; i < dev->totalchannels; ++i)
        {
            const AUSND_CHANNEL& ch = dev->channels[i];
            if (ch.sample == sample && !ch.issub)
                ++playing;
        }
        if (playing >= sample->maxplaybacks)
            return -1;
    }

    const bool hardware = (sample->mode & (AUSND_HW3D | AUSND_HW2D)) != 0;
    const int range =
        hardware ? ((sample->mode & AUSND_HW3D) ? AUSND_RANGE_HW3D : AUSND_RANGE_HW2D) : AUSND_RANGE_SOFTWARE;
    AUSND_CHANNEL* ch = AUSND_Channel_Alloc(channel, range, sample, sample->defpri, -1, true);
    if (!ch)
        return -1;
    const bool wasReserved = (ch->flags & AUSND_CHANNEL_RESERVED) != 0;
    AUSND_CHANNEL* last = ch;
    for (int n = 1; n < subcount; ++n)
    {
        last->flags |= AUSND_CHANNEL_RESERVED;
        AUSND_CHANNEL* sub = AUSND_Channel_Alloc(AUSND_CHANNEL_FREE, range, sample, sample->defpri, ch->index, false);
        if (sub)
        {
            sub->issub = 1;
            last->nextsub = sub;
            last = sub;
            continue;
        }
        for (AUSND_CHANNEL* c = ch->nextsub; c; c = c->nextsub)
            c->flags &= ~AUSND_CHANNEL_RESERVED;
        if (!wasReserved)
            ch->flags &= ~AUSND_CHANNEL_RESERVED;
        StopCh(ch);
        return -1;
    }
    if (subcount > 1)
    {
        for (AUSND_CHANNEL* c = ch->nextsub; c; c = c->nextsub)
            c->flags &= ~AUSND_CHANNEL_RESERVED;
        if (!wasReserved)
            ch->flags &= ~AUSND_CHANNEL_RESERVED;
    }

    SetPausedCh(ch, true);
    if (!ch->ops.PlaySound(unit, ch, sample))
        return FailHandle(AUSND_ERR_PLAY);
    for (AUSND_CHANNEL* c = ch; c; c = c->nextsub)
        SetPausedCh(c, startpaused != 0);

    if (channel == AUSND_CHANNEL_PRIMARY)
        return AUSND_CHANNEL_PRIMARY;
    if (channel >= 0 && (channel & kHandleRefMask))
        return ch->handle;
    return IssueHandle(ch);
}

int AUSND_PlaySound(int channel, AUSND_SAMPLE* sample)
{
    if (!sample)
    {
        AUSND_ClearErrorOnOwner();
        return FailHandle(AUSND_ERR_INVALID_PARAM);
    }
    return AUSND_PlaySoundEx(channel, sample, nullptr, 0);
}

bool AUSND_StopSound(int channel)
{
    AUSND_ClearErrorOnOwner();
    AUSND_ScopedSection section(SectionFor(channel));
    if (channel == AUSND_CHANNEL_ALL)
    {
        if (!Dev()->channels)
            return Fail(AUSND_ERR_UNINITIALIZED);
        StopAllChannels();
        return true;
    }
    AUSND_CHANNEL* ch = AUSND_Channel_Validate(channel);
    if (!ch)
        return false;
    StopCh(ch);
    return true;
}

// ---------------------------------------------------------------- setters

bool AUSND_SetFrequency(int channel, int freq)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, true, [freq](AUSND_CHANNEL* ch) { return SetFrequencyCh(ch, freq); });
}

bool AUSND_SetFrequencyEx(int channel, float freq)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, true, [freq](AUSND_CHANNEL* ch) {
        ch->frequency = static_cast<int>(freq);
        return ch->ops.SetFrequencyEx(ch, freq);
    });
}

bool AUSND_SetVolume(int channel, int vol)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, false, [vol](AUSND_CHANNEL* ch) { return SetVolumeCh(ch, vol); });
}

bool AUSND_SetVolumeAbsolute(int channel, int vol)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, false, [vol](AUSND_CHANNEL* ch) {
        ch->flags |= AUSND_CHANNEL_ABSOLUTEVOLUME;
        ch->volume = Clamp(vol, 0, 255);
        if (ch->flags & AUSND_CHANNEL_MUTED)
            return true;
        return ch->ops.SetVolume(ch, ch->volume);
    });
}

bool AUSND_SetPan(int channel, int pan)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, false, [pan](AUSND_CHANNEL* ch) { return SetPanCh(ch, pan); });
}

bool AUSND_SetSurround(int channel, bool surround)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, true,
                       [surround](AUSND_CHANNEL* ch) { return SetFlag(ch, AUSND_CHANNEL_SURROUND, surround); });
}

bool AUSND_SetMute(int channel, bool mute)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, true, [mute](AUSND_CHANNEL* ch) {
        SetFlag(ch, AUSND_CHANNEL_MUTED, mute);
        // Unmuting restores the master-scaled volume, even for an absolute one.
        return ch->ops.SetVolume(ch, mute ? 0 : ch->volume * Dev()->sfxmastervolume / 255);
    });
}

bool AUSND_SetPriority(int channel, int priority)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, true, [priority](AUSND_CHANNEL* ch) {
        ch->priority = priority;
        return true;
    });
}

bool AUSND_SetReserved(int channel, bool reserved)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, true,
                       [reserved](AUSND_CHANNEL* ch) { return SetFlag(ch, AUSND_CHANNEL_RESERVED, reserved); });
}

bool AUSND_SetPaused(int channel, bool paused)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, true, [paused](AUSND_CHANNEL* ch) { return SetPausedCh(ch, paused); });
}

bool AUSND_SetLoopMode(int channel, unsigned int loopmode)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, true, [loopmode](AUSND_CHANNEL* ch) {
        ch->mode = (ch->mode & ~static_cast<uint32_t>(AUSND_LOOPBITS)) | (loopmode & AUSND_LOOPBITS);
        return ch->ops.SetMode(ch, ch->mode);
    });
}

bool AUSND_SetCurrentPosition(int channel, unsigned int offset)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, true, [offset](AUSND_CHANNEL* ch) {
        if (!ch->sample || offset >= ch->sample->length)
            return Fail(AUSND_ERR_INVALID_PARAM);
        return ch->ops.SetCurrentPosition(ch, offset);
    });
}

bool AUSND_SetLevels(int channel, int frontleft, int center, int frontright, int backleft, int backright, int lfe)
{
    AUSND_ClearErrorOnOwner();
    const int levels[6] = {Clamp(frontleft, 0, 255), Clamp(center, 0, 255), Clamp(frontright, 0, 255),
                           Clamp(backleft, 0, 255),  Clamp(backright, 0, 255), Clamp(lfe, 0, 255)};
    return ForChannels(channel, false, [&levels](AUSND_CHANNEL* ch) { return ch->ops.SetLevels(ch, levels); });
}

bool AUSND_3D_SetAttributes(int channel, const float* pos, const float* vel)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, false, [pos, vel](AUSND_CHANNEL* ch) { return Set3DAttributesCh(ch, pos, vel); });
}

bool AUSND_3D_SetMinMaxDistance(int channel, float min, float max)
{
    AUSND_ClearErrorOnOwner();
    if (min < 0.0f || min > max)
        return Fail(AUSND_ERR_INVALID_PARAM);
    return ForChannels(channel, false, [min, max](AUSND_CHANNEL* ch) {
        ch->mindistance = min;
        ch->maxdistance = max;
        return true;
    });
}

bool AUSND_Reverb_SetChannelProperties(int channel, const void* properties72)
{
    AUSND_ClearErrorOnOwner();
    if (!properties72)
        return Fail(AUSND_ERR_INVALID_PARAM);
    return ForChannels(channel, false, [properties72](AUSND_CHANNEL* ch) {
        std::memcpy(ch->reverb, properties72, sizeof(ch->reverb));
        return ch->ops.Reverb_SetProperties(ch, properties72);
    });
}

// ---------------------------------------------------------------- getters

bool AUSND_IsPlaying(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, false, [](AUSND_CHANNEL* ch) { return ch->ops.IsPlaying(ch); });
}

AUSND_SAMPLE* AUSND_GetCurrentSample(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, static_cast<AUSND_SAMPLE*>(nullptr), [](AUSND_CHANNEL* ch) { return ch->sample; });
}

int AUSND_GetVolume(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, 0, [](AUSND_CHANNEL* ch) { return static_cast<int>(ch->volume); });
}

int AUSND_GetPan(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, 0, [](AUSND_CHANNEL* ch) { return static_cast<int>(ch->pan); });
}

int AUSND_GetFrequency(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, 0, [](AUSND_CHANNEL* ch) { return static_cast<int>(ch->frequency); });
}

bool AUSND_GetMute(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannelFlag(channel, AUSND_CHANNEL_MUTED);
}

bool AUSND_GetPaused(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannelFlag(channel, AUSND_CHANNEL_PAUSED);
}

bool AUSND_GetSurround(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannelFlag(channel, AUSND_CHANNEL_SURROUND);
}

bool AUSND_GetReserved(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannelFlag(channel, AUSND_CHANNEL_RESERVED);
}

int AUSND_GetPriority(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, 0, [](AUSND_CHANNEL* ch) { return static_cast<int>(ch->priority); });
}

unsigned int AUSND_GetLoopMode(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, 0u, [](AUSND_CHANNEL* ch) { return ch->mode & AUSND_LOOPBITS; });
}

unsigned int AUSND_GetCurrentPosition(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, 0u,
                       [](AUSND_CHANNEL* ch) { return static_cast<unsigned int>(ch->ops.GetCurrentPosition(ch)); });
}

bool AUSND_GetCurrentLevels(int channel, float* l, float* r)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, false, [l, r](AUSND_CHANNEL* ch) {
        float left = 0.0f;
        float right = 0.0f;
        const bool ok = ch->ops.GetCurrentLevels(ch, &left, &right);
        if (l)
            *l = left;
        if (r)
            *r = right;
        return ok;
    });
}

int AUSND_GetAmplitude(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, 0, [](AUSND_CHANNEL* ch) {
        return ch->ops.IsPlaying(ch) ? static_cast<int>(ch->averagevolume) : 0;
    });
}

int AUSND_GetNumSubChannels(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, 0, [](AUSND_CHANNEL* ch) {
        int count = 1;
        for (AUSND_CHANNEL* sub = ch->nextsub; sub; sub = sub->nextsub)
            ++count;
        return count;
    });
}

int AUSND_GetSubChannel(int channel, int subchannel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, -1, [subchannel](AUSND_CHANNEL* ch) {
        if (subchannel < 0)
            return -1;
        AUSND_CHANNEL* sub = ch;
        for (int n = 0; sub && n < subchannel; ++n)
            sub = sub->nextsub;
        return sub ? static_cast<int>(sub->index) : -1;
    });
}

bool AUSND_3D_GetAttributes(int channel, float* pos, float* vel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, false, [pos, vel](AUSND_CHANNEL* ch) {
        if (pos)
            std::memcpy(pos, ch->pos, sizeof(ch->pos));
        if (vel)
            std::memcpy(vel, ch->vel, sizeof(ch->vel));
        return true;
    });
}

bool AUSND_3D_GetMinMaxDistance(int channel, float* min, float* max)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, false, [min, max](AUSND_CHANNEL* ch) {
        if (min)
            *min = ch->mindistance;
        if (max)
            *max = ch->maxdistance;
        return true;
    });
}

bool AUSND_Reverb_GetChannelProperties(int channel, void* properties72)
{
    AUSND_ClearErrorOnOwner();
    if (!properties72)
        return Fail(AUSND_ERR_INVALID_PARAM);
    return ReadChannel(channel, false, [properties72](AUSND_CHANNEL* ch) {
        std::memcpy(properties72, ch->reverb, sizeof(ch->reverb));
        return true;
    });
}

// ---------------------------------------------------------------- effects

int AUSND_FX_Enable(int channel, unsigned int fxtype)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, -1, [fxtype](AUSND_CHANNEL* ch) {
        const bool idle = !ch->ops.IsPlaying(ch) || (ch->flags & AUSND_CHANNEL_PAUSED);
        const int id = idle ? ch->ops.FX_Enable(ch, fxtype) : -1;
        if (id == -1)
            Fail(AUSND_ERR_INVALID_PARAM);
        return id;
    });
}

bool AUSND_FX_Disable(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ReadChannel(channel, false, [](AUSND_CHANNEL* ch) { return ch->ops.FX_Disable(ch); });
}

namespace
{
// Hands an effect's parameters to the channel that the effect id names.
template <size_t N>
bool SetEffectParameters(int fxid, const float (&params)[N])
{
    AUSND_ClearErrorOnOwner();
    if (fxid & 0x00FF0000)
        return Fail(AUSND_ERR_INVALID_PARAM);
    const int channel = fxid & 0xFFFF;
    return ReadChannel(channel, false, [fxid, &params](AUSND_CHANNEL* ch) {
        return ch->ops.FX_SetParameters(ch, fxid, params, static_cast<int>(N));
    });
}

float F(int value)
{
    return static_cast<float>(value);
}
} // namespace

bool AUSND_FX_SetChorus(int fxid, float wetdrymix, float depth, float feedback, float frequency, int waveform,
                        float delay, int phase)
{
    const float params[] = {wetdrymix, depth, feedback, frequency, F(waveform), delay, F(phase)};
    return SetEffectParameters(fxid, params);
}

bool AUSND_FX_SetCompressor(int fxid, float gain, float attack, float release, float threshold, float ratio,
                            float predelay)
{
    const float params[] = {gain, attack, release, threshold, ratio, predelay};
    return SetEffectParameters(fxid, params);
}

bool AUSND_FX_SetDistortion(int fxid, float gain, float edge, float postEQcenterfrequency, float postEQbandwidth,
                            float prelowpasscutoff)
{
    const float params[] = {gain, edge, postEQcenterfrequency, postEQbandwidth, prelowpasscutoff};
    return SetEffectParameters(fxid, params);
}

bool AUSND_FX_SetEcho(int fxid, float wetdrymix, float feedback, float leftdelay, float rightdelay, int pandelay)
{
    const float params[] = {wetdrymix, feedback, leftdelay, rightdelay, F(pandelay)};
    return SetEffectParameters(fxid, params);
}

bool AUSND_FX_SetFlanger(int fxid, float wetdrymix, float depth, float feedback, float frequency, int waveform,
                         float delay, int phase)
{
    const float params[] = {wetdrymix, depth, feedback, frequency, F(waveform), delay, F(phase)};
    return SetEffectParameters(fxid, params);
}

bool AUSND_FX_SetGargle(int fxid, int ratehz, int waveshape)
{
    const float params[] = {F(ratehz), F(waveshape)};
    return SetEffectParameters(fxid, params);
}

bool AUSND_FX_SetI3DL2Reverb(int fxid, int room, int roomHF, float roomrollofffactor, float decaytime,
                             float decayHFratio, int reflections, float reflectionsdelay, int reverb,
                             float reverbdelay, float diffusion, float density, float HFreference)
{
    const float params[] = {F(room),         F(roomHF), roomrollofffactor, decaytime,
                            decayHFratio,    F(reflections), reflectionsdelay, F(reverb),
                            reverbdelay,     diffusion,      density,          HFreference};
    return SetEffectParameters(fxid, params);
}

bool AUSND_FX_SetParamEQ(int fxid, float center, float bandwidth, float gain)
{
    const float params[] = {center, bandwidth, gain};
    return SetEffectParameters(fxid, params);
}

bool AUSND_FX_SetWavesReverb(int fxid, float ingain, float reverbmix, float reverbtime, float highfreqRTratio)
{
    const float params[] = {ingain, reverbmix, reverbtime, highfreqRTratio};
    return SetEffectParameters(fxid, params);
}

// ---------------------------------------------------------------- envelopes

bool AUSND_SetADSR(int channel, int attackms, int decayms, int sustainlevel, int releasems)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, false, [=](AUSND_CHANNEL* ch) {
        return ch->ops.SetADSR(ch, attackms, decayms, sustainlevel, releasems);
    });
}

bool AUSND_SetADSRKeyoff(int channel)
{
    AUSND_ClearErrorOnOwner();
    return ForChannels(channel, false, [](AUSND_CHANNEL* ch) { return ch->ops.SetADSRKeyoff(ch); });
}

// ---------------------------------------------------------------- 3D

void AUSND_Channel_Update3D(AUSND_CHANNEL* ch)
{
    AUSND_Device* dev = Dev();
    if (!ch->sample || (ch->flags & AUSND_CHANNEL_MUSIC) || (ch->sample->mode & AUSND_STEREO))
        return;
    int pan = ch->pan;
    if (ch->mode & AUSND_2D)
    {
        ch->volumescale3d = 255;
        ch->frequencyscale = 1.0f;
    }
    else
    {
        float bestscale = 0.0f;
        float freqscale = 1.0f;
        for (int n = 0; n < dev->numlisteners; ++n)
        {
            const AUSND_LISTENER& listener = dev->listeners[n];
            const float rel[3] = {ch->pos[0] - listener.pos[0], ch->pos[1] - listener.pos[1],
                                  ch->pos[2] - listener.pos[2]};
            const float d = Length3(rel);
            if (dev->numlisteners == 1 && dev->dopplerfactor > 0.0f)
            {
                const float relprev[3] = {(ch->pos[0] - ch->vel[0]) - (listener.pos[0] - listener.vel[0]),
                                          (ch->pos[1] - ch->vel[1]) - (listener.pos[1] - listener.vel[1]),
                                          (ch->pos[2] - ch->vel[2]) - (listener.pos[2] - listener.vel[2])};
                const float dprev = Length3(relprev);
                const float v = 340.0f * dev->distancefactor;
                freqscale = (v - (d - dprev) * dev->dopplerfactor) / v;
                if (freqscale < 0.00001f)
                    freqscale = 0.00001f;
            }
            float dc = d < ch->mindistance ? ch->mindistance : (d > ch->maxdistance ? ch->maxdistance : d);
            float gain = 1.0f;
            if (dev->rolloffscale != 0.0f)
            {
                if (dc > ch->mindistance && dev->rolloffscale != 1.0f)
                    dc = (dc - ch->mindistance) * dev->rolloffscale + ch->mindistance;
                gain = ch->mindistance / (dc > 0.00001f ? dc : 0.00001f);
            }
            else if (ch->maxdistance > ch->mindistance)
            {
                gain = (ch->maxdistance - dc) / (ch->maxdistance - ch->mindistance);
            }
            gain = gain < 0.0f ? 0.0f : (gain > 1.0f ? 1.0f : gain);
            if (gain * 255.0f > bestscale)
                bestscale = gain * 255.0f;
            if (dev->numlisteners == 1)
            {
                // A sound at the listener's own position has no direction: it sits in the middle.
                float side = 0.0f;
                if (d > 0.0f)
                    side = (rel[0] * listener.right[0] + rel[1] * listener.right[1] + rel[2] * listener.right[2]) / d;
                const int p = Clamp(static_cast<int>(side * 128.0f + 128.0f), 0, 255);
                pan = static_cast<int>((static_cast<float>(p) - 128.0f) * dev->panseparation + 128.0f);
            }
        }
        ch->volumescale3d = static_cast<int32_t>(bestscale);
        ch->frequencyscale = freqscale;
    }
    ch->ops.SetFrequency(ch, ch->frequency);
    ch->ops.SetVolume(ch, MasterScaled(ch));
    ch->ops.SetPan(ch, pan);
}

void AUSND_3D_Listener_SetAttributes(const float* pos, const float* vel, float fx, float fy, float fz, float tx,
                                     float ty, float tz)
{
    AUSND_ClearErrorOnOwner();
    AUSND_LISTENER& l = Dev()->listeners[Dev()->currentlistener];
    l.front[0] = fx;
    l.front[1] = fy;
    l.front[2] = fz;
    l.top[0] = tx;
    l.top[1] = ty;
    l.top[2] = tz;
    if (pos)
        std::memcpy(l.pos, pos, sizeof(l.pos));
    if (vel)
        std::memcpy(l.vel, vel, sizeof(l.vel));
    l.right[0] = l.top[1] * l.front[2] - l.top[2] * l.front[1];
    l.right[1] = l.top[2] * l.front[0] - l.top[0] * l.front[2];
    l.right[2] = l.top[0] * l.front[1] - l.top[1] * l.front[0];
    for (int i = 0; i < 3; ++i)
        l.previouspos[i] = l.pos[i] - l.vel[i];
}

void AUSND_3D_Listener_GetAttributes(float* pos, float* vel, float* fx, float* fy, float* fz, float* tx, float* ty,
                                     float* tz)
{
    const AUSND_LISTENER& l = Dev()->listeners[Dev()->currentlistener];
    if (pos)
        std::memcpy(pos, l.pos, sizeof(l.pos));
    if (vel)
        std::memcpy(vel, l.vel, sizeof(l.vel));
    float* outs[6] = {fx, fy, fz, tx, ty, tz};
    const float values[6] = {l.front[0], l.front[1], l.front[2], l.top[0], l.top[1], l.top[2]};
    for (int i = 0; i < 6; ++i)
    {
        if (outs[i])
            *outs[i] = values[i];
    }
}

void AUSND_3D_Listener_SetCurrent(int current, int numlisteners)
{
    if (numlisteners < 1 || numlisteners > AUSND_MAXLISTENERS)
        numlisteners = 1;
    if (current < 0 || current >= numlisteners)
        return;
    Dev()->currentlistener = current;
    Dev()->numlisteners = numlisteners;
}

void AUSND_3D_SetDopplerFactor(float scale)
{
    Dev()->dopplerfactor = scale;
}

void AUSND_3D_SetDistanceFactor(float scale)
{
    Dev()->distancefactor = scale < 0.00001f ? 100000.0f : 1.0f / scale;
}

void AUSND_3D_SetRolloffFactor(float scale)
{
    Dev()->rolloffscale = scale < 0.0f ? 0.0f : (scale > 10.0f ? 10.0f : scale);
}

bool AUSND_Reverb_SetProperties(const void* properties120)
{
    AUSND_ClearErrorOnOwner();
    AUSND_OUTPUT* output = Dev()->output ? Dev()->output : AUSND_Output_ForType(Dev()->outputtype);
    return output->Reverb_SetProperties(properties120);
}

bool AUSND_Reverb_GetProperties(void* properties120)
{
    AUSND_ClearErrorOnOwner();
    AUSND_OUTPUT* output = Dev()->output ? Dev()->output : AUSND_Output_ForType(Dev()->outputtype);
    return output->Reverb_GetProperties(properties120);
}
