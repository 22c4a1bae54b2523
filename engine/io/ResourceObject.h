#pragma once
// Base of every named resource of the resource lists (images, fonts, sounds,
// streams, masks): its file, where the file is read from, its weight in load
// progress, and whether it has loaded and why it failed.
//
// A resource is shared by the main thread and the loader thread, so its
// loaded flag and error code are atomic, its reference count is taken under a
// lock, and EnsureLoaded and Unload let one thread at a time load or free it.
#include <atomic>
#include <mutex>
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/io/eArchiveType.h"
#include "engine/io/eResourceError.h"

namespace ZQ2 {

class AbstractProperty;
class PropertyNode;

extern const char* const PROP_FILE;
extern const char* const PROP_ARCHIVE;

class ResourceObject : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // file is kept in its standard form (MakeStandardFileName).
    explicit ResourceObject(const std::string& file = std::string());
    // Reads "file" and "archive" from the node; null leaves the defaults.
    explicit ResourceObject(AbstractProperty* property);
    ResourceObject(const ResourceObject&) = delete;
    ResourceObject& operator=(const ResourceObject&) = delete;
    const RTTI& GetRTTI() const override { return rtti; }

    void AddRef() override;
    void Release() override;

    // Loads the payload and ends with SetFinished, successful or not;
    // failures are kept as error codes. Called through EnsureLoaded, with
    // this resource's load lock held: it must not call back into the
    // resource manager's locked operations.
    virtual void Load() = 0;
    // The payload: the image resource itself, the font, the sound, the stream.
    virtual BaseObject* GetResource() = 0;
    // Wakes the loader, then marks the resource not loaded and clears its
    // error. Classes free their payload first.
    virtual void FreeResource();
    // Same file (a resource without a file equals nothing).
    virtual bool Equals(ResourceObject* other);
    virtual std::string ToStringForResource() const;
    virtual void SetFinished();
    virtual void SetError(eResourceError error);
    std::string ToString() const override;

    virtual void SetProperties(PropertyNode* node);

    // Loads unless already loaded; while another thread is loading this
    // resource, waits for that load instead. True when it loaded cleanly.
    bool EnsureLoaded();
    // Frees the resource when it is loaded, after any load in progress on
    // another thread has ended.
    void Unload();

    bool IsLoaded() const { return m_bLoaded.load(std::memory_order_acquire); }
    eResourceError GetError() const { return static_cast<eResourceError>(m_nError.load(std::memory_order_acquire)); }
    bool HasError() const { return GetError() != RESOURCE_ERROR_NONE; }
    std::string GetErrorMessage() const { return GetErrorMessage(GetError()); }
    static std::string GetErrorMessage(int error);

    const std::string& GetFile() const { return m_strFile; }
    void SetFile(const std::string& file);
    int GetUnits() const { return m_nUnits; }
    void SetUnits(int units) { m_nUnits = units; }
    eArchiveType GetArchiveType() const { return m_eArchiveType; }
    void SetArchiveType(eArchiveType type) { m_eArchiveType = type; }
    // The reference count, read under the lock that guards it.
    int GetSharedCount() const;

    // Whether file can be found where FileArchive::LoadFile reads it for
    // type: the zip member or the plain file, with ".!" for the enciphered
    // types; type 0 follows the data archive's global type.
    static bool SourceExists(const std::string& file, eArchiveType type);
    // Called whenever a resource is freed, so a waiting loader can refill; set by the resource manager.
    static void SetFreeListener(void (*listener)());
    // The same for this resource's file and archive type.
    bool SourceExists() const { return SourceExists(m_strFile, m_eArchiveType); }

protected:
    // For a reload that starts over (Load sets it false first).
    void SetLoaded(bool loaded) { m_bLoaded.store(loaded, std::memory_order_release); }

private:
    std::string m_strFile;
    std::atomic<bool> m_bLoaded{false};
    std::atomic<int> m_nError{RESOURCE_ERROR_NONE};
    int m_nUnits = 1;
    eArchiveType m_eArchiveType = ARCHIVE_DEFAULT;
    // Held across a load or a free, so the two threads never overlap them.
    std::mutex m_LoadMutex;
};

}  // namespace ZQ2
