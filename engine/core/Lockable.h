#pragma once
// Nesting lock counter for buffers (image data, vertex buffers). Not a thread
// lock: the outermost lock calls DoLock, the last unlock DoUnlock.
#include "engine/core/Interface.h"

namespace ZQ2 {

class Lockable : public Interface {
public:
    // True when the lock is granted. A writing lock is refused while a
    // read-only one is held; a read-only lock nests on anything.
    virtual bool Lock(bool readOnly);
    virtual bool Unlock();

    int GetLockCount() const { return m_nLockCount; }
    bool IsReadOnlyLock() const { return m_bReadOnly; }

protected:
    // Drops every lock at once without calling DoUnlock, for data whose
    // buffer is given up (a flushed texture).
    void ResetLockCount() {
        m_nLockCount = 0;
        m_bReadOnly = false;
    }
    virtual bool DoLock(bool readOnly) = 0;
    virtual bool DoUnlock() = 0;

private:
    int m_nLockCount = 0;
    bool m_bReadOnly = false;
};

}  // namespace ZQ2
