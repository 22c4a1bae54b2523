#include "engine/framework/TaskManager.h"

#include <climits>

namespace ZQ2 {

const RTTI* const TaskManager::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI TaskManager::rtti("TaskManager", TaskManager::rttis);

TaskManager::TaskManager() { s_nSharedTime.store(m_nCurrentTime, std::memory_order_relaxed); }

TaskManager::~TaskManager() {
    DetachAll();
    // The instance pointer is cleared before the instance is released.
    if (!g_Instance)
        s_nSharedTime.store(-1, std::memory_order_relaxed);
}

void TaskManager::ResetStatistics() {
    m_fAverageFrameTime = -1.0f;
    m_nStatisticsStartTime = m_nCurrentTime;
    m_nStatisticsStartFrame = m_nFrameCount;
}

void TaskManager::Attach(iTask* task) {
    if (!task)
        return;
    m_Tasks.push_back(SmartPtr<iTask>(task));
    task->m_bAttached = true;
}

void TaskManager::Detach(iTask* task) {
    if (!task)
        return;
    if (task->GetRefCount() == 0) {
        // Nothing holds it, so it is in no list; a smart pointer here would
        // destroy it under the caller.
        task->m_bAttached = false;
        task->OnKill();
        return;
    }
    // Hold the task until OnKill has returned: the list's reference may be
    // the last one.
    const SmartPtr<iTask> keep(task);
    task->m_bAttached = false;
    task->OnKill();
    m_Tasks.remove(keep);
}

iTask* TaskManager::FindTask(const RTTI& type) const {
    for (int i = 0; i < m_Tasks.m_Items.size(); ++i) {
        iTask* task = m_Tasks.m_Items[i].Get();
        if (task && task->GetRTTI().DerivesFrom(type))
            return task;
    }
    return nullptr;
}

void TaskManager::DetachAll() {
    // OnKill may attach or detach tasks, so work on a copy of the list.
    const ZQVector<SmartPtr<iTask>> tasks(m_Tasks.m_Items);
    if (m_Tasks.m_nTransactionDepth > 0) {
        for (const SmartPtr<iTask>& task : tasks)
            m_Tasks.remove(task);
    } else {
        m_Tasks.m_Items.clear();
    }
    for (const SmartPtr<iTask>& task : tasks) {
        task->m_bAttached = false;
        task->OnKill();
    }
}

void TaskManager::Update() {
    m_nPreviousTime = m_nCurrentTime;
    SetCurrentTime();
    UpdateTasks();
}

void TaskManager::SetCurrentTime() {
    m_nCurrentTime = static_cast<int64_t>(m_pClock->GetMilliseconds());
    s_nSharedTime.store(m_nCurrentTime, std::memory_order_relaxed);
}

void TaskManager::SetMaxFps(int maxFps) {
    if (maxFps <= 0)
        maxFps = DEFAULT_MAX_FPS;
    m_nFrameTime = 1000 / maxFps;
}

void TaskManager::UpdateTasks() {
    const unsigned int step = GetStep();
    UpdateAllTasks(step > static_cast<unsigned int>(INT_MAX) ? INT_MAX : static_cast<int>(step));
}

void TaskManager::UpdateAllTasks(int step) {
    ++m_Tasks.m_nTransactionDepth;
    // Additions and removals are queued, so the walk sees a list of fixed length.
    for (int i = 0; i < m_Tasks.m_Items.size(); ++i) {
        // Keeps a task alive that detaches itself, or is released, in its update.
        const SmartPtr<iTask> task = m_Tasks.m_Items[i];
        if (task->m_bRemoveRequested) {
            task->m_bAttached = false;
            m_Tasks.remove(task);
            continue;
        }
        if (!task->m_bActive || !task->m_bAttached)
            continue;
        if (!task->m_bInitialized) {
            task->m_bInitialized = true;
            task->OnInitialize();
            if (!task->m_bActive || !task->m_bAttached)
                continue;
        }
        task->OnUpdate(step);
    }
    --m_Tasks.m_nTransactionDepth;
    m_Tasks.PurgeActions();
    UpdateStatistics();
}

void TaskManager::RecordStep(unsigned int step) {
    if (step > m_nMaxStep)
        m_nMaxStep = step;
    if (step < m_nMinStep)
        m_nMinStep = step;
}

void TaskManager::UpdateStatistics() {
    const int64_t elapsed = Elapsed(m_nStatisticsStartTime, m_nCurrentTime);
    const int64_t frames = m_nFrameCount - m_nStatisticsStartFrame;
    if (m_nStatisticsInterval <= 0 || elapsed < m_nStatisticsInterval) {
        ++m_nFrameCount;
        return;
    }
    if (frames > 0)
        m_fAverageFrameTime = static_cast<float>(elapsed) / static_cast<float>(frames);
    m_nStatisticsStartTime = m_nCurrentTime;
    m_nStatisticsStartFrame = m_nFrameCount;
    m_nMinStep = 2147483647;
    m_nMaxStep = -1;
    ++m_nFrameCount;
}

}  // namespace ZQ2
