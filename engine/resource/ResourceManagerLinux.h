#pragma once
// The resource manager of this platform: the loader runs on its own thread
// and sleeps on a wake-up semaphore (count at most 1) between rounds. The
// thread is never killed: Stop asks it to end and joins it.
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/resource/ResourceManager.h"

namespace ZQ2 {

class ResourceManagerLinux : public ResourceManager {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Starts the loader, which sleeps until the first Resume.
    ResourceManagerLinux();
    ~ResourceManagerLinux() override;
    const RTTI& GetRTTI() const override { return rtti; }

    // Returns once the loader has ended: at once when it sleeps, else after
    // the resource in hand. Not to be called from the loader itself.
    void Stop() override;
    void Suspend() override;
    void Resume() override;

private:
    void Task();

    std::mutex m_WakeMutex;
    std::condition_variable m_Wake;
    bool m_bWakeSignaled = false;
    // Last, so the thread starts after everything it uses is built.
    std::thread m_Thread;
};

}  // namespace ZQ2
