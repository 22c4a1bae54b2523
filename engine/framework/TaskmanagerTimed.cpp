#include "engine/framework/TaskmanagerTimed.h"

#include <algorithm>

namespace ZQ2 {

const RTTI* const TaskmanagerTimed::rttis[] = {&TaskManager::rtti, nullptr};
const RTTI TaskmanagerTimed::rtti("TaskmanagerTimed", TaskmanagerTimed::rttis);

TaskmanagerTimed::TaskmanagerTimed() { m_nFrameTime = 1000 / DEFAULT_MAX_FPS; }

void TaskmanagerTimed::CreateInstance() {
    ReleaseInstance();
    g_Instance = new TaskmanagerTimed();
    g_Instance->AddRef();
}

void TaskmanagerTimed::UpdateTasks() {
    unsigned int step = GetStep();
    // The step is never negative here, so the sleep is at most one frame time.
    if (m_nFrameTime > 0 && step < m_nFrameTime) {
        m_pClock->Sleep(static_cast<unsigned long>(m_nFrameTime - step));
        SetCurrentTime();
        step = GetStep();
    }
    RecordStep(step);
    UpdateAllTasks(static_cast<int>(std::min(step, MAX_STEP)));
}

}  // namespace ZQ2
