#include "aulos/system_memory.h"

#include "aulos/ausnd_device.h"
#include "aulos/system_string.h"

#include <cstdlib>
#include <cstring>

void* F_Malloc(unsigned int size)
{
    return std::malloc(size);
}

void* F_ReAlloc(void* ptr, unsigned int size)
{
    return std::realloc(ptr, size);
}

void F_Free(void* ptr)
{
    std::free(ptr);
}

namespace
{
constexpr uint32_t kHeaderSize = sizeof(AUSND_MEMHEADER);

AUSND_MEMPOOL* PoolOrDefault(AUSND_MEMPOOL* pool)
{
    return pool ? pool : &AUSND_CurrentDevice->pool;
}

uint32_t BlocksFor(const AUSND_MEMPOOL* pool, uint32_t bytes)
{
    const uint32_t blocks = (bytes + pool->blocksize - 1) / pool->blocksize;
    return blocks ? blocks : 1;
}

bool RunIsFree(const AUSND_MEMPOOL* pool, uint32_t first, uint32_t count)
{
    if (first > pool->numblocks || count > pool->numblocks - first)
        return false;
    for (uint32_t i = first; i < first + count; ++i)
    {
        if (pool->map[i])
            return false;
    }
    return true;
}

// First fit from block 0; -1 when no run is long enough.
int64_t FindRun(const AUSND_MEMPOOL* pool, uint32_t count)
{
    uint32_t run = 0;
    for (uint32_t i = 0; i < pool->numblocks; ++i)
    {
        run = pool->map[i] ? 0 : run + 1;
        if (run == count)
            return static_cast<int64_t>(i) + 1 - count;
    }
    return -1;
}

void MarkRun(AUSND_MEMPOOL* pool, uint32_t first, uint32_t count, uint8_t used)
{
    std::memset(pool->map + first, used, count);
}

void AddToStats(AUSND_MEMPOOL* pool, uint32_t size, uint32_t blocks)
{
    pool->bytesinuse += size;
    if (pool->bytesinuse > pool->peakbytes)
        pool->peakbytes = pool->bytesinuse;
    pool->blocksinuse += blocks;
    if (pool->blocksinuse > pool->peakblocks)
    {
        pool->peakblocks = pool->blocksinuse;
        pool->peakblockbytes = pool->peakblocks * pool->blocksize;
        pool->peakoverhead = pool->peakblockbytes - pool->bytesinuse;
    }
}

void RemoveFromStats(AUSND_MEMPOOL* pool, uint32_t size, uint32_t blocks)
{
    pool->bytesinuse -= size;
    pool->blocksinuse -= blocks;
}

void ResetPool(AUSND_MEMPOOL* pool)
{
    if (pool->custom && pool->map)
        AUSND_Memory_Pool_Free(nullptr, pool->map);
    pool->map = nullptr;
    pool->data = nullptr;
    pool->datasize = 0;
    pool->numblocks = 0;
    pool->blocksinuse = 0;
    pool->peakblocks = 0;
    pool->bytesinuse = 0;
    pool->peakbytes = 0;
    pool->peakblockbytes = 0;
    pool->peakoverhead = 0;
    pool->custom = 0;
    pool->blocksize = 0;
    pool->alloc = F_Malloc;
    pool->realloc = F_ReAlloc;
    pool->free = F_Free;
}

// The checks both pool set-ups make before they touch the pool: memory to
// manage first, then a block size.
bool PoolArgumentsUsable(bool memoryGiven, int blocksize)
{
    if (!memoryGiven)
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return false;
    }
    if (blocksize <= 0)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return false;
    }
    return true;
}

AUSND_MEMHEADER* HeaderOf(const AUSND_MEMPOOL* pool, void* ptr)
{
    if (pool->custom)
        return static_cast<AUSND_MEMHEADER*>(ptr);
    return reinterpret_cast<AUSND_MEMHEADER*>(static_cast<uint8_t*>(ptr) - kHeaderSize);
}

void* UserPointer(const AUSND_MEMPOOL* pool, AUSND_MEMHEADER* header)
{
    if (pool->custom)
        return header;
    return reinterpret_cast<uint8_t*>(header) + kHeaderSize;
}

void* AllocLocked(AUSND_MEMPOOL* pool, unsigned int size)
{
    const uint32_t headerbytes = pool->custom ? 0 : kHeaderSize;
    if (size > UINT32_MAX - kHeaderSize)
        return nullptr;
    const uint32_t total = size + headerbytes;

    AUSND_MEMHEADER* header = nullptr;
    uint32_t blocks = 0;
    uint32_t first = 0;
    if (pool->alloc && !pool->custom)
    {
        header = static_cast<AUSND_MEMHEADER*>(pool->alloc(total));
        if (!header)
            return nullptr;
    }
    else
    {
        if (!pool->blocksize)
            return nullptr;
        blocks = BlocksFor(pool, total);
        const int64_t found = FindRun(pool, blocks);
        if (found < 0)
            return nullptr;
        first = static_cast<uint32_t>(found);
        if (pool->custom)
        {
            header = static_cast<AUSND_MEMHEADER*>(AUSND_Memory_Pool_Alloc(nullptr, kHeaderSize));
            if (!header)
                return nullptr;
        }
        else
        {
            header = reinterpret_cast<AUSND_MEMHEADER*>(pool->data + static_cast<size_t>(first) * pool->blocksize);
        }
        MarkRun(pool, first, blocks, 1);
    }
    header->size = size;
    header->blocks = blocks;
    header->first = first;
    header->spare = 0;
    AddToStats(pool, size, blocks);
    return UserPointer(pool, header);
}
} // namespace

void* AUSND_Memory_Pool_Alloc(AUSND_MEMPOOL* pool, unsigned int size)
{
    pool = PoolOrDefault(pool);
    std::lock_guard<std::mutex> guard(pool->lock);
    return AllocLocked(pool, size);
}

void* AUSND_Memory_Pool_Calloc(AUSND_MEMPOOL* pool, unsigned int size, const char* /*file*/, int /*line*/)
{
    pool = PoolOrDefault(pool);
    if (pool->custom)
        return nullptr; // its blocks are not memory of ours to clear
    void* ptr = AUSND_Memory_Pool_Alloc(pool, size);
    if (ptr)
        std::memset(ptr, 0, size);
    return ptr;
}

void AUSND_Memory_Pool_Free(AUSND_MEMPOOL* pool, void* ptr)
{
    if (!ptr)
        return;
    pool = PoolOrDefault(pool);
    std::lock_guard<std::mutex> guard(pool->lock);
    AUSND_MEMHEADER* header = HeaderOf(pool, ptr);
    RemoveFromStats(pool, header->size, header->blocks);
    if (pool->custom)
    {
        MarkRun(pool, header->first, header->blocks, 0);
        AUSND_Memory_Pool_Free(nullptr, header);
        return;
    }
    if (pool->free && pool->alloc)
    {
        pool->free(header);
        return;
    }
    MarkRun(pool, header->first, header->blocks, 0);
}

void* AUSND_Memory_Pool_ReAlloc(AUSND_MEMPOOL* pool, void* ptr, unsigned int size, const char* /*file*/,
                                int /*line*/)
{
    pool = PoolOrDefault(pool);
    if (!ptr)
        return AUSND_Memory_Pool_Alloc(pool, size);
    std::lock_guard<std::mutex> guard(pool->lock);
    if (size > UINT32_MAX - kHeaderSize)
        return nullptr;
    AUSND_MEMHEADER* header = HeaderOf(pool, ptr);
    const uint32_t oldsize = header->size;
    const uint32_t oldblocks = header->blocks;
    const uint32_t oldfirst = header->first;
    const uint32_t headerbytes = pool->custom ? 0 : kHeaderSize;
    RemoveFromStats(pool, oldsize, oldblocks);

    if (pool->realloc && pool->alloc && !pool->custom)
    {
        AUSND_MEMHEADER* moved = static_cast<AUSND_MEMHEADER*>(pool->realloc(header, size + kHeaderSize));
        if (!moved)
        {
            AddToStats(pool, oldsize, oldblocks); // the old block is still the caller's
            return nullptr;
        }
        moved->size = size;
        AddToStats(pool, size, 0);
        return UserPointer(pool, moved);
    }

    const uint32_t blocks = BlocksFor(pool, size + headerbytes);
    MarkRun(pool, oldfirst, oldblocks, 0);
    uint32_t first = oldfirst;
    if (!RunIsFree(pool, oldfirst, blocks))
    {
        const int64_t found = FindRun(pool, blocks);
        if (found < 0)
        {
            // No room: the caller's block stays valid and keeps its blocks.
            MarkRun(pool, oldfirst, oldblocks, 1);
            AddToStats(pool, oldsize, oldblocks);
            return nullptr;
        }
        first = static_cast<uint32_t>(found);
    }
    MarkRun(pool, first, blocks, 1);
    if (!pool->custom && first != oldfirst)
    {
        AUSND_MEMHEADER* moved =
            reinterpret_cast<AUSND_MEMHEADER*>(pool->data + static_cast<size_t>(first) * pool->blocksize);
        F_memmove(moved, header, kHeaderSize + (oldsize < size ? oldsize : size));
        header = moved;
    }
    header->size = size;
    header->blocks = blocks;
    header->first = first;
    AddToStats(pool, size, blocks);
    return UserPointer(pool, header);
}

void* AUSND_Memory_Alloc(unsigned int size)
{
    return AUSND_Memory_Pool_Alloc(nullptr, size);
}

void* AUSND_Memory_Calloc(unsigned int size)
{
    return AUSND_Memory_Pool_Calloc(nullptr, size, __FILE__, __LINE__);
}

void* AUSND_Memory_ReAlloc(void* ptr, unsigned int size)
{
    return AUSND_Memory_Pool_ReAlloc(nullptr, ptr, size, __FILE__, __LINE__);
}

void AUSND_Memory_Free(void* ptr)
{
    AUSND_Memory_Pool_Free(nullptr, ptr);
}

bool AUSND_Memory_InitPool(AUSND_MEMPOOL* pool, void* memory, int length, int blocksize)
{
    if (!PoolArgumentsUsable(pool && memory && length > 0, blocksize))
        return false;
    std::lock_guard<std::mutex> guard(pool->lock);
    ResetPool(pool);

    const uintptr_t base = reinterpret_cast<uintptr_t>(memory);
    const uintptr_t start = (base + 15) & ~static_cast<uintptr_t>(15);
    if (start - base >= static_cast<uintptr_t>(length))
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return false;
    }
    const uint64_t usable = static_cast<uint64_t>(length) - (start - base);
    const uint64_t size = static_cast<uint64_t>(blocksize);
    // The map (one byte a block, padded to keep the data 16-byte aligned) and
    // the blocks themselves must both fit inside the caller's memory.
    uint64_t blocks = usable / (size + 1);
    auto mapBytes = [](uint64_t n) { return (n + 15) & ~static_cast<uint64_t>(15); };
    while (blocks > 0 && mapBytes(blocks) + blocks * size > usable)
        --blocks;
    if (blocks == 0 || blocks * size > UINT32_MAX)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return false;
    }

    pool->map = reinterpret_cast<uint8_t*>(start);
    pool->data = pool->map + mapBytes(blocks);
    pool->numblocks = static_cast<uint32_t>(blocks);
    pool->datasize = static_cast<uint32_t>(blocks * size);
    pool->blocksize = static_cast<uint32_t>(blocksize);
    pool->alloc = nullptr;
    pool->realloc = nullptr;
    pool->free = nullptr;
    std::memset(pool->map, 0, static_cast<size_t>(mapBytes(blocks)) + pool->datasize);
    return true;
}

bool AUSND_Memory_InitCustomPool(AUSND_MEMPOOL* pool, void* base, int length, int blocksize)
{
    // The default pool holds the custom pool's map and headers, so it cannot be one itself.
    if (!PoolArgumentsUsable(pool && length > 0 && pool != &AUSND_CurrentDevice->pool, blocksize))
        return false;
    std::lock_guard<std::mutex> guard(pool->lock);
    ResetPool(pool);
    const uint32_t blocks = ((static_cast<uint32_t>(length) + blocksize - 1) / blocksize) & ~3u;
    if (blocks == 0)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return false;
    }
    uint8_t* map = static_cast<uint8_t*>(AUSND_Memory_Pool_Calloc(nullptr, blocks, __FILE__, __LINE__));
    if (!map)
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return false;
    }
    pool->map = map;
    pool->data = static_cast<uint8_t*>(base);
    pool->numblocks = blocks;
    pool->datasize = blocks * static_cast<uint32_t>(blocksize);
    pool->blocksize = static_cast<uint32_t>(blocksize);
    pool->custom = 1;
    pool->alloc = nullptr;
    pool->realloc = nullptr;
    pool->free = nullptr;
    return true;
}

void AUSND_Memory_ClosePool(AUSND_MEMPOOL* pool)
{
    pool = PoolOrDefault(pool);
    std::lock_guard<std::mutex> guard(pool->lock);
    ResetPool(pool);
}

unsigned int AUSND_Memory_Pool_GetAvailable(AUSND_MEMPOOL* pool)
{
    pool = PoolOrDefault(pool);
    std::lock_guard<std::mutex> guard(pool->lock);
    return (pool->numblocks - pool->blocksinuse) * pool->blocksize;
}

unsigned int AUSND_Memory_GetFree()
{
    return AUSND_Memory_Pool_GetAvailable(nullptr);
}

int AUSND_Memory_FindFreeBlocks(AUSND_MEMPOOL* pool, int from, int to, int count, int* longest)
{
    pool = PoolOrDefault(pool);
    std::lock_guard<std::mutex> guard(pool->lock);
    if (longest)
        *longest = 0;
    if (from < 0)
        from = 0;
    if (to > static_cast<int>(pool->numblocks))
        to = static_cast<int>(pool->numblocks);
    int run = 0;
    for (int i = from; i < to; ++i)
    {
        run = pool->map[i] ? 0 : run + 1;
        if (longest && run > *longest)
            *longest = run;
        if (count > 0 && run == count)
            return i + 1 - count;
    }
    return -1;
}

bool AUSND_SetMemorySystem(void* poolmem, int poollen, AUSND_ALLOCCALLBACK useralloc,
                           AUSND_REALLOCCALLBACK userrealloc, AUSND_FREECALLBACK userfree)
{
    AUSND_ClearErrorOnOwner();
    AUSND_Device* dev = AUSND_CurrentDevice;
    if (dev->initialised)
    {
        AUSND_ErrorNo = AUSND_ERR_BUSY;
        return false;
    }
    const bool anyCallback = useralloc || userrealloc || userfree;
    const bool allCallbacks = useralloc && userrealloc && userfree;
    if (poolmem && poollen > 0 && !anyCallback)
    {
        if (poollen % 256 != 0)
        {
            AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
            return false;
        }
        if (!AUSND_Memory_InitPool(&dev->pool, poolmem, poollen, 256))
            return false;
        AUSND_Device_Reset();
        return true;
    }
    if (!poolmem && poollen == 0 && allCallbacks)
    {
        AUSND_Memory_ClosePool(&dev->pool);
        std::lock_guard<std::mutex> guard(dev->pool.lock);
        dev->pool.alloc = useralloc;
        dev->pool.realloc = userrealloc;
        dev->pool.free = userfree;
        return true;
    }
    if (!poolmem && poollen == 0 && !anyCallback)
    {
        AUSND_Memory_ClosePool(&dev->pool);
        return true;
    }
    AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
    return false;
}

void AUSND_GetMemoryStats(unsigned int* current, unsigned int* max)
{
    AUSND_MEMPOOL* pool = &AUSND_CurrentDevice->pool;
    std::lock_guard<std::mutex> guard(pool->lock);
    const bool blockpool = !pool->alloc && pool->blocksize;
    if (current)
        *current = blockpool ? pool->blocksinuse * pool->blocksize : pool->bytesinuse;
    if (max)
        *max = blockpool ? pool->peakblocks * pool->blocksize : pool->peakbytes;
}
