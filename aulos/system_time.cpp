#include "aulos/system_time.h"

#include "aulos/ausnd_device.h"

#include <chrono>
#include <thread>

uint64_t AUSND_Time_GetFine()
{
    using namespace std::chrono;
    // A full 64-bit count: it never wraps in the life of a process.
    return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

uint64_t AUSND_Time_Get()
{
    return AUSND_Time_GetFine() / 1000;
}

void AUSND_Time_Sleep(unsigned int ms)
{
    // A non-real-time output mixes on demand: waiting could never change anything.
    if (AUSND_Output_IsNonRealTime(AUSND_CurrentDevice->outputtype))
        return;
    if (ms == 0)
    {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void AUSND_Time_StampIn(AUSND_TIMESTAMP* stamp)
{
    stamp->start = AUSND_Time_GetFine();
}

float AUSND_Time_StampOut(AUSND_TIMESTAMP* stamp, int smoothing)
{
    const float w = static_cast<float>(smoothing) / 100.0f;
    const uint64_t now = AUSND_Time_GetFine();
    stamp->end = now;
    const uint64_t period = now > stamp->previousend ? now - stamp->previousend : 0;
    stamp->period = w * stamp->period + static_cast<float>(period);
    stamp->busy = w * stamp->busy;
    if (stamp->end > stamp->start && stamp->period > 0.0f && w < 1.0f)
        stamp->busy += static_cast<float>(stamp->end - stamp->start) * 100.0f / (stamp->period * (1.0f - w));
    stamp->previousend = now;
    // Float rounding can land a hair above a full load.
    const float usage = (1.0f - w) * stamp->busy;
    return usage > 100.0f ? 100.0f : usage;
}
