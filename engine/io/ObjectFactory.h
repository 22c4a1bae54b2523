#pragma once
// Builds objects by class name from property nodes. Classes register a
// create function before main through an ObjectInitializer.
#include <map>
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/ZQVector.h"
#include "engine/core/iInstance.h"
#include "engine/io/ObjectInitializer.h"

namespace ZQ2 {

class ObjectFactory : public BaseObject, public iInstance<ObjectFactory> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;
    const RTTI& GetRTTI() const override { return rtti; }

    // The factory, created on first use: safe during static initialisation.
    static ObjectFactory* Instance();

    void AddFactoryFunction(const std::string& name, CreateFunction create);
    // A new object with reference count 0, or null for an unknown name.
    BaseObject* CreateObject(const std::string& name, AbstractProperty* data) const;
    // Chooses the class by the node's type name.
    BaseObject* CreateObject(AbstractProperty* data) const;
    ZQVector<std::string> GetListOfObjectTypes() const;

private:
    std::map<std::string, CreateFunction> m_Registry;
};

}  // namespace ZQ2
