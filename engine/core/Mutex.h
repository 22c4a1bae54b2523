#pragma once
// The engine's mutual exclusion. Every mutex is recursive and owned by the
// thread that locked it; Create makes the kind this platform uses.
#include <string>

namespace ZQ2 {

class Mutex {
public:
    virtual ~Mutex() = default;
    // False when the calling thread does not hold the mutex.
    virtual bool Unlock() = 0;
    // Waits without limit; false only when locking itself failed.
    virtual bool Lock() = 0;

    // The caller owns the result and deletes it through this interface.
    static Mutex* Create(const std::string& name);
};

}  // namespace ZQ2
