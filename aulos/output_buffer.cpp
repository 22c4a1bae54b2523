// The primary mix buffer as the SDL and capture outputs hold it: plain memory
// of 16-bit frames that clip-and-copy writes one block at a time.
#include "aulos/ausnd_device.h"

namespace
{
uint32_t FrameBytes(const AUSND_SAMPLE* sample)
{
    const uint32_t channels = (sample->mode & AUSND_STEREO) ? 2 : 1;
    return channels * ((sample->mode & AUSND_16BITS) ? 2 : 1);
}

void BufferFree(AUSND_SAMPLE* sample)
{
    AUSND_Memory_Free(sample->data);
    sample->data = nullptr;
}

bool BufferLock(AUSND_SAMPLE* sample, uint32_t offset, uint32_t length, void** ptr1, void** ptr2, uint32_t* len1,
                uint32_t* len2)
{
    const uint32_t size = sample->length * FrameBytes(sample);
    if (!sample->data || offset > size)
        return false;
    uint8_t* data = static_cast<uint8_t*>(sample->data);
    *ptr1 = data + offset;
    *len1 = length < size - offset ? length : size - offset;
    const uint32_t rest = length - *len1;
    *ptr2 = rest ? data : nullptr;
    *len2 = rest < offset ? rest : offset;
    return true;
}

bool BufferUnlock(AUSND_SAMPLE*, void*, void*, uint32_t, uint32_t)
{
    return true;
}
} // namespace

bool AUSND_Output_BufferAlloc(AUSND_SAMPLE* sample)
{
    const uint64_t bytes = static_cast<uint64_t>(sample->length) * FrameBytes(sample) + 8;
    if (bytes > UINT32_MAX)
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return false;
    }
    sample->data = AUSND_Memory_Calloc(static_cast<unsigned int>(bytes));
    if (!sample->data)
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return false;
    }
    return true;
}

void AUSND_Output_SetBufferSampleFunctions(AUSND_SAMPLE* sample)
{
    sample->AllocData = AUSND_Output_BufferAlloc;
    sample->FreeData = BufferFree;
    sample->UploadData = nullptr;
    sample->LockData = BufferLock;
    sample->UnlockData = BufferUnlock;
}
