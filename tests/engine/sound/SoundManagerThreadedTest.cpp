// The sound system calls the sync-point callback on a thread of its own,
// while the main thread may be starting or shutting down the sound manager.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "engine/sound/SoundManager.h"

using namespace ZQ2;

namespace {

// Each round waits until two callbacks have begun after the manager was
// made: the second of them surely found it, so the frame after hears of at
// least one crossed sync point.
TEST(SoundManagerThreaded, TheSyncCallbackRacesStartAndShutDown) {
    setenv("DELVOR_AUDIO_OUTPUT", "capture", 1);
    std::atomic<bool> done{false};
    std::atomic<int> calls{0};
    std::thread soundThread([&] {
        while (!done.load()) {
            SoundManager::OnSyncPointCrossed(nullptr, "", 0, nullptr);
            calls.fetch_add(1);
        }
    });
    constexpr int kRounds = 20;
    int roundsHeard = 0;
    for (int round = 0; round < kRounds; ++round) {
        SoundManager::CreateInstance(0, 44100, 32);
        EXPECT_TRUE(SoundManager::g_AudioAvailable);
        int heard = 0;
        SoundManager::g_Instance->SetSyncMethod([&heard](SoundStream*) { ++heard; });
        const int before = calls.load();
        while (calls.load() < before + 2)
            std::this_thread::yield();
        SoundManager::g_Instance->OnUpdate(0);
        roundsHeard += heard > 0 ? 1 : 0;
        SoundManager::ReleaseInstance();
        EXPECT_FALSE(SoundManager::g_AudioAvailable);
    }
    done.store(true);
    soundThread.join();
    EXPECT_EQ(roundsHeard, kRounds);
    // With no manager the callback refuses.
    EXPECT_FALSE(SoundManager::OnSyncPointCrossed(nullptr, "", 0, nullptr));
}

}  // namespace
