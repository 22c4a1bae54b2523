#include "aulos/ausnd.h"
#include "aulos/ausnd_device.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
std::atomic<int> g_nBlocks{0};
std::atomic<int> g_nLoudBlocks{0};
std::mutex g_BlockMutex;
std::condition_variable g_BlockMixed;

// Counts mixed blocks and those that carry sound, right after the effects are mixed.
void* CountingUnit(void* /*block*/, void* current, int length, void* /*param*/)
{
    ++g_nBlocks;
    const int32_t* sums = static_cast<const int32_t*>(current);
    for (int i = 0; i < length * 2; ++i)
    {
        if (sums[i] != 0)
        {
            ++g_nLoudBlocks;
            break;
        }
    }
    g_BlockMixed.notify_all();
    return current;
}

// Waits until the mixer has mixed this many blocks, this many of them loud.
// The callback notifies on every block, so a missed wake-up costs one block.
bool WaitForBlocks(int blocks, int loud)
{
    std::unique_lock<std::mutex> lock(g_BlockMutex);
    return g_BlockMixed.wait_for(lock, std::chrono::seconds(60),
                                 [&] { return g_nBlocks.load() >= blocks && g_nLoudBlocks.load() >= loud; });
}

AUSND_SAMPLE* LoopingTone(int frames, int period)
{
    std::vector<int16_t> tone(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        tone[static_cast<size_t>(i)] = static_cast<int16_t>(12000.0 * std::sin(2.0 * M_PI * i / period));
    AUSND_SAMPLE* sample =
        AUSND_Sample_Alloc(-1, frames, AUSND_16BITS | AUSND_2D | AUSND_LOOP_NORMAL, 44100, 255, 128, 128);
    if (sample)
        AUSND_Sample_Upload(sample, tone.data(), AUSND_16BITS);
    return sample;
}

AUSND_DSPUNIT* StartCounting()
{
    g_nBlocks = 0;
    g_nLoudBlocks = 0;
    AUSND_DSPUNIT* unit = AUSND_DSP_Create(CountingUnit, 150, nullptr);
    AUSND_DSP_SetActive(unit, true);
    return unit;
}
} // namespace

// The clock-driven mixer thread of the no-sound output mixes while the owner
// thread plays, changes and stops channels and rebuilds the unit chain.
TEST(AulosMixerThreaded, OwnerChangesChannelsAndUnitsWhileTheThreadMixes)
{
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_NOSOUND));
    ASSERT_TRUE(AUSND_Init(44100, 16, 0));
    ASSERT_NE(AUSND_CurrentDevice->mixerthread, nullptr);
    StartCounting();
    AUSND_SAMPLE* tone = LoopingTone(4410, 100);
    AUSND_SAMPLE* shot = LoopingTone(300, 50);
    AUSND_Sample_SetMode(shot, AUSND_LOOP_OFF);
    ASSERT_NE(tone, nullptr);

    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
    int round = 0;
    while (std::chrono::steady_clock::now() < end)
    {
        const int ch = AUSND_PlaySound(AUSND_CHANNEL_FREE, (round % 3) ? tone : shot);
        AUSND_SetFrequency(ch, 11025 + 997 * (round % 50));
        AUSND_SetVolume(ch, round % 256);
        AUSND_SetPan(ch, (round * 7) % 256);
        AUSND_SetPaused(ch, round % 5 == 0);
        AUSND_SetCurrentPosition(ch, 10);
        AUSND_GetCurrentPosition(ch);
        AUSND_IsPlaying(ch);
        AUSND_DSPUNIT* extra = AUSND_DSP_Create(CountingUnit, round % 300, nullptr);
        AUSND_DSP_SetActive(extra, true);
        AUSND_DSP_SetPriority(extra, (round * 13) % 1200);
        if (round % 4 == 0)
            AUSND_StopSound(ch);
        AUSND_DSP_Free(extra);
        AUSND_Update();
        ++round;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    EXPECT_GT(g_nBlocks.load(), 5);
    EXPECT_GT(g_nLoudBlocks.load(), 0);
    AUSND_Close();
    EXPECT_EQ(AUSND_CurrentDevice->mixerthread, nullptr);
    EXPECT_TRUE(AUSND_CurrentDevice->mixerfinished);
    AUSND_SetOutput(AUSND_OUTPUT_CAPTURE);
}

// The machine's audio device (SDL's dummy driver in tests) pulls blocks from
// its callback thread for a few seconds, then the device stops and closes.
TEST(AulosSdlThreaded, PlaysAToneThroughTheAudioDevice)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0); // headless unless told otherwise
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_SDL));
    if (!AUSND_Init(44100, 32, 0))
    {
        GTEST_SKIP() << "no SDL audio driver here: " << SDL_GetError();
    }
    EXPECT_NE(AUSND_GetOutputHandle(), nullptr);
    EXPECT_STREQ(AUSND_GetDriverName(0), "SDL output driver");
    StartCounting();
    AUSND_SAMPLE* tone = LoopingTone(4410, 100); // 441 Hz
    const int ch = AUSND_PlaySound(AUSND_CHANNEL_FREE, tone);
    ASSERT_GE(ch, 0);

    // A looping tone keeps the device pulling blocks until it is closed.
    EXPECT_TRUE(WaitForBlocks(21, 11));
    EXPECT_TRUE(AUSND_IsPlaying(ch));
    EXPECT_GE(AUSND_GetCPUUsage(), 0.0f);

    AUSND_Close();
    // The close stops the device's callback thread before it returns.
    const int atClose = g_nBlocks.load();
    EXPECT_EQ(AUSND_GetOutputHandle(), nullptr);
    EXPECT_EQ(g_nBlocks.load(), atClose);
    AUSND_SetOutput(AUSND_OUTPUT_CAPTURE);
}
