#pragma once
// The task manager the application runs: frames start at least one frame
// time apart, and a long step reaches the tasks as 100 ms at most.
#include "engine/framework/TaskManager.h"

namespace ZQ2 {

class TaskmanagerTimed : public TaskManager {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    TaskmanagerTimed();

    const RTTI& GetRTTI() const override { return rtti; }

    // Makes a timed manager the engine's task manager.
    static void CreateInstance();
    static TaskManager* Instance() { return g_Instance; }

protected:
    void UpdateTasks() override;
};

}  // namespace ZQ2
