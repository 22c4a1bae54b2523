// Processing units: the ordered chain that every mixed block passes through.
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

// Units of equal priority run in the order in which they were placed.
void InsertByPriority(AUSND_DSPUNIT* unit)
{
    AUSND_LINK* ring = &Dev()->unitring;
    AUSND_LINK* at = ring->next;
    while (at != ring && AUSND_UnitOfLink(at)->priority <= unit->priority)
        at = at->next;
    AUSND_Link_InsertBefore(at, &unit->link);
}

AUSND_DSPUNIT* BuiltIn(AUSND_DSPUNIT* unit)
{
    AUSND_ClearErrorOnOwner();
    if (!Dev()->initialised)
    {
        Fail(AUSND_ERR_UNINITIALIZED);
        return nullptr;
    }
    return unit;
}

void ForgetBuiltIn(AUSND_DSPUNIT* unit)
{
    AUSND_Device* dev = Dev();
    AUSND_DSPUNIT** builtins[] = {&dev->unitclear, &dev->unitsfx, &dev->unitmusic, &dev->unitclipcopy,
                                  &dev->unitlevels, &dev->unitfft};
    for (AUSND_DSPUNIT** slot : builtins)
    {
        if (*slot == unit)
            *slot = nullptr;
    }
}

// The device's own units live as long as the mixer: callers may not free them.
bool IsBuiltIn(const AUSND_DSPUNIT* unit)
{
    const AUSND_Device* dev = Dev();
    const AUSND_DSPUNIT* builtins[] = {dev->unitclear,    dev->unitsfx,    dev->unitmusic,
                                       dev->unitclipcopy, dev->unitlevels, dev->unitfft};
    for (const AUSND_DSPUNIT* builtin : builtins)
    {
        if (builtin == unit)
            return true;
    }
    return false;
}

void ReleaseUnit(AUSND_DSPUNIT* unit)
{
    AUSND_Link_Remove(&unit->link);
    AUSND_Software_DetachUnitChannels(unit);
    ForgetBuiltIn(unit);
    AUSND_Memory_Free(unit);
}
} // namespace

void AUSND_DSP_Init()
{
    AUSND_Device* dev = Dev();
    std::lock_guard<std::recursive_mutex> guard(dev->unitlock);
    AUSND_Link_Init(&dev->unitring);
}

bool AUSND_DSP_VerifyUnit(AUSND_DSPUNIT* unit)
{
    if (!unit)
        return true;
    AUSND_LINK* ring = &Dev()->unitring;
    if (!ring->next)
        return false;
    for (AUSND_LINK* link = ring->next; link != ring; link = link->next)
    {
        if (AUSND_UnitOfLink(link) == unit)
            return true;
    }
    return false;
}

AUSND_DSPUNIT* AUSND_DSP_CreateUnit(AUSND_DSPCALLBACK callback, int priority, void* param)
{
    AUSND_DSPUNIT* unit = static_cast<AUSND_DSPUNIT*>(AUSND_Memory_Calloc(sizeof(AUSND_DSPUNIT)));
    if (!unit)
        return nullptr;
    unit->callback = callback;
    unit->priority = priority < 0 ? 0 : priority;
    unit->param = param;
    AUSND_Link_Init(&unit->channelring);
    std::lock_guard<std::recursive_mutex> guard(Dev()->unitlock);
    InsertByPriority(unit);
    return unit;
}

void AUSND_DSP_Release(AUSND_DSPUNIT* unit)
{
    std::lock_guard<std::recursive_mutex> guard(Dev()->unitlock);
    if (unit && AUSND_DSP_VerifyUnit(unit))
        ReleaseUnit(unit);
}

void AUSND_DSP_FreeAll()
{
    AUSND_Device* dev = Dev();
    std::lock_guard<std::recursive_mutex> guard(dev->unitlock);
    if (!dev->unitring.next)
        return;
    while (!AUSND_Link_IsEmpty(&dev->unitring))
        ReleaseUnit(AUSND_UnitOfLink(dev->unitring.next));
}

AUSND_DSPUNIT* AUSND_DSP_Create(AUSND_DSPCALLBACK callback, int priority, void* param)
{
    AUSND_ClearErrorOnOwner();
    if (!Dev()->initialised)
    {
        Fail(AUSND_ERR_UNINITIALIZED);
        return nullptr;
    }
    AUSND_DSPUNIT* unit = AUSND_DSP_CreateUnit(callback, priority, param);
    if (!unit)
        Fail(AUSND_ERR_MEMORY);
    return unit;
}

void AUSND_DSP_Free(AUSND_DSPUNIT* unit)
{
    AUSND_ClearErrorOnOwner();
    if (!unit)
        return;
    // The lock waits for a mix in progress: the ring never changes under a walk.
    std::lock_guard<std::recursive_mutex> guard(Dev()->unitlock);
    if (!AUSND_DSP_VerifyUnit(unit) || IsBuiltIn(unit))
    {
        Fail(AUSND_ERR_INVALID_PARAM);
        return;
    }
    ReleaseUnit(unit);
}

void AUSND_DSP_SetPriority(AUSND_DSPUNIT* unit, int priority)
{
    AUSND_ClearErrorOnOwner();
    if (!unit)
        return;
    std::lock_guard<std::recursive_mutex> guard(Dev()->unitlock);
    if (!AUSND_DSP_VerifyUnit(unit))
    {
        Fail(AUSND_ERR_INVALID_PARAM);
        return;
    }
    unit->priority = priority < 0 ? 0 : priority;
    AUSND_Link_Remove(&unit->link);
    InsertByPriority(unit);
}

int AUSND_DSP_GetPriority(AUSND_DSPUNIT* unit)
{
    if (!unit)
        return -1;
    std::lock_guard<std::recursive_mutex> guard(Dev()->unitlock);
    return unit->priority;
}

void AUSND_DSP_SetActive(AUSND_DSPUNIT* unit, bool active)
{
    if (!unit)
        return;
    std::lock_guard<std::recursive_mutex> guard(Dev()->unitlock);
    unit->active = active ? 1 : 0;
}

bool AUSND_DSP_GetActive(AUSND_DSPUNIT* unit)
{
    if (!unit)
        return false;
    std::lock_guard<std::recursive_mutex> guard(Dev()->unitlock);
    return unit->active != 0;
}

AUSND_DSPUNIT* AUSND_DSP_GetClearUnit()
{
    return BuiltIn(Dev()->unitclear);
}

AUSND_DSPUNIT* AUSND_DSP_GetSFXUnit()
{
    return BuiltIn(Dev()->unitsfx);
}

AUSND_DSPUNIT* AUSND_DSP_GetMusicUnit()
{
    return BuiltIn(Dev()->unitmusic);
}

AUSND_DSPUNIT* AUSND_DSP_GetClipAndCopyUnit()
{
    return BuiltIn(Dev()->unitclipcopy);
}

int AUSND_DSP_GetBufferLength()
{
    return Dev()->blocklength;
}

int AUSND_DSP_GetBufferLengthTotal()
{
    return Dev()->totalmixlength;
}

bool AUSND_DSP_ClearMixBuffer()
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = Dev();
    if (!dev->initialised || !dev->mixer)
        return Fail(AUSND_ERR_UNINITIALIZED);
    std::lock_guard<std::recursive_mutex> guard(dev->unitlock);
    dev->mixer->Clear(dev->mixer->mixbufferaligned, dev->totalmixlength);
    AUSND_SAMPLE* primary = dev->primarysample;
    // The primary buffer holds 16-bit frames of the mixer's channel count.
    if (primary && primary->data)
        std::memset(primary->data, 0, static_cast<size_t>(dev->totalmixlength) * dev->mixer->channels * 2);
    return true;
}
