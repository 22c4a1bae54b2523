#include "engine/io/RegistryBase.h"

#include <memory>

#include "engine/core/Platform.h"
#include "engine/io/BasicProperties.h"
#include "platform/PreferencesStore.h"

namespace ZQ2 {

namespace {

// Without a game id yet, the preferences belong to the program itself.
const char* const kFallbackDomain = "delvor";

std::unique_ptr<platform::PreferencesStore>& StoreSlot() {
    static std::unique_ptr<platform::PreferencesStore> store;
    return store;
}

}  // namespace

RegistryBase::RegistryBase(const std::string& path, bool uncached) : m_bUncached(uncached) { SplitPath(path); }

void RegistryBase::SetKeyPath(const std::string& path) { SplitPath(path); }

void RegistryBase::SplitPath(const std::string& path) {
    std::string key = path;
    for (char& c : key) {
        if (c == '/')
            c = '\\';
    }
    if (!key.empty() && key.back() == '\\')
        key.pop_back();
    const size_t cut = key.rfind('\\');
    if (cut == std::string::npos) {
        m_sKeyFolder.clear();
        m_sValueName = key;
        return;
    }
    m_sKeyFolder = key.substr(0, cut);
    m_sValueName = key.substr(cut + 1);
}

// A top-level value has no folder of its own to remove.
int RegistryBase::RemoveKey() {
    if (m_sKeyFolder.empty())
        return 0;
    Defaults().RemoveFolder(m_sKeyFolder);
    Synchronize();
    return 0;
}

int RegistryBase::RemoveValue() {
    Defaults().Remove(m_sKeyFolder, m_sValueName);
    Synchronize();
    return 0;
}

platform::PreferencesStore& RegistryBase::Defaults() {
    std::string domain = BasicProperties::GetGameId();
    if (domain.empty())
        domain = kFallbackDomain;
    std::unique_ptr<platform::PreferencesStore>& store = StoreSlot();
    if (!store || store->GetDomain() != domain) {
        store.reset(new platform::PreferencesStore(domain));
        if (!store->Load())
            Platform::OutputDebugString("Preferences: '" + store->GetPath() + "' was unreadable and was set aside.\n");
    }
    return *store;
}

void RegistryBase::ForgetDefaults() { StoreSlot().reset(); }

bool RegistryBase::Synchronize() { return Defaults().Save(); }

}  // namespace ZQ2
