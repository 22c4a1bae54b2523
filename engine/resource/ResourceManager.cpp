#include "engine/resource/ResourceManager.h"

#include "engine/core/MutexLock.h"
#include "engine/core/Platform.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyVector.h"
#include "engine/resource/ResourceImage.h"
#include "engine/resource/ResourceManagerLinux.h"

namespace ZQ2 {

const char* const DEFAULT_RESOURCE_PATH = "";

const RTTI* const ResourceManager::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI ResourceManager::rtti("ResourceManager", ResourceManager::rttis);

// Made with the first manager, before any loader thread exists, and kept for
// the life of the process.
Mutex* ResourceManager::g_ThreadMutex = nullptr;

namespace {

void RemoveAll(ZQVector<std::string>& list, const std::string& name) {
    while (list.contains(name))
        list.remove(name);
}

}  // namespace

ResourceManager::ResourceManager()
    : m_strResourcePath(DEFAULT_RESOURCE_PATH),
      m_pStores(new PropertyVector()),
      m_Mutex(Mutex::Create(BasicProperties::GetGameName() + "ResourceManager::m_Mutex")) {
    if (!g_ThreadMutex)
        g_ThreadMutex = Mutex::Create(BasicProperties::GetGameName() + "ResourceManager::g_ThreadMutex");
}

ResourceManager::~ResourceManager() = default;

void ResourceManager::CreateInstance() {
    RemoveInstance();
    g_Instance = new ResourceManagerLinux();
    g_Instance->AddRef();
    ResourceObject::SetFreeListener(&ResourceManager::WakeLoader);
}

void ResourceManager::WakeLoader() {
    if (ResourceManager* manager = g_Instance)
        manager->Resume();
}

void ResourceManager::RemoveInstance() {
    ResourceManager* instance = g_Instance;
    if (!instance)
        return;
    // The loader is joined without holding the thread lock: it may be
    // waiting for that lock to start its last round.
    instance->Stop();
    MutexLock lock(g_ThreadMutex);
    g_Instance = nullptr;
    instance->Release();
}

void ResourceManager::SetReady(bool ready) {
    m_bReady.store(ready);
    if (ready)
        Resume();
}

void ResourceManager::ParseResourceFiles() {
    m_pStores->Clear();
    LoadStores();
    m_pStores->Clear();
}

void ResourceManager::LoadStores() {
    MutexLock lock(m_Mutex.get());
    for (const std::string& file : m_Files) {
        auto* store = new PropertyStore(m_strResourcePath + file);
        m_pStores->InsertProperty(store);
        store->SetCondenseWhiteSpace(false);
        store->Load();
    }
    for (const SmartPtr<AbstractProperty>& store : *m_pStores)
        AddSectionsFromStore(store->ToNode());
}

void ResourceManager::AddSectionsFromStore(PropertyNode* store) {
    if (!store)
        return;
    MutexLock lock(m_Mutex.get());
    for (const SmartPtr<AbstractProperty>& node : *store->GetVector(PROP_SECTIONS)) {
        if (node && node->GetType() == PROPERTY_NODE)
            AddSection(new ResourceSection(node, m_pFactory));
    }
}

void ResourceManager::AddSection(ResourceSection* section) {
    if (!section)
        return;
    const SmartPtr<ResourceSection> keep(section);
    MutexLock lock(m_Mutex.get());
    const std::string& name = section->GetName();
    m_Sections[name] = section;
    // A replacement keeps the place its name has in the queues.
    if (m_Requested.contains(name) || m_Auto.contains(name))
        section->SetRequested(true);
    if (section->IsAuto() && !section->IsLoaded()) {
        Resume();
        m_Auto.push_back_if_unique(name);
        section->SetRequested(true);
    }
}

ResourceSection* ResourceManager::GetSection(const std::string& name) {
    MutexLock lock(m_Mutex.get());
    return FindSection(name);
}

ResourceSection* ResourceManager::FindSection(const std::string& name) const {
    const auto found = m_Sections.find(name);
    return found != m_Sections.end() ? found->second.Get() : nullptr;
}

bool ResourceManager::WaitingFor(const std::string& name) {
    MutexLock lock(m_Mutex.get());
    ResourceSection* section = FindSection(name);
    if (!section || section->IsLoaded())
        return false;
    if (!m_Requested.contains(name)) {
        section->SetRequested(true);
        Resume();
        m_Requested.push_back(name);
        m_nUnitsRequested += section->GetUnitsTotal();
    }
    return true;
}

bool ResourceManager::IsComplete() {
    Resume();
    if (!m_bReady.load())
        return false;
    MutexLock lock(m_Mutex.get());
    PurgeSectionNameList(m_Requested, true);
    for (const std::string& name : m_Requested) {
        if (FindSection(name))
            return false;
    }
    return true;
}

bool ResourceManager::WaitForLoadingComplete(int ms) {
    while (!IsComplete())
        Platform::Sleep(ms > 0 ? static_cast<unsigned long>(ms) : 0);
    return true;
}

float ResourceManager::GetLoadProgress() {
    MutexLock lock(m_Mutex.get());
    if (m_nUnitsRequested <= 0)
        return 1.0f;
    long long done = m_nUnitsDone;
    for (const std::string& name : m_Requested) {
        if (const ResourceSection* section = FindSection(name))
            done += section->GetUnitsLoaded();
    }
    const float progress = static_cast<float>(done) / static_cast<float>(m_nUnitsRequested);
    return progress < 0.0f ? 0.0f : (progress > 1.0f ? 1.0f : progress);
}

void ResourceManager::ClearLoadProgress() {
    MutexLock lock(m_Mutex.get());
    m_nUnitsRequested = 0;
    m_nUnitsDone = 0;
    m_Requested.clear();
}

ResourceSection* ResourceManager::PurgeSectionNameList(ZQVector<std::string>& list, bool countUnits) {
    for (int i = 0; i < list.size();) {
        const ResourceSection* section = FindSection(list[i]);
        if (!section || !section->IsLoaded()) {
            ++i;
            continue;
        }
        if (countUnits)
            m_nUnitsDone += section->GetUnitsTotal();
        list.erase(list.begin() + i, list.begin() + i + 1);
    }
    return list.empty() ? nullptr : FindSection(list[0]);
}

ResourceObject* ResourceManager::GetResourceObject(const std::string& name, const std::string& section) {
    MutexLock lock(m_Mutex.get());
    const ResourceSection* owner = FindSection(section);
    ResourceObject* object = owner ? owner->GetResource(name) : nullptr;
    if (!object || object->HasError())
        return nullptr;
    return object->EnsureLoaded() ? object : nullptr;
}

BaseObject* ResourceManager::GetResource(const std::string& name, const std::string& section) {
    MutexLock lock(m_Mutex.get());
    ResourceObject* object = GetResourceObject(name, section);
    return object ? object->GetResource() : nullptr;
}

Image* ResourceManager::GetImage(const std::string& name, const std::string& section) {
    MutexLock lock(m_Mutex.get());
    const ResourceImage* image = DynamicCast<ResourceImage>(GetResourceObject(name, section));
    return image ? image->GetImage() : nullptr;
}

Image* ResourceManager::GetImage(const std::string& name, const std::string& section, const std::string& sub) {
    MutexLock lock(m_Mutex.get());
    const ResourceImage* image = DynamicCast<ResourceImage>(GetResourceObject(name, section));
    return image ? image->GetImage(sub) : nullptr;
}

BaseObject* ResourceManager::LoadResource(const std::string& name, const std::string& section) {
    MutexLock lock(m_Mutex.get());
    const ResourceSection* owner = FindSection(section);
    ResourceObject* object = owner ? owner->GetResource(name) : nullptr;
    if (!object)
        return nullptr;
    object->EnsureLoaded();
    return object->GetResource();
}

void ResourceManager::UnloadResource(const std::string& name, const std::string& section) {
    MutexLock lock(m_Mutex.get());
    const ResourceSection* owner = FindSection(section);
    if (ResourceObject* object = owner ? owner->GetResource(name) : nullptr)
        object->Unload();
}

void ResourceManager::UnloadSection(const std::string& section) {
    MutexLock lock(m_Mutex.get());
    if (const ResourceSection* owner = FindSection(section)) {
        for (const auto& entry : owner->GetResources())
            entry.second->Unload();
    }
}

bool ResourceManager::RemoveSection(const std::string& section, bool unload) {
    MutexLock lock(m_Mutex.get());
    RemoveAll(m_Requested, section);
    RemoveAll(m_Auto, section);
    if (!FindSection(section))
        return false;
    if (unload)
        UnloadSection(section);
    m_Sections.erase(section);
    return true;
}

SmartPtr<ResourceObject> ResourceManager::TakeObjectToLoad() {
    MutexLock lock(m_Mutex.get());
    ResourceSection* section = nullptr;
    if (!m_Requested.empty())
        section = PurgeSectionNameList(m_Requested, true);
    // Auto sections fill the time while no asked-for section waits.
    if (!section && m_Requested.empty() && !m_Auto.empty())
        section = PurgeSectionNameList(m_Auto, false);
    return section ? section->GetObjectToLoad() : nullptr;
}

bool ResourceManager::LoadNextResource() {
    MutexLock threadLock(g_ThreadMutex);
    if (!m_bRunning.load())
        return false;
    // The reference keeps the resource alive should its section be dropped
    // while it loads without the instance lock.
    const SmartPtr<ResourceObject> next = TakeObjectToLoad();
    if (!next)
        return false;
    next->EnsureLoaded();
    return true;
}

void ResourceManager::Run() {
    while (m_bRunning.load()) {
        if (!m_bReady.load() || !LoadNextResource())
            Suspend();
    }
}

std::string ResourceManager::ToString() const {
    MutexLock lock(m_Mutex.get());
    std::string text = BaseObject::ToString() + "\n";
    for (const auto& entry : m_Sections)
        text += entry.second->ToString();
    return text;
}

}  // namespace ZQ2
