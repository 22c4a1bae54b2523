#include "aulos/system_thread.h"

#include "aulos/ausnd_device.h"

#include <atomic>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace
{
struct ThreadRecord
{
    std::thread thread;
};

// What the create calls hand out when the output mixes on demand and no
// thread may exist: the fixed value 1, never a real record.
AUSND_THREADHANDLE NonRealTimeThread()
{
    return reinterpret_cast<AUSND_THREADHANDLE>(static_cast<uintptr_t>(1));
}

AUSND_THREADHANDLE StartThread(AUSND_THREADPROC entry, void* param)
{
    if (!entry)
        return nullptr;
    if (AUSND_Output_IsNonRealTime(AUSND_CurrentDevice->outputtype))
        return NonRealTimeThread();
    ThreadRecord* record = new (std::nothrow) ThreadRecord;
    if (!record)
        return nullptr;
    try
    {
        record->thread = std::thread([entry, param] { entry(param); });
    }
    catch (const std::system_error&)
    {
        delete record;
        return nullptr;
    }
    return record;
}
} // namespace

AUSND_THREADHANDLE AUSND_Thread_Create(AUSND_THREADPROC entry, void* param, int /*priority*/, int /*stacksize*/)
{
    return StartThread(entry, param);
}

AUSND_THREADHANDLE AUSND_Thread_CreateWithStack(AUSND_THREADPROC entry, void* param, int /*priority*/,
                                                void* /*stack*/, int /*stacksize*/)
{
    return StartThread(entry, param);
}

void AUSND_Thread_Destroy(AUSND_THREADHANDLE thread)
{
    if (!thread || thread == NonRealTimeThread())
        return;
    ThreadRecord* record = static_cast<ThreadRecord*>(thread);
    if (record->thread.joinable())
    {
        if (record->thread.get_id() == std::this_thread::get_id())
            record->thread.detach(); // a thread ending itself: it is already on its way out
        else
            record->thread.join();
    }
    delete record;
}

AUSND_THREADID AUSND_Thread_GetCurrentID()
{
    static std::atomic<AUSND_THREADID> s_nNext{1};
    thread_local const AUSND_THREADID s_nId = s_nNext.fetch_add(1);
    return s_nId;
}

AUSND_CRITICALSECTION AUSND_CriticalSection_Create()
{
    return new (std::nothrow) std::recursive_mutex;
}

void AUSND_CriticalSection_Free(AUSND_CRITICALSECTION section)
{
    delete static_cast<std::recursive_mutex*>(section);
}

void AUSND_CriticalSection_Enter(AUSND_CRITICALSECTION section)
{
    if (section)
        static_cast<std::recursive_mutex*>(section)->lock();
}

void AUSND_CriticalSection_Leave(AUSND_CRITICALSECTION section)
{
    if (section)
        static_cast<std::recursive_mutex*>(section)->unlock();
}

AUSND_SEMAPHORE AUSND_Semaphore_Create(int /*initial*/)
{
    return nullptr;
}

void AUSND_Semaphore_Free(AUSND_SEMAPHORE) {}
void AUSND_Semaphore_Wait(AUSND_SEMAPHORE) {}
void AUSND_Semaphore_Signal(AUSND_SEMAPHORE) {}
