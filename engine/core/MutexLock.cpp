#include "engine/core/MutexLock.h"

namespace ZQ2 {

MutexLock::MutexLock(Mutex* mutex) : m_pMutex(mutex) {
    if (m_pMutex)
        m_pMutex->Lock();
}

MutexLock::~MutexLock() {
    if (m_pMutex)
        m_pMutex->Unlock();
    m_pMutex = nullptr;
}

}  // namespace ZQ2
