#include "engine/io/AbstractProperty.h"

#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"

namespace ZQ2 {

// The property records list no BaseObject parent.
const RTTI* const AbstractProperty::rttis[] = {nullptr};
const RTTI AbstractProperty::rtti("AbstractProperty", AbstractProperty::rttis);

namespace {

bool IsValueKind(int type) { return type == PROPERTY_VALUE || type == PROPERTY_COMMENT; }

}  // namespace

void AbstractProperty::CopyFrom(const AbstractProperty* other) {
    if (!other || other == this)
        return;
    // The type code says which class this object is: it crosses over only
    // between values and comments, which are one class.
    if (IsValueKind(m_nType) && IsValueKind(other->m_nType))
        m_nType = other->m_nType;
    m_strTypeName = other->m_strTypeName;
    m_strName = other->m_strName;
}

PropertyValue* AbstractProperty::ToValue() {
    return m_nType == PROPERTY_VALUE ? static_cast<PropertyValue*>(this) : &dummyPropertyValue;
}

PropertyVector* AbstractProperty::ToVector() {
    return m_nType == PROPERTY_VECTOR ? static_cast<PropertyVector*>(this) : &dummyPropertyVector;
}

PropertyNode* AbstractProperty::ToNode() {
    return m_nType == PROPERTY_NODE ? static_cast<PropertyNode*>(this) : &dummyPropertyNode;
}

AbstractProperty::operator int() { return ToValue()->ToInt(); }
AbstractProperty::operator float() { return ToValue()->ToFloat(); }
AbstractProperty::operator double() { return ToValue()->ToDouble(); }
AbstractProperty::operator bool() { return ToValue()->ToBoolean(); }
AbstractProperty::operator std::string() { return ToValue()->GetValue(); }

}  // namespace ZQ2
