#include "engine/sprite/ResourceLookup.h"

#include "engine/graphics/Image.h"
#include "engine/resource/ResourceManager.h"

namespace ZQ2 {

Image* ResourceLookup::GetImage(const std::string& name, const std::string& section, const std::string* sheetId) {
    if (s_pImageSource)
        return s_pImageSource(name, section, sheetId);
    ResourceManager* resources = ResourceManager::g_Instance;
    if (!resources)
        return nullptr;
    return sheetId ? resources->GetImage(name, section, *sheetId) : resources->GetImage(name, section);
}

BaseObject* ResourceLookup::GetResource(const std::string& name, const std::string& section) {
    if (s_pResourceSource)
        return s_pResourceSource(name, section);
    if (!ResourceManager::g_Instance)
        return nullptr;
    return ResourceManager::g_Instance->GetResource(name, section);
}

}  // namespace ZQ2
