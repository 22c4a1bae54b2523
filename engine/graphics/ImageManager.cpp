#include "engine/graphics/ImageManager.h"

#include <cstdint>

#include "engine/core/MutexLock.h"
#include "engine/framework/TaskManager.h"
#include "engine/graphics/ImageData.h"

namespace ZQ2 {

const RTTI* const ImageManager::rttis[] = {&iTask::rtti, nullptr};
const RTTI ImageManager::rtti("ImageManager", ImageManager::rttis);

namespace {

bool RemoveFirst(ZQVector<ImageData*>& list, ImageData* data) {
    ImageData** found = list.find(data);
    if (found == list.end())
        return false;
    list.erase(found, found + 1);
    return true;
}

}  // namespace

// Never deleted: image data may leave the manager during static destruction.
Mutex& ImageManager::GetLock() {
    static Mutex* const lock = Mutex::Create("ImageManager");
    return *lock;
}

void ImageManager::CreateInstance() {
    ImageManager* fresh = new ImageManager();
    fresh->AddRef();
    ImageManager* old = nullptr;
    {
        MutexLock guard(&GetLock());
        old = g_Instance;
        g_Instance = fresh;
    }
    if (old)
        old->Release();
}

void ImageManager::ReleaseInstance() {
    ImageManager* old = nullptr;
    {
        MutexLock guard(&GetLock());
        old = g_Instance;
        g_Instance = nullptr;
    }
    if (old)
        old->Release();
}

bool ImageManager::AddToInstance(ImageData* data, bool managed) {
    MutexLock guard(&GetLock());
    if (!g_Instance)
        return false;
    g_Instance->AddImageData(data, managed);
    return true;
}

void ImageManager::RemoveFromInstance(ImageData* data) {
    MutexLock guard(&GetLock());
    if (g_Instance)
        g_Instance->RemoveImageData(data);
}

ImageManager::~ImageManager() {
    MutexLock guard(&GetLock());
    m_Managed.clear();
    m_Unmanaged.clear();
}

void ImageManager::AddImageData(ImageData* data, bool managed) {
    MutexLock guard(&GetLock());
    (managed ? m_Managed : m_Unmanaged).push_back(data);
}

void ImageManager::RemoveImageData(ImageData* data) {
    MutexLock guard(&GetLock());
    if (!RemoveFirst(m_Managed, data))
        RemoveFirst(m_Unmanaged, data);
}

// Stamps come from the task manager's 32-bit clock, so the age is their
// 32-bit difference: it stays right across the clock's wrap, and a stamp
// ahead of the frame's time counts as fresh.
void ImageManager::OnUpdate(int) {
    if (!TaskManager::g_Instance)
        return;
    const auto now = static_cast<uint32_t>(TaskManager::g_Instance->GetCurrentTime());
    MutexLock guard(&GetLock());
    for (ImageData* data : m_Unmanaged) {
        const auto age = static_cast<int32_t>(now - static_cast<uint32_t>(data->GetLastUseTime()));
        if (!data->IsFlushed() && age > FLUSH_AFTER_MS)
            data->Flush();
    }
}

void ImageManager::Flush() {
    MutexLock guard(&GetLock());
    for (ImageData* data : m_Unmanaged)
        data->Flush();
}

void ImageManager::Restore() {
    MutexLock guard(&GetLock());
    for (ImageData* data : m_Unmanaged)
        data->Restore();
}

int ImageManager::GetManagedCount() const {
    MutexLock guard(&GetLock());
    return m_Managed.size();
}

int ImageManager::GetUnmanagedCount() const {
    MutexLock guard(&GetLock());
    return m_Unmanaged.size();
}

bool ImageManager::Contains(const ImageData* data) const {
    MutexLock guard(&GetLock());
    auto* key = const_cast<ImageData*>(data);
    return m_Managed.contains(key) || m_Unmanaged.contains(key);
}

}  // namespace ZQ2
