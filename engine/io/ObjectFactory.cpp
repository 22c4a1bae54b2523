#include "engine/io/ObjectFactory.h"

#include "engine/io/AbstractProperty.h"

namespace ZQ2 {

const RTTI* const ObjectFactory::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI ObjectFactory::rtti("ObjectFactory", ObjectFactory::rttis);

ObjectFactory* ObjectFactory::Instance() {
    if (!g_Instance)
        CreateInstance();
    return g_Instance;
}

void ObjectFactory::AddFactoryFunction(const std::string& name, CreateFunction create) { m_Registry[name] = create; }

BaseObject* ObjectFactory::CreateObject(const std::string& name, AbstractProperty* data) const {
    auto found = m_Registry.find(name);
    if (found == m_Registry.end() || !found->second)
        return nullptr;
    return found->second(data);
}

BaseObject* ObjectFactory::CreateObject(AbstractProperty* data) const {
    if (!data)
        return nullptr;
    return CreateObject(data->GetTypeName(), data);
}

ZQVector<std::string> ObjectFactory::GetListOfObjectTypes() const {
    ZQVector<std::string> names;
    for (const auto& entry : m_Registry)
        names.push_back(entry.first);
    return names;
}

}  // namespace ZQ2
