#pragma once
// Recursive mutex over the C++ standard library. It tracks its owner, so an
// unlock by a thread that does not hold it fails instead of corrupting it.
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "engine/core/Mutex.h"

namespace ZQ2 {

class MutexStd : public Mutex {
public:
    explicit MutexStd(const std::string& name) : m_strName(name) {}
    MutexStd(const MutexStd&) = delete;
    MutexStd& operator=(const MutexStd&) = delete;

    bool Unlock() override;
    bool Lock() override;

    const std::string& GetName() const { return m_strName; }

private:
    std::recursive_mutex m_Mutex;
    std::atomic<std::thread::id> m_Owner{};
    int m_nDepth = 0;  // touched only by the owner
    std::string m_strName;
};

}  // namespace ZQ2
