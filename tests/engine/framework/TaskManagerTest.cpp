#include "engine/framework/TaskManager.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/framework/TaskmanagerTimed.h"

using namespace ZQ2;

namespace {

// A clock that only moves when someone sleeps or a task takes time.
class FakeClock : public TaskClock {
public:
    unsigned int GetMilliseconds() override { return m_nNow; }
    void Sleep(unsigned long ms) override {
        m_Sleeps.push_back(ms);
        m_nNow += static_cast<unsigned int>(ms);
    }

    unsigned int m_nNow = 0;
    std::vector<unsigned long> m_Sleeps;
};

// Writes what happens to it into a shared log; its update runs an action.
class LogTask : public iTask {
public:
    LogTask(std::string name, std::vector<std::string>& log, bool* destroyed = nullptr)
        : m_strName(std::move(name)), m_Log(log), m_pDestroyed(destroyed) {}
    ~LogTask() override {
        if (m_pDestroyed)
            *m_pDestroyed = true;
    }

    void OnInitialize() override { m_Log.push_back(m_strName + ".init"); }
    void OnUpdate(int deltaMs) override {
        m_Log.push_back(m_strName);
        m_Steps.push_back(deltaMs);
        if (m_OnUpdate)
            m_OnUpdate();
    }
    void OnKill() override { m_Log.push_back(m_strName + ".kill"); }

    std::function<void()> m_OnUpdate;
    std::vector<int> m_Steps;

private:
    std::string m_strName;
    std::vector<std::string>& m_Log;
    bool* m_pDestroyed;
};

using Log = std::vector<std::string>;

class TimedTaskManagerTest : public ::testing::Test {
protected:
    TimedTaskManagerTest() {
        m_Manager->AddRef();
        m_Manager->SetClock(&m_Clock);
        m_Task->AddRef();
        m_Manager->Attach(m_Task);
    }
    ~TimedTaskManagerTest() override {
        m_Manager->Release();
        m_Task->Release();
    }

    // Runs frames in which the tasks take workMs of the clock.
    void RunFrames(int count, unsigned int workMs) {
        m_Task->m_OnUpdate = [this, workMs] { m_Clock.m_nNow += workMs; };
        for (int i = 0; i < count; ++i)
            m_Manager->Update();
    }

    FakeClock m_Clock;
    TaskmanagerTimed* m_Manager = new TaskmanagerTimed();
    Log m_Log;
    LogTask* m_Task = new LogTask("T", m_Log);
};

TEST_F(TimedTaskManagerTest, SixtyFramesASecondGiveSixteenMillisecondSteps) {
    m_Manager->SetMaxFps(60);
    EXPECT_EQ(m_Manager->GetFrameTime(), 16);
    RunFrames(130, 5);
    // After the first frame, tasks of 5 ms leave 11 ms to sleep.
    ASSERT_EQ(m_Clock.m_Sleeps.size(), 130u);
    for (size_t i = 1; i < m_Clock.m_Sleeps.size(); ++i)
        ASSERT_EQ(m_Clock.m_Sleeps[i], 11u) << "frame " << i;
    for (size_t i = 1; i < m_Task->m_Steps.size(); ++i)
        ASSERT_EQ(m_Task->m_Steps[i], 16) << "frame " << i;
    EXPECT_EQ(m_Manager->GetFrameCount(), 130);
    // The second statistics interval is the first whole one.
    EXPECT_FLOAT_EQ(m_Manager->GetAverageFrameTime(), 16.0f);
}

TEST_F(TimedTaskManagerTest, SlowFramesDoNotSleep) {
    RunFrames(5, 25);
    EXPECT_EQ(m_Clock.m_Sleeps.size(), 1u);  // only the first, empty frame
    EXPECT_EQ(m_Task->m_Steps.back(), 25);
}

TEST_F(TimedTaskManagerTest, StallReachesTheTasksAsOneHundredMilliseconds) {
    RunFrames(3, 5);
    m_Task->m_OnUpdate = [this] { m_Clock.m_nNow += 3000; };
    m_Manager->Update();  // the stalling frame
    RunFrames(1, 5);      // the frame after it sees the stall
    EXPECT_EQ(m_Task->m_Steps.back(), 100);
    RunFrames(1, 5);
    EXPECT_EQ(m_Task->m_Steps.back(), 16);
}

TEST(TaskmanagerTimedWrap, ClockWrapGivesAnOrdinaryStep) {
    // Frames are 16 ms apart (5 ms of work, 11 of sleep). Starting at each of
    // these points puts the clock's wrap into every phase of a frame: the
    // tasks' work, the sleep, and the instant a frame starts.
    for (unsigned int before = 1; before <= 48; ++before) {
        FakeClock clock;
        clock.m_nNow = 0u - before;
        Log log;
        SmartPtr<TaskmanagerTimed> manager(new TaskmanagerTimed());
        manager->SetClock(&clock);
        auto* task = new LogTask("T", log);
        task->m_OnUpdate = [&clock] { clock.m_nNow += 5; };
        manager->Attach(task);
        for (int frame = 0; frame < 6; ++frame)
            manager->Update();
        ASSERT_LT(clock.m_nNow, 100u) << before;  // the wrap was crossed
        for (unsigned long ms : clock.m_Sleeps)
            EXPECT_LE(ms, 16u) << before;
        for (size_t i = 1; i < task->m_Steps.size(); ++i)
            EXPECT_EQ(task->m_Steps[i], 16) << before << " frame " << i;
    }
}

TEST_F(TimedTaskManagerTest, MaxFpsGivesTheFrameTime) {
    struct Case {
        int maxFps;
        int64_t frameTime;
    };
    const Case cases[] = {{60, 16}, {30, 33}, {1, 1000}, {0, 16}, {-5, 16}};
    for (const Case& c : cases) {
        m_Manager->SetMaxFps(c.maxFps);
        EXPECT_EQ(m_Manager->GetFrameTime(), c.frameTime) << c.maxFps;
    }
}

TEST_F(TimedTaskManagerTest, ZeroMaxFpsRunsAtSixtyFrames) {
    m_Manager->SetMaxFps(30);
    m_Manager->SetMaxFps(0);
    RunFrames(4, 2);
    EXPECT_EQ(m_Task->m_Steps.back(), 16);
    EXPECT_EQ(m_Clock.m_Sleeps.back(), 14u);
}

TEST(TaskmanagerTimed, CreateInstanceMakesTheEngineTaskManager) {
    TaskmanagerTimed::CreateInstance();
    TaskManager* first = TaskmanagerTimed::Instance();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, TaskManager::g_Instance);
    EXPECT_TRUE(first->GetRTTI().DerivesFrom(TaskManager::rtti));
    EXPECT_EQ(&first->GetRTTI(), &TaskmanagerTimed::rtti);
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_EQ(first->GetFrameTime(), 16);
    TaskmanagerTimed::CreateInstance();  // a second call replaces it
    EXPECT_EQ(TaskmanagerTimed::Instance()->GetRefCount(), 1);
    TaskManager::ReleaseInstance();
    EXPECT_EQ(TaskManager::g_Instance, nullptr);
}

class TaskManagerTest : public ::testing::Test {
protected:
    TaskManagerTest() { m_Manager.SetClock(&m_Clock); }

    // A task held only by the manager's list once attached.
    LogTask* Make(const std::string& name, bool* destroyed = nullptr) {
        return new LogTask(name, m_Log, destroyed);
    }
    void Frame() {
        m_Clock.m_nNow += 10;
        m_Manager.Update();
    }

    FakeClock m_Clock;
    Log m_Log;
    TaskManager m_Manager;
};

TEST_F(TaskManagerTest, TasksRunInAttachOrderAndInitialiseOnce) {
    LogTask* b = Make("B");
    m_Manager.Attach(b);
    m_Manager.Attach(Make("A"));
    m_Manager.Attach(b);  // attached twice: stands once, at the end
    Frame();
    Frame();
    EXPECT_EQ(m_Log, (Log{"A.init", "A", "B.init", "B", "A", "B"}));
    EXPECT_EQ(b->m_Steps, (std::vector<int>{10, 10}));
}

TEST_F(TaskManagerTest, AttachAndDetachDuringAnUpdateWaitForItsEnd) {
    bool bDestroyed = false;
    LogTask* a = Make("A");
    LogTask* b = Make("B", &bDestroyed);
    LogTask* c = Make("C");
    m_Manager.Attach(a);
    m_Manager.Attach(b);
    bool bOnce = true;
    a->m_OnUpdate = [&] {
        if (!bOnce)
            return;
        bOnce = false;
        m_Manager.Attach(c);
        m_Manager.Detach(b);
        EXPECT_FALSE(bDestroyed);  // the list keeps it until the update ends
    };
    Frame();
    EXPECT_EQ(m_Log, (Log{"A.init", "A", "B.kill"}));
    EXPECT_TRUE(bDestroyed);
    EXPECT_TRUE(c->IsAttached());

    m_Log.clear();
    Frame();
    EXPECT_EQ(m_Log, (Log{"A", "C.init", "C"}));
}

TEST_F(TaskManagerTest, TaskMayDetachItselfDuringItsUpdate) {
    bool bDestroyed = false;
    LogTask* a = Make("A", &bDestroyed);
    m_Manager.Attach(a);
    m_Manager.Attach(Make("B"));
    a->m_OnUpdate = [&] {
        m_Manager.Detach(a);
        EXPECT_FALSE(bDestroyed);
    };
    Frame();
    EXPECT_TRUE(bDestroyed);
    EXPECT_EQ(m_Log, (Log{"A.init", "A", "A.kill", "B.init", "B"}));
}

TEST_F(TaskManagerTest, InactiveTaskStaysButNeverRuns) {
    LogTask* a = Make("A");
    a->SetActive(false);
    m_Manager.Attach(a);
    Frame();
    EXPECT_TRUE(m_Log.empty());
    EXPECT_FALSE(a->IsInitialized());
    a->SetActive(true);
    Frame();
    EXPECT_EQ(m_Log, (Log{"A.init", "A"}));
}

TEST_F(TaskManagerTest, RemoveRequestDropsTheTaskAtItsTurn) {
    bool bDestroyed = false;
    LogTask* a = Make("A", &bDestroyed);
    m_Manager.Attach(a);
    a->RequestRemove();
    Frame();
    EXPECT_TRUE(m_Log.empty());
    EXPECT_TRUE(bDestroyed);
}

TEST_F(TaskManagerTest, DetachingAnUnheldTaskDoesNotDestroyIt) {
    bool bDestroyed = false;
    LogTask* loose = Make("L", &bDestroyed);
    m_Manager.Detach(loose);
    EXPECT_FALSE(bDestroyed);
    EXPECT_EQ(m_Log, (Log{"L.kill"}));
    delete loose;
}

TEST_F(TaskManagerTest, DestructionKillsEveryTask) {
    bool bDestroyed = false;
    LogTask* held = Make("H");
    held->AddRef();
    {
        TaskManager manager;
        manager.Attach(held);
        manager.Attach(Make("A", &bDestroyed));
    }
    EXPECT_EQ(m_Log, (Log{"H.kill", "A.kill"}));
    EXPECT_TRUE(bDestroyed);
    EXPECT_FALSE(held->IsAttached());
    EXPECT_EQ(held->GetRefCount(), 1);
    held->Release();
}

TEST_F(TaskManagerTest, DetachAllDuringAnUpdateFinishesThePassSafely) {
    LogTask* a = Make("A");
    m_Manager.Attach(a);
    m_Manager.Attach(Make("B"));
    a->m_OnUpdate = [&] { m_Manager.DetachAll(); };
    Frame();
    EXPECT_EQ(m_Log, (Log{"A.init", "A", "A.kill", "B.kill"}));
    m_Log.clear();
    Frame();
    EXPECT_TRUE(m_Log.empty());
}

}  // namespace
