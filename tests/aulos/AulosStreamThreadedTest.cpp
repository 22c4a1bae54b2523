// Streams on the machine's audio device (SDL's dummy driver in tests): the
// stream thread refills the double buffer, the mixer fires the sync points and
// the end callback comes once.
#include "aulos/ausnd.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{
struct Events
{
    std::mutex lock;
    std::condition_variable changed;
    std::vector<unsigned int> syncs;
    int ends = 0;
};

bool OnEnd(AUSND_STREAM*, void*, int, void* user)
{
    Events* events = static_cast<Events*>(user);
    std::lock_guard<std::mutex> guard(events->lock);
    ++events->ends;
    events->changed.notify_all();
    return true;
}

bool OnSync(AUSND_STREAM*, const char*, unsigned int offset, void* user)
{
    Events* events = static_cast<Events*>(user);
    std::lock_guard<std::mutex> guard(events->lock);
    events->syncs.push_back(offset);
    return true;
}

void Put(std::vector<uint8_t>& d, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        d.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A mono 16-bit tone at 22050 Hz.
std::vector<uint8_t> ToneWav(uint32_t frames)
{
    std::vector<uint8_t> d = {'R', 'I', 'F', 'F'};
    Put(d, 36 + frames * 2, 4);
    d.insert(d.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put(d, 16, 4);
    Put(d, 1, 2);
    Put(d, 1, 2);
    Put(d, 22050, 4);
    Put(d, 44100, 4);
    Put(d, 2, 2);
    Put(d, 16, 2);
    d.insert(d.end(), {'d', 'a', 't', 'a'});
    Put(d, frames * 2, 4);
    for (uint32_t i = 0; i < frames; ++i)
        Put(d, static_cast<uint16_t>(static_cast<int16_t>((i % 50) * 400 - 10000)), 2);
    return d;
}

// The sound system on SDL's dummy driver, with its stream and mixer threads.
class AulosStreamThreaded : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_SDL));
        if (!AUSND_Init(44100, 32, 0))
        {
            AUSND_SetOutput(AUSND_OUTPUT_CAPTURE);
            GTEST_SKIP() << "no SDL audio driver here: " << SDL_GetError();
        }
        m_bStarted = true;
    }

    void TearDown() override
    {
        if (!m_bStarted)
            return;
        AUSND_Close();
        AUSND_SetOutput(AUSND_OUTPUT_CAPTURE);
    }

private:
    bool m_bStarted = false;
};

bool CountSync(AUSND_STREAM*, const char*, unsigned int, void* user)
{
    ++*static_cast<std::atomic<int>*>(user);
    return true;
}
} // namespace

TEST_F(AulosStreamThreaded, PlaysLoopsAndEndsThroughTheAudioDevice)
{
    const std::vector<uint8_t> file = ToneWav(13230); // 0.6 s
    // Opened on the open thread: the stream is ready once its state says so.
    AUSND_STREAM* stream = AUSND_Stream_Open(reinterpret_cast<const char*>(file.data()),
                                             AUSND_LOADMEMORY | AUSND_2D | AUSND_LOOP_NORMAL | AUSND_NONBLOCKING, 0,
                                             static_cast<int>(file.size()));
    ASSERT_NE(stream, nullptr);
    while (AUSND_Stream_GetOpenState(stream) == -2)
        std::this_thread::yield();
    ASSERT_EQ(AUSND_Stream_GetOpenState(stream), 0);
    Events events;
    ASSERT_NE(AUSND_Stream_AddSyncPoint(stream, 100, "a"), nullptr);
    ASSERT_NE(AUSND_Stream_AddSyncPoint(stream, 10000, "b"), nullptr);
    AUSND_Stream_SetSyncCallback(stream, OnSync, &events);
    AUSND_Stream_SetEndCallback(stream, OnEnd, &events);
    AUSND_Stream_SetLoopCount(stream, 2);
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
    {
        std::unique_lock<std::mutex> guard(events.lock);
        // A fail-safe bound only: the stream lasts about 2 s of real time.
        events.changed.wait_for(guard, std::chrono::seconds(30), [&] { return events.ends > 0; });
        EXPECT_EQ(events.ends, 1);
        EXPECT_EQ(events.syncs, (std::vector<unsigned int>{100, 10000, 100, 10000, 100, 10000}));
    }
    EXPECT_TRUE(AUSND_Stream_Close(stream));
}

TEST_F(AulosStreamThreaded, TheLoopCountChangesWhileTheStreamThreadCountsLoopsDown)
{
    const std::vector<uint8_t> file = ToneWav(2205); // 0.1 s: each refill loops a few times
    AUSND_STREAM* stream =
        AUSND_Stream_Open(reinterpret_cast<const char*>(file.data()), AUSND_LOADMEMORY | AUSND_2D | AUSND_LOOP_NORMAL,
                          0, static_cast<int>(file.size()));
    ASSERT_NE(stream, nullptr) << AUSND_GetError();
    std::atomic<int> passes{0};
    ASSERT_NE(AUSND_Stream_AddSyncPoint(stream, 100, "pass"), nullptr);
    AUSND_Stream_SetSyncCallback(stream, CountSync, &passes);
    const int many = 1000000;
    ASSERT_TRUE(AUSND_Stream_SetLoopCount(stream, many));
    const int channel = AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream);
    ASSERT_GE(channel, 0);
    // Six passes (half a second) outlast two refills by the stream thread, each
    // counting loops down while this thread sets the count. The deadline is a
    // fail-safe bound only.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (passes.load() < 6 && std::chrono::steady_clock::now() < deadline)
    {
        ASSERT_TRUE(AUSND_Stream_SetLoopCount(stream, many));
        std::this_thread::yield();
    }
    EXPECT_GE(passes.load(), 6);
    EXPECT_TRUE(AUSND_IsPlaying(channel)) << "a million loops to go";
    EXPECT_TRUE(AUSND_Stream_Close(stream));
}
