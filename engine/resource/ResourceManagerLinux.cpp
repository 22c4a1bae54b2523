#include "engine/resource/ResourceManagerLinux.h"

namespace ZQ2 {

const RTTI* const ResourceManagerLinux::rttis[] = {&ResourceManager::rtti, nullptr};
const RTTI ResourceManagerLinux::rtti("ResourceManagerLinux", ResourceManagerLinux::rttis);

ResourceManagerLinux::ResourceManagerLinux() : m_Thread(&ResourceManagerLinux::Task, this) {}

ResourceManagerLinux::~ResourceManagerLinux() { Stop(); }

void ResourceManagerLinux::Task() {
    Suspend();
    Run();
}

void ResourceManagerLinux::Stop() {
    EndRunning();
    Resume();
    if (m_Thread.joinable() && m_Thread.get_id() != std::this_thread::get_id())
        m_Thread.join();
}

void ResourceManagerLinux::Suspend() {
    std::unique_lock<std::mutex> lock(m_WakeMutex);
    m_Wake.wait(lock, [this] { return m_bWakeSignaled; });
    m_bWakeSignaled = false;
}

void ResourceManagerLinux::Resume() {
    {
        std::lock_guard<std::mutex> lock(m_WakeMutex);
        m_bWakeSignaled = true;
    }
    m_Wake.notify_one();
}

}  // namespace ZQ2
