// Memory pools of the sound system: every allocation goes through a pool, which
// is either the C library's heap (or the caller's callbacks) or a block pool
// over a fixed piece of memory handed over by the application.
#pragma once

#include <cstdint>
#include <mutex>

typedef void* (*AUSND_ALLOCCALLBACK)(unsigned int size);
typedef void* (*AUSND_REALLOCCALLBACK)(void* ptr, unsigned int size);
typedef void (*AUSND_FREECALLBACK)(void* ptr);

void* F_Malloc(unsigned int size);
void* F_ReAlloc(void* ptr, unsigned int size);
void F_Free(void* ptr);

// Precedes every allocation of a non-custom pool; the caller gets the address just behind it.
struct AUSND_MEMHEADER
{
    uint32_t size;   // requested bytes
    uint32_t blocks; // 0 for callback allocations
    uint32_t first;  // first block index
    uint32_t spare;
};
static_assert(sizeof(AUSND_MEMHEADER) == 16, "the header keeps allocations 16-byte aligned");

struct AUSND_MEMPOOL
{
    uint8_t* map = nullptr; // one byte per block: 0 free, 1 used
    uint8_t* data = nullptr;
    uint32_t datasize = 0;
    uint32_t numblocks = 0;
    uint32_t blocksinuse = 0;
    uint32_t peakblocks = 0;
    uint32_t bytesinuse = 0;
    uint32_t peakbytes = 0;
    uint32_t peakblockbytes = 0;
    uint32_t peakoverhead = 0;
    uint8_t custom = 0; // blocks describe memory the pool never touches
    uint32_t blocksize = 0;
    AUSND_ALLOCCALLBACK alloc = F_Malloc; // when set, the blocks are not used
    AUSND_REALLOCCALLBACK realloc = F_ReAlloc;
    AUSND_FREECALLBACK free = F_Free;
    std::mutex lock; // several sound-system threads allocate at once
};

// A null pool means the device's default pool.
void* AUSND_Memory_Pool_Alloc(AUSND_MEMPOOL* pool, unsigned int size);
void* AUSND_Memory_Pool_Calloc(AUSND_MEMPOOL* pool, unsigned int size, const char* file, int line);
void* AUSND_Memory_Pool_ReAlloc(AUSND_MEMPOOL* pool, void* ptr, unsigned int size, const char* file, int line);
void AUSND_Memory_Pool_Free(AUSND_MEMPOOL* pool, void* ptr);
void* AUSND_Memory_Alloc(unsigned int size);
void* AUSND_Memory_Calloc(unsigned int size);
void* AUSND_Memory_ReAlloc(void* ptr, unsigned int size);
void AUSND_Memory_Free(void* ptr);

bool AUSND_Memory_InitPool(AUSND_MEMPOOL* pool, void* memory, int length, int blocksize);
bool AUSND_Memory_InitCustomPool(AUSND_MEMPOOL* pool, void* base, int length, int blocksize);
void AUSND_Memory_ClosePool(AUSND_MEMPOOL* pool);

unsigned int AUSND_Memory_GetFree();
unsigned int AUSND_Memory_Pool_GetAvailable(AUSND_MEMPOOL* pool);
int AUSND_Memory_FindFreeBlocks(AUSND_MEMPOOL* pool, int from, int to, int count, int* longest);
