#pragma once
// A named group of resources from a resource list, loaded and unloaded
// together. Resources are kept and loaded in name order. The resource
// manager reads and writes sections under its instance lock.
#include <map>
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/io/ResourceObject.h"

namespace ZQ2 {

class AbstractProperty;
class ObjectFactory;
class PropertyNode;

extern const char* const PROP_SECTIONS;
extern const char* const PROP_NAME;
extern const char* const PROP_AUTO;

class ResourceSection : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    ResourceSection(const std::string& name, bool autoLoad);
    // Reads "name" and "auto", then has the factory build one resource from
    // each child node, filed under the child's name (a later child replaces
    // an earlier one of the same name). Children the factory cannot make
    // into a resource are left out. A null factory means the global one.
    explicit ResourceSection(AbstractProperty* property, const ObjectFactory* factory = nullptr);
    const RTTI& GetRTTI() const override { return rtti; }

    void SetProperties(PropertyNode* node);

    void AddResource(const std::string& name, ResourceObject* object) { InsertResource(name, object); }
    void InsertResource(const std::string& name, ResourceObject* object);
    bool HasResource(const std::string& name) const { return m_Resources.count(name) != 0; }
    // The resource, or null.
    ResourceObject* GetResource(const std::string& name) const;
    const std::map<std::string, SmartPtr<ResourceObject>>& GetResources() const { return m_Resources; }

    int GetUnitsTotal() const;
    int GetUnitsLoaded() const;
    // Every resource has finished (an empty section at once).
    bool IsLoaded() const;
    // The first resource in name order that has not loaded, or null when the
    // section was never queued.
    ResourceObject* GetObjectToLoad() const;

    const std::string& GetName() const { return m_strName; }
    bool IsAuto() const { return m_bAuto; }
    bool IsRequested() const { return m_bRequested; }
    void SetRequested(bool requested) { m_bRequested = requested; }

    std::string ToString() const override;

private:
    std::map<std::string, SmartPtr<ResourceObject>> m_Resources;
    std::string m_strName;
    bool m_bAuto = false;
    bool m_bRequested = false;
};

}  // namespace ZQ2
