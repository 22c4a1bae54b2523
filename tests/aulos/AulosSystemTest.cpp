#include "aulos/ausnd.h"
#include "aulos/ausnd_device.h"
#include "aulos/system_memory.h"
#include "aulos/system_string.h"
#include "aulos/system_thread.h"
#include "aulos/system_time.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace
{
// A 16-byte aligned piece of memory for block pools.
struct alignas(16) Arena
{
    uint8_t bytes[1 << 20];
};

class AulosPool : public ::testing::Test
{
protected:
    void TearDown() override { AUSND_Memory_ClosePool(&m_Pool); }

    void Init(int length, int blocksize = 256)
    {
        ASSERT_TRUE(AUSND_Memory_InitPool(&m_Pool, m_Arena.bytes, length, blocksize));
    }

    int BlocksInUse() const { return static_cast<int>(m_Pool.blocksinuse); }

    AUSND_MEMPOOL m_Pool;
    Arena m_Arena;
};

int FirstBlock(AUSND_MEMPOOL* pool, void* ptr)
{
    return static_cast<int>((static_cast<uint8_t*>(ptr) - 16 - pool->data) / pool->blocksize);
}
} // namespace

TEST_F(AulosPool, MapAndBlocksFitInsideTheCallersMemory)
{
    struct Case
    {
        int length;
        uint32_t blocks;
    };
    for (const Case& c : {Case{1 << 20, 4080}, Case{4096, 15}, Case{1024, 3}})
    {
        Init(c.length);
        EXPECT_EQ(m_Pool.numblocks, c.blocks) << c.length;
        EXPECT_LE(m_Pool.data + m_Pool.datasize, m_Arena.bytes + c.length) << c.length;
        EXPECT_GE(m_Pool.data, m_Pool.map + m_Pool.numblocks);
    }
    // Too small to hold one block besides its map.
    EXPECT_FALSE(AUSND_Memory_InitPool(&m_Pool, m_Arena.bytes, 256, 256));
    EXPECT_FALSE(AUSND_Memory_InitPool(&m_Pool, nullptr, 4096, 256));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_MEMORY);
}

TEST_F(AulosPool, AllocationsTakeWholeBlocksFirstFit)
{
    Init(4096);
    void* one = AUSND_Memory_Pool_Alloc(&m_Pool, 1);
    EXPECT_EQ(BlocksInUse(), 1); // 16 of the 256 bytes are the header
    void* two = AUSND_Memory_Pool_Alloc(&m_Pool, 241);
    EXPECT_EQ(BlocksInUse(), 3);
    void* three = AUSND_Memory_Pool_Alloc(&m_Pool, 1);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(one) % 16, 0u);

    AUSND_Memory_Pool_Free(&m_Pool, two);
    void* reused = AUSND_Memory_Pool_Alloc(&m_Pool, 241);
    EXPECT_EQ(reused, two);
    EXPECT_EQ(AUSND_Memory_Pool_GetAvailable(&m_Pool), (15u - 4u) * 256u);

    // Exhaustion gives null and leaves the pool as it was.
    EXPECT_EQ(AUSND_Memory_Pool_Alloc(&m_Pool, 20 * 256), nullptr);
    EXPECT_EQ(BlocksInUse(), 4);
    AUSND_Memory_Pool_Free(&m_Pool, one);
    AUSND_Memory_Pool_Free(&m_Pool, reused);
    AUSND_Memory_Pool_Free(&m_Pool, three);
    EXPECT_EQ(BlocksInUse(), 0);
}

TEST_F(AulosPool, ReallocationStaysInPlaceWhenItCan)
{
    Init(8192);
    uint8_t* block = static_cast<uint8_t*>(AUSND_Memory_Pool_Alloc(&m_Pool, 600));
    std::memset(block, 0x5A, 600);
    const int first = FirstBlock(&m_Pool, block);
    EXPECT_EQ(AUSND_Memory_Pool_ReAlloc(&m_Pool, block, 100, __FILE__, __LINE__), block); // shrinks in place
    EXPECT_EQ(BlocksInUse(), 1);
    EXPECT_EQ(AUSND_Memory_Pool_ReAlloc(&m_Pool, block, 1000, __FILE__, __LINE__), block); // grows into free blocks
    EXPECT_EQ(BlocksInUse(), 4);
    EXPECT_EQ(FirstBlock(&m_Pool, block), first);

    // Blocked on the right: it moves and keeps its data.
    void* neighbour = AUSND_Memory_Pool_Alloc(&m_Pool, 1);
    uint8_t* moved = static_cast<uint8_t*>(AUSND_Memory_Pool_ReAlloc(&m_Pool, block, 1200, __FILE__, __LINE__));
    ASSERT_NE(moved, nullptr);
    EXPECT_NE(moved, block);
    EXPECT_EQ(moved[0], 0x5A);
    EXPECT_EQ(moved[99], 0x5A);
    AUSND_Memory_Pool_Free(&m_Pool, moved);
    AUSND_Memory_Pool_Free(&m_Pool, neighbour);
    EXPECT_EQ(BlocksInUse(), 0);
}

TEST_F(AulosPool, FailedReallocationKeepsTheOldBlock)
{
    Init(4096); // 15 blocks
    uint8_t* block = static_cast<uint8_t*>(AUSND_Memory_Pool_Alloc(&m_Pool, 500));
    std::memset(block, 0x33, 500);
    EXPECT_EQ(AUSND_Memory_Pool_ReAlloc(&m_Pool, block, 10000, __FILE__, __LINE__), nullptr);
    EXPECT_EQ(BlocksInUse(), 3); // 500 bytes and the header
    EXPECT_EQ(m_Pool.bytesinuse, 500u);
    // Its blocks are still taken: a new allocation lands elsewhere.
    uint8_t* other = static_cast<uint8_t*>(AUSND_Memory_Pool_Alloc(&m_Pool, 500));
    ASSERT_NE(other, nullptr);
    EXPECT_GE(other, block + 500);
    EXPECT_EQ(block[499], 0x33);
    AUSND_Memory_Pool_Free(&m_Pool, block);
    AUSND_Memory_Pool_Free(&m_Pool, other);
}

TEST_F(AulosPool, CustomPoolHandsOutHeadersOverForeignMemory)
{
    AUSND_MEMPOOL custom;
    ASSERT_TRUE(AUSND_Memory_InitCustomPool(&custom, reinterpret_cast<void*>(0x10000), 1000, 100));
    EXPECT_EQ(custom.numblocks, 8u); // ceiling(1000 / 100) rounded down to a multiple of 4
    AUSND_MEMHEADER* a = static_cast<AUSND_MEMHEADER*>(AUSND_Memory_Pool_Alloc(&custom, 250));
    AUSND_MEMHEADER* b = static_cast<AUSND_MEMHEADER*>(AUSND_Memory_Pool_Alloc(&custom, 100));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->first, 0u);
    EXPECT_EQ(a->blocks, 3u);
    EXPECT_EQ(b->first, 3u);
    AUSND_Memory_Pool_Free(&custom, a);
    AUSND_Memory_Pool_Free(&custom, b);
    AUSND_Memory_ClosePool(&custom);
    EXPECT_FALSE(AUSND_Memory_InitCustomPool(nullptr, nullptr, 1000, 100));
}

TEST(AulosMemorySystem, ChoosesAndRefusesPools)
{
    AUSND_Close();
    static Arena arena;
    EXPECT_FALSE(AUSND_SetMemorySystem(arena.bytes, 1000, nullptr, nullptr, nullptr));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_FALSE(AUSND_SetMemorySystem(arena.bytes, 256, nullptr, nullptr, nullptr)); // no room for a block
    EXPECT_FALSE(AUSND_SetMemorySystem(nullptr, 0, F_Malloc, nullptr, nullptr));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    ASSERT_TRUE(AUSND_SetMemorySystem(arena.bytes, 1024, nullptr, nullptr, nullptr));

    // The whole device runs from a 1 MB block pool.
    ASSERT_TRUE(AUSND_SetMemorySystem(arena.bytes, 1 << 20, nullptr, nullptr, nullptr));
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_CAPTURE));
    ASSERT_TRUE(AUSND_Init(44100, 32, 0));
    unsigned int current = 0;
    unsigned int peak = 0;
    AUSND_GetMemoryStats(&current, &peak);
    EXPECT_GT(current, 0u);
    EXPECT_EQ(current % 256, 0u);
    EXPECT_GE(peak, current);
    AUSND_Close();
    AUSND_GetMemoryStats(&current, nullptr);
    EXPECT_EQ(current, 0u);

    // The C library's allocator counts the bytes asked for.
    ASSERT_TRUE(AUSND_SetMemorySystem(nullptr, 0, nullptr, nullptr, nullptr));
    void* p = AUSND_Memory_Alloc(1000);
    AUSND_GetMemoryStats(&current, nullptr);
    EXPECT_EQ(current, 1000u);
    AUSND_Memory_Free(p);
    ASSERT_TRUE(AUSND_SetMemorySystem(nullptr, 0, F_Malloc, F_ReAlloc, F_Free));
    ASSERT_TRUE(AUSND_SetMemorySystem(nullptr, 0, nullptr, nullptr, nullptr));
}

TEST(AulosPoolThreaded, ThreadsShareABlockPool)
{
    static Arena arena;
    AUSND_MEMPOOL pool;
    ASSERT_TRUE(AUSND_Memory_InitPool(&pool, arena.bytes, 1 << 20, 256));
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t)
    {
        threads.emplace_back([&pool, &failures, t] {
            for (int round = 0; round < 500; ++round)
            {
                uint8_t* p = static_cast<uint8_t*>(AUSND_Memory_Pool_Alloc(&pool, 300 + t));
                if (!p)
                {
                    ++failures;
                    continue;
                }
                std::memset(p, t, 300 + t);
                p = static_cast<uint8_t*>(AUSND_Memory_Pool_ReAlloc(&pool, p, 700, __FILE__, __LINE__));
                if (!p || p[299] != t)
                    ++failures;
                AUSND_Memory_Pool_Free(&pool, p);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(pool.blocksinuse, 0u);
    AUSND_Memory_ClosePool(&pool);
}

TEST(AulosClock, SixtyFourBitMonotonicTime)
{
    const uint64_t fine = AUSND_Time_GetFine();
    const uint64_t ms = AUSND_Time_Get();
    EXPECT_GE(ms, fine / 1000);
    EXPECT_LE(ms, AUSND_Time_GetFine() / 1000);
    // A play position in samples stays exact far beyond 32 bits of ms * rate.
    AUSND_CHANNEL ch{};
    AUSND_Output_NoSound_SetChannelFunctions(&ch);
    const uint64_t position = ch.ops.GetCurrentPosition(&ch);
    EXPECT_NEAR(static_cast<double>(position),
                static_cast<double>(AUSND_Time_Get()) * AUSND_CurrentDevice->mixrate / 1000.0,
                AUSND_CurrentDevice->mixrate);

    AUSND_TIMESTAMP stamp{};
    stamp.previousend = AUSND_Time_GetFine();
    AUSND_Time_StampIn(&stamp);
    AUSND_Time_Sleep(0);
    const float usage = AUSND_Time_StampOut(&stamp, 90);
    EXPECT_GE(usage, 0.0f);
    EXPECT_LE(usage, 100.0f);
}

TEST(AulosThreadThreaded, ThreadsRunAndAreJoined)
{
    AUSND_Close();
    AUSND_SetOutput(AUSND_OUTPUT_NOSOUND);
    static std::atomic<int> s_nRuns{0};
    AUSND_CRITICALSECTION section = AUSND_CriticalSection_Create();
    ASSERT_NE(section, nullptr);
    static int s_nShared = 0;
    struct Param
    {
        AUSND_CRITICALSECTION section;
    } param{section};
    auto entry = [](void* p) -> int {
        AUSND_CRITICALSECTION cs = static_cast<Param*>(p)->section;
        for (int i = 0; i < 1000; ++i)
        {
            AUSND_ScopedSection hold(cs);
            ++s_nShared;
        }
        ++s_nRuns;
        return 0;
    };
    AUSND_THREADHANDLE a = AUSND_Thread_Create(entry, &param, 0, 0);
    AUSND_THREADHANDLE b = AUSND_Thread_CreateWithStack(entry, &param, 0, nullptr, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    AUSND_Thread_Destroy(a);
    AUSND_Thread_Destroy(b);
    EXPECT_EQ(s_nRuns.load(), 2);
    EXPECT_EQ(s_nShared, 2000);
    AUSND_CriticalSection_Free(section);
    AUSND_CriticalSection_Enter(nullptr); // null sections do nothing
    AUSND_CriticalSection_Leave(nullptr);

    // Non-real-time outputs never make threads.
    AUSND_SetOutput(AUSND_OUTPUT_NOSOUND_NONREALTIME);
    AUSND_THREADHANDLE none = AUSND_Thread_Create(entry, &param, 0, 0);
    EXPECT_NE(none, nullptr);
    AUSND_Thread_Destroy(none);
    EXPECT_EQ(s_nRuns.load(), 2);
    EXPECT_NE(AUSND_Thread_GetCurrentID(), 0u);
    AUSND_SetOutput(AUSND_OUTPUT_CAPTURE);
}

TEST(AulosStrings, BehaveAsTheSoundSystemExpects)
{
    char buffer[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    F_strncpy(buffer, "ab", 6);
    EXPECT_STREQ(buffer, "ab");
    EXPECT_EQ(buffer[3], 'x'); // never pads
    char joined[8] = "ab";
    F_strncat(joined, "cdefgh", 3);
    EXPECT_STREQ(joined, "abcde");
    EXPECT_NE(F_strncmp("a", "b", 0), 0); // at least one character
    EXPECT_EQ(F_strnicmp("ABc", "abD", 2), 0);
    EXPECT_EQ(F_stricmp("Hello", "hELLO"), 0);
    const unsigned char x[] = {0x10};
    const unsigned char y[] = {0x90};
    EXPECT_EQ(F_memcmp(x, y, 1), static_cast<int8_t>(0x80)); // signed 8-bit difference
    char move[] = "abcdef";
    F_memmove(move + 1, move, 4);
    EXPECT_STREQ(move, "aabcdf");
    EXPECT_STREQ(F_strstr("haystack", "st"), "stack");
    EXPECT_EQ(F_strchr("abc", 'z'), nullptr);
    char upper[] = "mixEd1";
    EXPECT_STREQ(F_strupr(upper), "MIXED1");
}
