#pragma once
// Scope lock: locks the mutex it is given (if any) and unlocks it on leaving
// the scope.
#include "engine/core/Mutex.h"

namespace ZQ2 {

class MutexLock {
public:
    explicit MutexLock(Mutex* mutex);
    virtual ~MutexLock();
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex* m_pMutex;
};

}  // namespace ZQ2
