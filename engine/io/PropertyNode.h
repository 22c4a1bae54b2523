#pragma once
// A property with children by name, kept in insertion order. Its type name
// is the XML tag and the class the object factory builds from it.
#include <map>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/io/AbstractProperty.h"

namespace ZQ2 {

class PropertyNode : public AbstractProperty {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit PropertyNode(const std::string& name = std::string(), const std::string& typeName = std::string());
    const RTTI& GetRTTI() const override { return rtti; }

    AbstractProperty* Clone() const override;
    void CopyFrom(const AbstractProperty* other) override;
    // Completes the node from the template its "setup" child names, then
    // sets up every child.
    void Setup() override;

    bool HasProperty(const std::string& name) const { return m_Index.count(name) != 0; }
    // The child of that name, or null.
    AbstractProperty* GetProperty(const std::string& name) const;
    PropertyValue* GetValue(const std::string& name) const;
    PropertyVector* GetVector(const std::string& name) const;
    PropertyNode* GetNode(const std::string& name) const;
    std::string GetPropString(const std::string& name) const;

    // Replaces any child of the same name; the new child goes last.
    virtual AbstractProperty* InsertProperty(AbstractProperty* prop);
    AbstractProperty* InsertPropertyBefore(AbstractProperty* before, AbstractProperty* prop);
    virtual PropertyValue* InsertBoolean(const std::string& name, bool value, bool isAttribute);
    virtual void RemoveProperty(const std::string& name);
    void RemoveProperty(AbstractProperty* prop);
    virtual void Clear();

    // Hands every child, in name order, to the object factory.
    void Parse();
    static void ParseObject(AbstractProperty* prop);

    int GetCount() const { return m_Properties.size(); }
    AbstractProperty* GetChild(int index) const;
    const SmartPtr<AbstractProperty>* begin() const { return m_Properties.begin(); }
    const SmartPtr<AbstractProperty>* end() const { return m_Properties.end(); }
    const std::map<std::string, SmartPtr<AbstractProperty>>& GetIndex() const { return m_Index; }

private:
    bool IsDummy() const;
    void EraseFromList(const AbstractProperty* prop);
    void InheritFrom(const PropertyNode* setup);

    std::map<std::string, SmartPtr<AbstractProperty>> m_Index;
    ZQVector<SmartPtr<AbstractProperty>> m_Properties;
    bool m_bInSetup = false;
};

extern PropertyNode& dummyPropertyNode;

}  // namespace ZQ2
