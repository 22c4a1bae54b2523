#include "engine/core/Lockable.h"

namespace ZQ2 {

bool Lockable::Lock(bool readOnly) {
    if (m_nLockCount < 1) {
        if (!DoLock(readOnly))
            return false;
        m_bReadOnly = readOnly;
    } else if (!readOnly && m_bReadOnly) {
        return false;
    }
    ++m_nLockCount;
    return true;
}

bool Lockable::Unlock() {
    if (m_nLockCount < 1)
        return true;
    if (--m_nLockCount == 0)
        return DoUnlock();
    return true;
}

}  // namespace ZQ2
