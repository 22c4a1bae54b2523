#pragma once
// Base of the property tree, the engine's one data model: a named,
// reference-counted value, vector or node. Lookups never fail loudly: a
// missing or mistyped child yields a shared empty "dummy" of the asked kind.
#include <string>

#include "engine/core/BaseObject.h"

namespace ZQ2 {

class PropertyValue;
class PropertyVector;
class PropertyNode;

enum ePropertyType { PROPERTY_NONE = 0, PROPERTY_COMMENT = 1, PROPERTY_VALUE = 2, PROPERTY_VECTOR = 3, PROPERTY_NODE = 4 };

class AbstractProperty : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    AbstractProperty(const std::string& name, const std::string& typeName) : m_strName(name), m_strTypeName(typeName) {}
    const RTTI& GetRTTI() const override { return rtti; }

    // A deep copy with no reference taken.
    virtual AbstractProperty* Clone() const = 0;
    // Copies the type code, type name and name; containers also share the
    // other's children.
    virtual void CopyFrom(const AbstractProperty* other);
    // Applies setup templates through the subtree.
    virtual void Setup() = 0;

    int GetType() const { return m_nType; }
    const std::string& GetTypeName() const { return m_strTypeName; }
    void SetTypeName(const std::string& typeName) { m_strTypeName = typeName; }
    const std::string& GetName() const { return m_strName; }
    void SetName(const std::string& name) { m_strName = name; }

    // This property when it has the asked kind, otherwise the shared dummy.
    PropertyValue* ToValue();
    PropertyVector* ToVector();
    PropertyNode* ToNode();

    explicit operator int();
    explicit operator float();
    explicit operator double();
    explicit operator bool();
    explicit operator std::string();

protected:
    int m_nType = PROPERTY_NONE;

private:
    std::string m_strName;
    std::string m_strTypeName;
};

}  // namespace ZQ2
