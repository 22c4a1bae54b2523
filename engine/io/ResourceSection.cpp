#include "engine/io/ResourceSection.h"

#include "engine/io/AbstractProperty.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"

namespace ZQ2 {

const char* const PROP_SECTIONS = "Sections";
const char* const PROP_NAME = "name";
const char* const PROP_AUTO = "auto";

const RTTI* const ResourceSection::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI ResourceSection::rtti("ResourceSection", ResourceSection::rttis);

ResourceSection::ResourceSection(const std::string& name, bool autoLoad) : m_strName(name), m_bAuto(autoLoad) {}

ResourceSection::ResourceSection(AbstractProperty* property, const ObjectFactory* factory) {
    if (!property)
        return;
    PropertyNode* node = property->ToNode();
    SetProperties(node);
    if (!factory)
        factory = ObjectFactory::Instance();
    for (const SmartPtr<AbstractProperty>& child : *node) {
        if (!child || child->GetType() != PROPERTY_NODE)
            continue;
        // Held while it is tested, so an object that is no resource is freed.
        const SmartPtr<BaseObject> made(factory->CreateObject(child));
        if (ResourceObject* resource = DynamicCast<ResourceObject>(made.Get()))
            InsertResource(child->GetName(), resource);
    }
}

void ResourceSection::SetProperties(PropertyNode* node) {
    if (!node)
        return;
    if (node->HasProperty(PROP_NAME))
        m_strName = node->GetPropString(PROP_NAME);
    if (node->HasProperty(PROP_AUTO))
        m_bAuto = node->GetValue(PROP_AUTO)->ToBoolean();
}

void ResourceSection::InsertResource(const std::string& name, ResourceObject* object) {
    if (object)
        m_Resources[name] = object;
}

ResourceObject* ResourceSection::GetResource(const std::string& name) const {
    const auto found = m_Resources.find(name);
    return found != m_Resources.end() ? found->second.Get() : nullptr;
}

int ResourceSection::GetUnitsTotal() const {
    int units = 0;
    for (const auto& entry : m_Resources)
        units += entry.second->GetUnits();
    return units;
}

int ResourceSection::GetUnitsLoaded() const {
    int units = 0;
    for (const auto& entry : m_Resources) {
        if (entry.second->IsLoaded())
            units += entry.second->GetUnits();
    }
    return units;
}

bool ResourceSection::IsLoaded() const {
    for (const auto& entry : m_Resources) {
        if (!entry.second->IsLoaded())
            return false;
    }
    return true;
}

ResourceObject* ResourceSection::GetObjectToLoad() const {
    if (!m_bRequested)
        return nullptr;
    for (const auto& entry : m_Resources) {
        if (!entry.second->IsLoaded())
            return entry.second;
    }
    return nullptr;
}

std::string ResourceSection::ToString() const {
    auto yesNo = [](bool flag) { return flag ? "Y" : "N"; };
    std::string text = "Name: " + m_strName + "; Auto Load: " + yesNo(m_bAuto) + "; Has Started: " +
                       yesNo(m_bRequested) + ";\n  Objects:\n";
    for (const auto& entry : m_Resources)
        text += "\t" + entry.second->ToString() + "\n";
    return text;
}

}  // namespace ZQ2
