#include "engine/core/Mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "engine/core/MutexLock.h"

namespace {

using ZQ2::Mutex;
using ZQ2::MutexLock;

TEST(Mutex, ScopeLockWithNullMutexDoesNothing) {
    { MutexLock lock(nullptr); }
    SUCCEED();
}

TEST(Mutex, RecursiveLockNeedsMatchingUnlocks) {
    std::unique_ptr<Mutex> mutex(Mutex::Create("test"));
    EXPECT_TRUE(mutex->Lock());
    EXPECT_TRUE(mutex->Lock());
    EXPECT_TRUE(mutex->Unlock());
    EXPECT_TRUE(mutex->Unlock());
    EXPECT_FALSE(mutex->Unlock());  // nothing held any more
}

TEST(MutexThreaded, SecondThreadWaitsForTheLastUnlock) {
    std::unique_ptr<Mutex> mutex(Mutex::Create("test"));
    ASSERT_TRUE(mutex->Lock());
    ASSERT_TRUE(mutex->Lock());
    std::atomic<bool> entered{false};
    std::thread other([&] {
        MutexLock lock(mutex.get());
        entered = true;
    });
    EXPECT_TRUE(mutex->Unlock());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(entered);
    EXPECT_TRUE(mutex->Unlock());
    other.join();
    EXPECT_TRUE(entered);
}

TEST(MutexThreaded, OnlyTheOwnerCanUnlock) {
    std::unique_ptr<Mutex> mutex(Mutex::Create("test"));
    ASSERT_TRUE(mutex->Lock());
    bool unlockedByOther = true;
    std::thread other([&] { unlockedByOther = mutex->Unlock(); });
    other.join();
    EXPECT_FALSE(unlockedByOther);
    EXPECT_TRUE(mutex->Unlock());
}

TEST(MutexThreaded, ScopeLocksSerialiseACounter) {
    std::unique_ptr<Mutex> mutex(Mutex::Create("counter"));
    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 10000; ++i) {
            MutexLock outer(mutex.get());
            MutexLock inner(mutex.get());
            ++counter;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 20000);
}

}  // namespace
