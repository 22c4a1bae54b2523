// The sound system's clock: a monotonic 64-bit microsecond count, sleeps that
// honour the non-real-time outputs, and CPU-usage stamps for the mixing paths.
#pragma once

#include <cstdint>

struct AUSND_TIMESTAMP
{
    uint64_t start;
    uint64_t end;
    uint64_t previousend;
    float busy;
    float period;
};

uint64_t AUSND_Time_GetFine();          // microseconds since an arbitrary start
uint64_t AUSND_Time_Get();              // milliseconds since the same start
void AUSND_Time_Sleep(unsigned int ms); // 0 yields; nothing at all for non-real-time outputs
void AUSND_Time_StampIn(AUSND_TIMESTAMP* stamp);
float AUSND_Time_StampOut(AUSND_TIMESTAMP* stamp, int smoothing);
