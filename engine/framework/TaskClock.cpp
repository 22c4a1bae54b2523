#include "engine/framework/TaskClock.h"

#include "engine/core/Platform.h"

namespace ZQ2 {

unsigned int TaskClock::GetMilliseconds() {
    Platform::BeginHighTimeGranularity();
    const unsigned int now = Platform::GetMilliseconds();
    Platform::EndHighTimeGranularity();
    return now;
}

void TaskClock::Sleep(unsigned long ms) { Platform::Sleep(ms); }

TaskClock& TaskClock::GetPlatformClock() {
    static TaskClock clock;
    return clock;
}

}  // namespace ZQ2
