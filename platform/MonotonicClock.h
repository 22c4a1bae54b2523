#pragma once
// The process's time base: a monotonic millisecond count that wraps at 2^32,
// and sleeping. Safe to call from any thread.
#include <cstdint>

namespace platform {

class MonotonicClock {
public:
    // Milliseconds since system start (a clock that never steps back),
    // wrapped into 32 bits.
    static uint32_t Milliseconds();

    // Folds a 64-bit millisecond count into the 32-bit clock value.
    static uint32_t Wrap(uint64_t milliseconds);

    // Blocks the calling thread for at least ms milliseconds.
    static void Sleep(unsigned long ms);
};

}  // namespace platform
