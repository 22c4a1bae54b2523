#pragma once
// Owns every named resource of the resource lists, grouped in sections, and
// drives the loader thread: sections asked for with WaitingFor load first,
// in request order, then the "auto" sections, one resource per round. The
// main thread reads progress, waits, and fetches resources by name; one it
// needs before the loader got to it is loaded at once on its own thread.
//
// Locks are always taken in the order g_ThreadMutex, m_Mutex, then a
// resource's own load lock. The loader loads with only the first and the
// last held, and keeps a reference on the resource it loads.
#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/Mutex.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/core/iInstance.h"
#include "engine/io/ResourceSection.h"

namespace ZQ2 {

class Image;
class ObjectFactory;
class PropertyNode;
class PropertyVector;

extern const char* const DEFAULT_RESOURCE_PATH;

class ResourceManager : public BaseObject, public iInstance<ResourceManager> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Brackets one round of the loader and the shutdown.
    static Mutex* g_ThreadMutex;

    ~ResourceManager() override;
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;
    const RTTI& GetRTTI() const override { return rtti; }

    // Creates the platform's manager with its loader thread as the instance.
    static void CreateInstance();
    // Stops and joins the loader, then releases the instance.
    static void RemoveInstance();
    // Wakes the loader thread, if any, after a resource was freed.
    static void WakeLoader();

    // Ends the loader: it finishes the resource in hand and returns.
    virtual void Stop() = 0;
    // Loader thread only: sleeps until the next Resume.
    virtual void Suspend() = 0;
    // Wakes the loader; wake-ups while it is awake count as one.
    virtual void Resume() = 0;
    // Reads every resource list and files its sections.
    virtual void ParseResourceFiles();

    void SetResourcePath(const std::string& path) { m_strResourcePath = path; }
    const std::string& GetResourcePath() const { return m_strResourcePath; }
    void AddFile(const std::string& file) { m_Files.push_back(file); }
    void SetFiles(const ZQVector<std::string>& files) { m_Files = files; }
    const ZQVector<std::string>& GetFiles() const { return m_Files; }

    // Lets the loader start and IsComplete answer.
    void SetReady(bool ready);
    bool IsReady() const { return m_bReady.load(); }
    bool IsRunning() const { return m_bRunning.load(); }

    // The factory that builds the resources of the lists; null (the
    // default) means the engine's own.
    void SetObjectFactory(const ObjectFactory* factory) { m_pFactory = factory; }
    // Files a section from every node of the store's "Sections" vector.
    void AddSectionsFromStore(PropertyNode* store);
    // Replaces any section of the same name; an auto section that has not
    // loaded is queued for the loader.
    void AddSection(ResourceSection* section);
    ResourceSection* GetSection(const std::string& name);

    // Queues a section for loading. False when it is loaded or unknown.
    bool WaitingFor(const std::string& section);
    // True once ready and every queued section has loaded.
    bool IsComplete();
    bool WaitForLoadingComplete(int ms);
    // Loaded units of the queued sections over their total units; 1.0 when
    // nothing is queued.
    float GetLoadProgress();
    void ClearLoadProgress();

    // The resource, loaded at once on the calling thread when it has not
    // loaded yet; null when unknown or when it failed to load.
    ResourceObject* GetResourceObject(const std::string& name, const std::string& section);
    // The payload of GetResourceObject, or null.
    BaseObject* GetResource(const std::string& name, const std::string& section);
    // The main image of an image resource, or null (unknown, failed, or not
    // an image resource).
    Image* GetImage(const std::string& name, const std::string& section);
    // The image resource's sub-image sub, or null.
    Image* GetImage(const std::string& name, const std::string& section, const std::string& sub);
    // Loads the resource unless loaded and answers its payload; null for
    // unknown names.
    BaseObject* LoadResource(const std::string& name, const std::string& section);
    void UnloadResource(const std::string& name, const std::string& section);
    void UnloadSection(const std::string& section);
    // Drops the section from the queues and the manager, unloading it first
    // when unload is set. False when the section is unknown.
    bool RemoveSection(const std::string& section, bool unload);

    std::string ToString() const override;

protected:
    ResourceManager();

    void LoadStores();
    void EndRunning() { m_bRunning.store(false); }
    // The loader's loop, until Stop.
    void Run();
    // One round: loads one resource of the first queued section that has
    // one. False when there was nothing to load.
    bool LoadNextResource();

private:
    ResourceSection* FindSection(const std::string& name) const;
    ResourceSection* PurgeSectionNameList(ZQVector<std::string>& list, bool countUnits);
    SmartPtr<ResourceObject> TakeObjectToLoad();

    std::map<std::string, SmartPtr<ResourceSection>> m_Sections;
    std::string m_strResourcePath;
    ZQVector<std::string> m_Files;
    ZQVector<std::string> m_Requested;
    ZQVector<std::string> m_Auto;
    std::atomic<bool> m_bRunning{true};
    SmartPtr<PropertyVector> m_pStores;
    std::atomic<bool> m_bReady{false};
    int m_nUnitsRequested = 0;
    int m_nUnitsDone = 0;
    std::unique_ptr<Mutex> m_Mutex;
    const ObjectFactory* m_pFactory = nullptr;
};

}  // namespace ZQ2
