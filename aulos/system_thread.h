// Threads, critical sections and semaphores of the sound system, over the C++
// standard library. Handles are opaque pointers. A thread is never killed: its
// owner asks it to stop through a flag of its own and AUSND_Thread_Destroy joins it.
#pragma once

#include <cstdint>

typedef int (*AUSND_THREADPROC)(void* param);
typedef void* AUSND_THREADHANDLE;
typedef void* AUSND_CRITICALSECTION;
typedef void* AUSND_SEMAPHORE;
typedef uint64_t AUSND_THREADID;

// Both return null on failure. With a non-real-time output no thread is made
// and the value 1 comes back, which AUSND_Thread_Destroy accepts.
AUSND_THREADHANDLE AUSND_Thread_Create(AUSND_THREADPROC entry, void* param, int priority, int stacksize);
AUSND_THREADHANDLE AUSND_Thread_CreateWithStack(AUSND_THREADPROC entry, void* param, int priority, void* stack,
                                                int stacksize);
// Waits for the thread's entry to return and releases the handle. Null is ignored.
void AUSND_Thread_Destroy(AUSND_THREADHANDLE thread);
AUSND_THREADID AUSND_Thread_GetCurrentID();

// Critical sections accept null and then do nothing. A thread may enter one it
// already holds; every Enter needs its Leave.
AUSND_CRITICALSECTION AUSND_CriticalSection_Create();
void AUSND_CriticalSection_Free(AUSND_CRITICALSECTION section);
void AUSND_CriticalSection_Enter(AUSND_CRITICALSECTION section);
void AUSND_CriticalSection_Leave(AUSND_CRITICALSECTION section);

// Semaphores are not used by this platform's sound system: they do nothing.
AUSND_SEMAPHORE AUSND_Semaphore_Create(int initial);
void AUSND_Semaphore_Free(AUSND_SEMAPHORE semaphore);
void AUSND_Semaphore_Wait(AUSND_SEMAPHORE semaphore);
void AUSND_Semaphore_Signal(AUSND_SEMAPHORE semaphore);

// Holds a critical section for the life of a scope.
class AUSND_ScopedSection
{
public:
    explicit AUSND_ScopedSection(AUSND_CRITICALSECTION section) : m_pSection(section)
    {
        AUSND_CriticalSection_Enter(m_pSection);
    }
    ~AUSND_ScopedSection() { AUSND_CriticalSection_Leave(m_pSection); }
    AUSND_ScopedSection(const AUSND_ScopedSection&) = delete;
    AUSND_ScopedSection& operator=(const AUSND_ScopedSection&) = delete;

private:
    AUSND_CRITICALSECTION m_pSection;
};
