#include "engine/graphics/ImageManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/framework/TaskClock.h"
#include "engine/framework/TaskManager.h"
#include "engine/graphics/ImageDataOpenGL.h"

using namespace ZQ2;

namespace {

class FakeClock : public TaskClock {
public:
    unsigned int GetMilliseconds() override { return m_nNow; }
    void Sleep(unsigned long) override {}
    unsigned int m_nNow = 0;
};

class CountingData : public ImageDataOpenGL {
public:
    explicit CountingData(bool managed) : ImageDataOpenGL(4, 4, 4, 4, managed) {}
    void Flush() override {
        ++m_nFlushes;
        ImageDataOpenGL::Flush();
    }
    int m_nFlushes = 0;
};

class ImageManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        TaskManager::CreateInstance();
        TaskManager::g_Instance->SetClock(&m_Clock);
        ImageManager::CreateInstance();
    }

    void TearDown() override {
        ImageManager::ReleaseInstance();
        TaskManager::ReleaseInstance();
    }

    // Moves the frame's time stamp to ms.
    void At(unsigned int ms) {
        m_Clock.m_nNow = ms;
        TaskManager::g_Instance->SetCurrentTime();
    }

    ImageManager& Manager() { return *ImageManager::g_Instance; }

    FakeClock m_Clock;
};

}  // namespace

TEST_F(ImageManagerTest, ImageDataFilesItselfAndLeavesOnDestruction) {
    SmartPtr<ImageData> texture(new ImageDataOpenGL(4, 4, 4, 4, true));
    SmartPtr<ImageData> target(new ImageDataOpenGL(4, 4, 4, 4, false));
    EXPECT_EQ(Manager().GetManagedCount(), 1);
    EXPECT_EQ(Manager().GetUnmanagedCount(), 1);
    EXPECT_TRUE(Manager().Contains(texture));
    texture = nullptr;
    EXPECT_EQ(Manager().GetManagedCount(), 0);
    EXPECT_EQ(Manager().GetUnmanagedCount(), 1);

    // Data made while no manager exists is never filed; destroying it later
    // leaves the lists as they are.
    ImageManager::ReleaseInstance();
    SmartPtr<ImageData> early(new ImageDataOpenGL(4, 4, 4, 4, false));
    ImageManager::CreateInstance();
    SmartPtr<ImageData> late(new ImageDataOpenGL(4, 4, 4, 4, false));
    EXPECT_FALSE(Manager().Contains(early));
    early = nullptr;
    EXPECT_EQ(Manager().GetUnmanagedCount(), 1);
}

TEST_F(ImageManagerTest, RemovalTakesTheManagedListFirst) {
    ImageManager manager;
    SmartPtr<ImageData> data(new ImageDataOpenGL(4, 4, 4, 4, true));
    manager.AddImageData(data, false);
    manager.AddImageData(data, true);
    manager.RemoveImageData(data);
    EXPECT_EQ(manager.GetManagedCount(), 0);
    EXPECT_EQ(manager.GetUnmanagedCount(), 1);
    manager.RemoveImageData(data);
    EXPECT_EQ(manager.GetUnmanagedCount(), 0);
}

// Texture targets unused for more than half a second are flushed, once;
// ordinary textures never are.
TEST_F(ImageManagerTest, FlushesUnusedTargetsAfterHalfASecond) {
    At(10000);
    SmartPtr<CountingData> target(new CountingData(false));
    SmartPtr<CountingData> texture(new CountingData(true));
    At(10499);
    Manager().OnUpdate(16);
    EXPECT_FALSE(target->IsFlushed());
    At(10500);
    Manager().OnUpdate(16);
    EXPECT_FALSE(target->IsFlushed());
    At(10501);
    Manager().OnUpdate(16);
    EXPECT_TRUE(target->IsFlushed());
    At(20000);
    Manager().OnUpdate(16);
    EXPECT_EQ(target->m_nFlushes, 1);

    At(10000000);
    Manager().OnUpdate(16);
    EXPECT_FALSE(texture->IsFlushed());
    EXPECT_EQ(texture->m_nFlushes, 0);

    // Used again and restored, it is flushed again after the next pause.
    target->UpdateTime();
    target->Restore();
    At(10000400);
    Manager().OnUpdate(16);
    EXPECT_FALSE(target->IsFlushed());
    At(10000600);
    Manager().OnUpdate(16);
    EXPECT_TRUE(target->IsFlushed());
}

// The clock is 32 bits wide: ages are 32-bit differences across its wrap.
TEST_F(ImageManagerTest, AgesSurviveTheClocksWrap) {
    At(0xFFFFFF00u);
    SmartPtr<CountingData> fresh(new CountingData(false));
    SmartPtr<CountingData> stale(new CountingData(false));
    At(0xFFFFFF00u + 100);
    Manager().OnUpdate(16);
    EXPECT_FALSE(fresh->IsFlushed());
    At(0x100);  // 512 ms after the stamps, past the wrap
    fresh->UpdateTime();
    Manager().OnUpdate(16);
    EXPECT_FALSE(fresh->IsFlushed());
    EXPECT_TRUE(stale->IsFlushed());
}

TEST_F(ImageManagerTest, FlushAndRestoreActOnTargetsOnly) {
    SmartPtr<CountingData> target(new CountingData(false));
    SmartPtr<CountingData> texture(new CountingData(true));
    ASSERT_TRUE(target->Lock(false));
    Manager().Flush();
    EXPECT_TRUE(target->IsFlushed());
    EXPECT_EQ(target->GetLockCount(), 0);
    EXPECT_FALSE(texture->IsFlushed());
    Manager().Restore();
    EXPECT_FALSE(target->IsFlushed());
}

// Image data comes and goes on loader threads while the main thread runs
// the manager's frame task.
using ImageManagerThreaded = ImageManagerTest;

TEST_F(ImageManagerThreaded, RegistrationFromTwoThreads) {
    constexpr int kRounds = 300;
    constexpr int kKept = 40;
    std::atomic<bool> go{false};
    std::vector<std::vector<SmartPtr<ImageData>>> kept(2);
    auto loader = [&](int index) {
        while (!go.load())
            std::this_thread::yield();
        for (int i = 0; i < kRounds; ++i) {
            SmartPtr<ImageData> data(new ImageDataOpenGL(2, 2, 2, 2, true));
            if (i % (kRounds / kKept) == 0)
                kept[index].push_back(data);
        }
    };
    std::thread first(loader, 0);
    std::thread second(loader, 1);
    SmartPtr<CountingData> target(new CountingData(false));
    go = true;
    for (int i = 0; i < kRounds; ++i) {
        SmartPtr<ImageData> mine(new ImageDataOpenGL(2, 2, 2, 2, false));
        Manager().OnUpdate(16);
        EXPECT_LE(Manager().GetUnmanagedCount(), 2);
    }
    first.join();
    second.join();
    EXPECT_EQ(Manager().GetManagedCount(), static_cast<int>(kept[0].size() + kept[1].size()));
    EXPECT_EQ(Manager().GetUnmanagedCount(), 1);
    for (const auto& list : kept) {
        for (const SmartPtr<ImageData>& data : list)
            EXPECT_TRUE(Manager().Contains(data));
    }
    kept.clear();
    EXPECT_EQ(Manager().GetManagedCount(), 0);
}
