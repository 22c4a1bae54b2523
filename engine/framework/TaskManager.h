#pragma once
// Runs the frame: every attached task, in the order of attachment, gets the
// milliseconds since the last frame. Tasks may attach and detach tasks while
// a frame runs; those changes take effect when it ends.
#include <atomic>
#include <cstdint>

#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/TransactionVector.h"
#include "engine/core/iInstance.h"
#include "engine/framework/TaskClock.h"
#include "engine/framework/iTask.h"

namespace ZQ2 {

class TaskManager : public BaseObject, public iInstance<TaskManager> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // The frame rate that a missing or unusable "max_fps" stands for.
    static constexpr int DEFAULT_MAX_FPS = 60;
    // Longest step handed to the tasks, so a stall does not make the game jump.
    static constexpr unsigned int MAX_STEP = 100;

    TaskManager();
    ~TaskManager() override;
    TaskManager(const TaskManager&) = delete;
    TaskManager& operator=(const TaskManager&) = delete;

    const RTTI& GetRTTI() const override { return rtti; }
    virtual void ResetStatistics();

    void Attach(iTask* task);
    void Detach(iTask* task);
    void DetachAll();
    // The first attached task of this type or one derived from it.
    iTask* FindTask(const RTTI& type) const;

    // One frame.
    void Update();
    void SetCurrentTime();

    // Frame time from a frame rate; 0 or less means the default rate.
    void SetMaxFps(int maxFps);
    void SetFrameTime(int64_t ms) { m_nFrameTime = ms; }
    int64_t GetFrameTime() const { return m_nFrameTime; }

    // Null puts the platform clock back. The clock is not owned.
    void SetClock(TaskClock* clock) { m_pClock = clock ? clock : &TaskClock::GetPlatformClock(); }

    // This frame's time stamp for the whole engine.
    int64_t GetCurrentTime() const { return m_nCurrentTime; }
    // The same stamp for any thread (the loader thread stamps the image data
    // it makes), read without the instance pointer; -1 while no task manager
    // lives.
    static int64_t GetSharedCurrentTime() { return s_nSharedTime.load(std::memory_order_relaxed); }
    int64_t GetFrameCount() const { return m_nFrameCount; }
    int64_t GetMinStep() const { return m_nMinStep; }
    int64_t GetMaxStep() const { return m_nMaxStep; }
    float GetAverageFrameTime() const { return m_fAverageFrameTime; }

protected:
    virtual void UpdateTasks();
    void UpdateAllTasks(int step);

    // Milliseconds from the previous frame's start to this one's. The clock
    // is 32 bits wide, so the difference is taken in 32 bits: it stays right
    // across the clock's wrap.
    unsigned int GetStep() const { return Elapsed(m_nPreviousTime, m_nCurrentTime); }
    static unsigned int Elapsed(int64_t from, int64_t to) {
        return static_cast<unsigned int>(to) - static_cast<unsigned int>(from);
    }
    void RecordStep(unsigned int step);
    void UpdateStatistics();

    TaskClock* m_pClock = &TaskClock::GetPlatformClock();

    int64_t m_nFrameCount = 0;
    int64_t m_nCurrentTime = 0;
    int64_t m_nPreviousTime = 0;
    int64_t m_nMinStep = 2147483647;
    int64_t m_nMaxStep = -1;
    float m_fAverageFrameTime = -1.0f;
    int64_t m_nFrameTime = 0;
    int64_t m_nStatisticsInterval = 1000;
    int64_t m_nStatisticsStartTime = 0;
    int64_t m_nStatisticsStartFrame = 0;
    TransactionVector<SmartPtr<iTask>> m_Tasks{true};

private:
    static inline std::atomic<int64_t> s_nSharedTime{-1};
};

}  // namespace ZQ2
