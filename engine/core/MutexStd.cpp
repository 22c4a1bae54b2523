#include "engine/core/MutexStd.h"

#include <system_error>

namespace ZQ2 {

bool MutexStd::Lock() {
    try {
        m_Mutex.lock();
    } catch (const std::system_error&) {
        return false;
    }
    m_Owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
    ++m_nDepth;
    return true;
}

bool MutexStd::Unlock() {
    if (m_Owner.load(std::memory_order_relaxed) != std::this_thread::get_id())
        return false;
    if (--m_nDepth == 0)
        m_Owner.store(std::thread::id(), std::memory_order_relaxed);
    m_Mutex.unlock();
    return true;
}

}  // namespace ZQ2
