#pragma once
// Knows every image data of the program and, once a frame, marks texture
// targets that have not been drawn with for half a second as flushed.
// Image data files itself here from whichever thread makes it (the resource
// loader among them), so the lists and the instance are guarded by a lock.
#include "engine/core/Mutex.h"
#include "engine/core/ZQVector.h"
#include "engine/core/iInstance.h"
#include "engine/framework/iTask.h"

namespace ZQ2 {

class ImageData;

class ImageManager : public iTask, public iInstance<ImageManager> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // A texture target unused for longer than this is flushed.
    static constexpr int FLUSH_AFTER_MS = 500;

    // Make and drop the instance under the lock that registration takes.
    static void CreateInstance();
    static void ReleaseInstance();
    // Files data with the instance, when one exists; true when filed.
    static bool AddToInstance(ImageData* data, bool managed);
    static void RemoveFromInstance(ImageData* data);

    ImageManager() = default;
    // Forgets the image data; it is not owned.
    ~ImageManager() override;
    ImageManager(const ImageManager&) = delete;
    ImageManager& operator=(const ImageManager&) = delete;

    const RTTI& GetRTTI() const override { return rtti; }

    // Managed data are ordinary textures, the others texture targets.
    void AddImageData(ImageData* data, bool managed);
    // The first occurrence in the managed list, else in the unmanaged one.
    void RemoveImageData(ImageData* data);
    // The flush policy; the elapsed time is not used.
    void OnUpdate(int deltaMs) override;
    // Flush or restore every texture target.
    void Flush();
    void Restore();

    int GetManagedCount() const;
    int GetUnmanagedCount() const;
    bool Contains(const ImageData* data) const;

private:
    // One lock for the instance pointer and every instance's lists.
    static Mutex& GetLock();

    ZQVector<ImageData*> m_Managed;
    ZQVector<ImageData*> m_Unmanaged;
};

}  // namespace ZQ2
