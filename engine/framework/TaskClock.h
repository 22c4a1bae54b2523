#pragma once
// The clock and sleep the task manager times its frames with: the platform's
// 32-bit millisecond clock unless a test puts its own in place.

namespace ZQ2 {

class TaskClock {
public:
    virtual ~TaskClock() = default;

    // Wraps after about 49.7 days.
    virtual unsigned int GetMilliseconds();
    virtual void Sleep(unsigned long ms);

    static TaskClock& GetPlatformClock();
};

}  // namespace ZQ2
