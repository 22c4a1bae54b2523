#include "engine/io/PropertyVector.h"

#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"

namespace ZQ2 {

const RTTI* const PropertyVector::rttis[] = {&AbstractProperty::rtti, nullptr};
const RTTI PropertyVector::rtti("PropertyVector", PropertyVector::rttis);

namespace {

PropertyVector* MakeDummy() {
    auto* dummy = new PropertyVector();
    dummy->AddRef();
    return dummy;
}

}  // namespace

PropertyVector& dummyPropertyVector = *MakeDummy();

PropertyVector::PropertyVector(const std::string& name) : AbstractProperty(name, "Vector") { m_nType = PROPERTY_VECTOR; }

bool PropertyVector::IsDummy() const { return this == &dummyPropertyVector; }

AbstractProperty* PropertyVector::Clone() const {
    auto* copy = new PropertyVector(GetName());
    copy->SetTypeName(GetTypeName());
    for (const auto& child : m_Properties)
        copy->m_Properties.push_back(SmartPtr<AbstractProperty>(child ? child->Clone() : nullptr));
    return copy;
}

void PropertyVector::CopyFrom(const AbstractProperty* other) {
    if (IsDummy() || !other || other == this)
        return;
    AbstractProperty::CopyFrom(other);
    if (other->GetType() == PROPERTY_VECTOR)
        m_Properties = static_cast<const PropertyVector*>(other)->m_Properties;
}

void PropertyVector::Setup() {
    // A child's setup may add to the shared templates; walk a stable copy.
    const ZQVector<SmartPtr<AbstractProperty>> children(m_Properties);
    for (const auto& child : children) {
        if (child)
            child->Setup();
    }
}

AbstractProperty* PropertyVector::GetProperty(int index) const {
    if (index < 0 || index >= m_Properties.size())
        return nullptr;
    return m_Properties[index];
}

PropertyValue* PropertyVector::GetValue(int index) const {
    AbstractProperty* prop = GetProperty(index);
    return prop ? prop->ToValue() : &dummyPropertyValue;
}

PropertyVector* PropertyVector::GetVector(int index) const {
    AbstractProperty* prop = GetProperty(index);
    return prop ? prop->ToVector() : &dummyPropertyVector;
}

PropertyNode* PropertyVector::GetNode(int index) const {
    AbstractProperty* prop = GetProperty(index);
    return prop ? prop->ToNode() : &dummyPropertyNode;
}

AbstractProperty* PropertyVector::GetProperty(const std::string& name) const {
    for (const auto& child : m_Properties) {
        if (child && child->GetName() == name)
            return child;
    }
    return nullptr;
}

AbstractProperty* PropertyVector::InsertProperty(AbstractProperty* prop) {
    if (IsDummy() || !prop)
        return prop;
    m_Properties.push_back(SmartPtr<AbstractProperty>(prop));
    return prop;
}

AbstractProperty* PropertyVector::InsertPropertyBefore(AbstractProperty* before, AbstractProperty* prop) {
    if (IsDummy() || !before || !prop)
        return prop;
    const SmartPtr<AbstractProperty> item(prop);
    m_Properties.insert(FindChild(before), &item, &item + 1);
    return prop;
}

void PropertyVector::RemoveProperty(AbstractProperty* prop) {
    SmartPtr<AbstractProperty>* at = FindChild(prop);
    if (at != m_Properties.end())
        m_Properties.erase(at, at + 1);
}

// Compares raw pointers: a temporary smart pointer would destroy an
// unreferenced argument.
SmartPtr<AbstractProperty>* PropertyVector::FindChild(const AbstractProperty* prop) {
    SmartPtr<AbstractProperty>* at = m_Properties.begin();
    while (at != m_Properties.end() && at->Get() != prop)
        ++at;
    return at;
}

PropertyValue* PropertyVector::InsertBoolean(bool value) {
    auto* prop = new PropertyValue("", "Boolean", std::string(value ? "true" : "false"));
    const SmartPtr<AbstractProperty> keepAlive(prop);
    InsertProperty(prop);
    return IsDummy() ? &dummyPropertyValue : prop;
}

void PropertyVector::Clear() { m_Properties.clear(); }

}  // namespace ZQ2
