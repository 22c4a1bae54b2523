#include "platform/MonotonicClock.h"

#include <chrono>
#include <thread>

namespace platform {

uint32_t MonotonicClock::Milliseconds() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return Wrap(ms < 0 ? 0 : static_cast<uint64_t>(ms));
}

uint32_t MonotonicClock::Wrap(uint64_t milliseconds) {
    return static_cast<uint32_t>(milliseconds & 0xFFFFFFFFu);
}

void MonotonicClock::Sleep(unsigned long ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace platform
