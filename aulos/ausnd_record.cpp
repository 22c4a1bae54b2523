// Recording into a sample and CD audio. This platform has neither an input
// device nor CD tracks behind them: the calls keep their checks and report
// that recording is not possible and that no track plays.
#include "aulos/ausnd_device.h"

#include <cstring>

namespace
{
AUSND_Device* Dev()
{
    return AUSND_CurrentDevice;
}

bool Fail(int error)
{
    AUSND_ErrorNo = error;
    return false;
}

bool EnsureRecordDrivers()
{
    AUSND_Device* dev = Dev();
    if (!dev->initialised || !dev->output)
        return Fail(AUSND_ERR_UNINITIALIZED);
    if (dev->numrecorddrivers == 0)
        dev->output->Record_EnumerateDrivers();
    return true;
}

signed char g_nCDPlayMode = 0;
} // namespace

bool AUSND_Record_EnumerateDrivers()
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (!dev->initialised || !dev->output)
        return Fail(AUSND_ERR_UNINITIALIZED);
    dev->numrecorddrivers = 0;
    return dev->output->Record_EnumerateDrivers();
}

int AUSND_Record_GetNumDrivers()
{
    AUSND_ClearErrorOnOwner();
    if (!EnsureRecordDrivers())
        return 0;
    return Dev()->numrecorddrivers;
}

const char* AUSND_Record_GetDriverName(int id)
{
    AUSND_ClearErrorOnOwner();
    if (!EnsureRecordDrivers())
        return nullptr;
    if (id >= Dev()->numrecorddrivers)
    {
        Fail(AUSND_ERR_INVALID_PARAM);
        return nullptr;
    }
    return Dev()->recorddrivernames[id < 0 ? 0 : id];
}

bool AUSND_Record_SetDriver(int outputtype)
{
    AUSND_ClearErrorOnOwner();
    if (!EnsureRecordDrivers())
        return false;
    AUSND_Device* dev = Dev();
    dev->recorddriver = (outputtype < 0 || outputtype >= dev->numrecorddrivers) ? 0 : outputtype;
    return dev->output->Record_Initialize(dev->recorddriver);
}

int AUSND_Record_GetDriver()
{
    return Dev()->recorddriver < 0 ? 0 : Dev()->recorddriver;
}

bool AUSND_Record_StartSample(AUSND_SAMPLE* sample, signed char loop)
{
    AUSND_ClearErrorOnOwner();
    if (!sample)
        return Fail(AUSND_ERR_INVALID_PARAM);
    AUSND_Device* dev = Dev();
    if (!dev->initialised || !dev->output)
        return Fail(AUSND_ERR_UNINITIALIZED);
    if (dev->recorddriver < 0)
        dev->recorddriver = 0;
    AUSND_Record_Stop();
    dev->recording = true;
    dev->recordposition = 0;
    dev->recordloop = loop != 0;
    dev->recordsample = sample;
    if (!dev->output->Record_Start(sample->length, sample->mode, sample->deffreq))
    {
        dev->recording = false;
        dev->recordsample = nullptr;
        return false;
    }
    return true;
}

bool AUSND_Record_Stop()
{
    AUSND_Device* dev = Dev();
    if (!dev->initialised || !dev->output)
        return false;
    if (dev->recording)
        dev->output->Record_Stop();
    dev->recording = false;
    dev->recordsample = nullptr;
    return true;
}

int AUSND_Record_GetPosition()
{
    AUSND_Device* dev = Dev();
    if (!dev->initialised)
        return -1;
    return static_cast<int>(dev->recordposition);
}

void AUSND_Record_Fill(uint32_t position, uint32_t length)
{
    AUSND_Device* dev = Dev();
    AUSND_SAMPLE* sample = dev->recordsample;
    if (!dev->recording || !sample || sample->length == 0)
        return;
    const uint32_t framebytes = ((sample->mode & AUSND_16BITS) ? 2 : 1) * ((sample->mode & AUSND_STEREO) ? 2 : 1);
    uint32_t srcoffset = position * framebytes;
    uint32_t remaining = length * framebytes;
    while (remaining > 0 && dev->recording)
    {
        const uint32_t room = (sample->length - dev->recordposition) * framebytes;
        const uint32_t n = remaining < room ? remaining : room;
        void* rp1 = nullptr;
        void* rp2 = nullptr;
        uint32_t rl1 = 0;
        uint32_t rl2 = 0;
        void* sp1 = nullptr;
        void* sp2 = nullptr;
        uint32_t sl1 = 0;
        uint32_t sl2 = 0;
        if (!dev->output->Record_Lock(srcoffset, n, &rp1, &rp2, &rl1, &rl2) ||
            !sample->LockData(sample, dev->recordposition * framebytes, n, &sp1, &sp2, &sl1, &sl2))
            return;
        // Both sides may wrap: copy through a byte cursor over the two pieces of each.
        for (uint32_t i = 0; i < n; ++i)
        {
            const uint8_t* from = i < rl1 ? static_cast<uint8_t*>(rp1) + i : static_cast<uint8_t*>(rp2) + (i - rl1);
            uint8_t* to = i < sl1 ? static_cast<uint8_t*>(sp1) + i : static_cast<uint8_t*>(sp2) + (i - sl1);
            if ((i < rl1 ? rp1 : rp2) && (i < sl1 ? sp1 : sp2))
                *to = *from;
        }
        AUSND_Sample_AdjustLoopPoints(sample);
        dev->output->Record_Unlock(rp1, rp2, rl1, rl2);
        sample->UnlockData(sample, sp1, sp2, sl1, sl2);
        dev->recordposition += n / framebytes;
        srcoffset += n;
        remaining -= n;
        if (dev->recordposition >= sample->length)
        {
            dev->recordposition = 0;
            if (!dev->recordloop)
                dev->recording = false;
        }
    }
}

bool AUSND_CD_Init()
{
    return true;
}

bool AUSND_CD_Open(char /*drive*/)
{
    return true; // counts the CD's track files: there are none
}

bool AUSND_CD_Play(char /*drive*/, int /*track*/)
{
    return false;
}

bool AUSND_CD_Stop(char /*drive*/)
{
    return true;
}

bool AUSND_CD_Eject(char /*drive*/)
{
    return true;
}

bool AUSND_CD_SetPlayMode(char /*drive*/, signed char mode)
{
    g_nCDPlayMode = mode;
    return true;
}

bool AUSND_CD_SetPaused(char /*drive*/, bool /*paused*/)
{
    return false;
}

bool AUSND_CD_GetPaused(char /*drive*/)
{
    return false;
}

bool AUSND_CD_SetVolume(char /*drive*/, int /*volume*/)
{
    return false;
}

int AUSND_CD_GetVolume(char /*drive*/)
{
    return 0;
}

bool AUSND_CD_SetTrackTime(char /*drive*/, unsigned int /*ms*/)
{
    return false;
}

unsigned int AUSND_CD_GetTrackTime(char /*drive*/)
{
    return 0;
}

int AUSND_CD_GetTrack(char /*drive*/)
{
    return 0;
}

int AUSND_CD_GetNumTracks(char /*drive*/)
{
    return 1;
}

int AUSND_CD_GetTrackLength(char /*drive*/, int /*track*/)
{
    return 0;
}

bool AUSND_CD_Close(char /*drive*/)
{
    return true;
}
