#include "engine/io/PropertyNode.h"

#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"

namespace ZQ2 {

const RTTI* const PropertyNode::rttis[] = {&AbstractProperty::rtti, nullptr};
const RTTI PropertyNode::rtti("PropertyNode", PropertyNode::rttis);

namespace {

const char* const kSetupKey = "setup";

PropertyNode* MakeDummy() {
    auto* dummy = new PropertyNode();
    dummy->AddRef();
    return dummy;
}

}  // namespace

PropertyNode& dummyPropertyNode = *MakeDummy();

PropertyNode::PropertyNode(const std::string& name, const std::string& typeName) : AbstractProperty(name, typeName) {
    m_nType = PROPERTY_NODE;
}

bool PropertyNode::IsDummy() const { return this == &dummyPropertyNode; }

AbstractProperty* PropertyNode::Clone() const {
    auto* copy = new PropertyNode(GetName(), GetTypeName());
    for (const auto& child : m_Properties) {
        if (child)
            copy->InsertProperty(child->Clone());
    }
    return copy;
}

void PropertyNode::CopyFrom(const AbstractProperty* other) {
    if (IsDummy() || !other || other == this)
        return;
    AbstractProperty::CopyFrom(other);
    if (other->GetType() != PROPERTY_NODE)
        return;
    const auto* node = static_cast<const PropertyNode*>(other);
    m_Index = node->m_Index;
    m_Properties = node->m_Properties;
}

void PropertyNode::Setup() {
    // A node already being set up is reached again only through a template
    // that names itself; going on would recurse without end.
    if (m_bInSetup)
        return;
    m_bInSetup = true;

    bool childrenToo = true;
    auto setup = m_Index.find(kSetupKey);
    if (setup != m_Index.end()) {
        const std::string name = setup->second ? setup->second->ToValue()->GetValue() : std::string();
        m_Index.erase(setup);  // the ordered list keeps it, so it is still written back
        if (!name.empty()) {
            const PropertyNode* templ = BasicProperties::g_Instance ? BasicProperties::GetNode(name) : nullptr;
            if (templ)
                InheritFrom(templ);
            else
                childrenToo = false;
        }
    }
    if (childrenToo) {
        const auto children = m_Index;  // a child's setup must not disturb this walk
        for (const auto& entry : children) {
            if (entry.second)
                entry.second->Setup();
        }
    }
    m_bInSetup = false;
}

// Takes the template's children that this node lacks, shared, not copied.
void PropertyNode::InheritFrom(const PropertyNode* setup) {
    const auto children = setup->m_Index;
    for (const auto& entry : children) {
        AbstractProperty* child = entry.second;
        if (!child || HasProperty(entry.first))
            continue;
        // A node that is being set up is this node or one of its ancestors:
        // inheriting it would make the tree contain itself.
        if (child->GetType() == PROPERTY_NODE && static_cast<PropertyNode*>(child)->m_bInSetup)
            continue;
        InsertProperty(child);
    }
}

AbstractProperty* PropertyNode::GetProperty(const std::string& name) const {
    auto found = m_Index.find(name);
    return found == m_Index.end() ? nullptr : found->second.Get();
}

PropertyValue* PropertyNode::GetValue(const std::string& name) const {
    AbstractProperty* prop = GetProperty(name);
    return prop ? prop->ToValue() : &dummyPropertyValue;
}

PropertyVector* PropertyNode::GetVector(const std::string& name) const {
    AbstractProperty* prop = GetProperty(name);
    return prop ? prop->ToVector() : &dummyPropertyVector;
}

PropertyNode* PropertyNode::GetNode(const std::string& name) const {
    AbstractProperty* prop = GetProperty(name);
    return prop ? prop->ToNode() : &dummyPropertyNode;
}

std::string PropertyNode::GetPropString(const std::string& name) const { return GetValue(name)->GetValue(); }

AbstractProperty* PropertyNode::InsertProperty(AbstractProperty* prop) {
    if (IsDummy() || !prop)
        return prop;
    const SmartPtr<AbstractProperty> keepAlive(prop);  // it may be the child it replaces
    RemoveProperty(prop->GetName());
    m_Index[prop->GetName()] = prop;
    m_Properties.push_back(keepAlive);
    return prop;
}

AbstractProperty* PropertyNode::InsertPropertyBefore(AbstractProperty* before, AbstractProperty* prop) {
    if (IsDummy() || !before || !prop)
        return prop;
    const SmartPtr<AbstractProperty> keepAlive(prop);
    RemoveProperty(prop->GetName());
    m_Index[prop->GetName()] = prop;
    SmartPtr<AbstractProperty>* at = m_Properties.begin();
    while (at != m_Properties.end() && at->Get() != before)
        ++at;
    m_Properties.insert(at, &keepAlive, &keepAlive + 1);
    return prop;
}

PropertyValue* PropertyNode::InsertBoolean(const std::string& name, bool value, bool isAttribute) {
    auto* prop = new PropertyValue(name, isAttribute ? "" : "Boolean", std::string(value ? "true" : "false"));
    const SmartPtr<AbstractProperty> keepAlive(prop);
    InsertProperty(prop);
    return IsDummy() ? &dummyPropertyValue : prop;
}

void PropertyNode::RemoveProperty(const std::string& name) {
    auto found = m_Index.find(name);
    if (found == m_Index.end())
        return;
    const SmartPtr<AbstractProperty> keepAlive(found->second);
    for (auto* at = m_Properties.begin(); at != m_Properties.end(); ++at) {
        if (*at && (*at)->GetName() == name) {
            m_Properties.erase(at, at + 1);
            break;
        }
    }
    m_Index.erase(found);
}

void PropertyNode::RemoveProperty(AbstractProperty* prop) {
    for (auto entry = m_Index.begin(); entry != m_Index.end(); ++entry) {
        if (entry->second.Get() != prop)
            continue;
        const SmartPtr<AbstractProperty> keepAlive(prop);
        m_Index.erase(entry);
        EraseFromList(prop);
        return;
    }
}

void PropertyNode::EraseFromList(const AbstractProperty* prop) {
    for (auto* at = m_Properties.begin(); at != m_Properties.end(); ++at) {
        if (at->Get() == prop) {
            m_Properties.erase(at, at + 1);
            return;
        }
    }
}

void PropertyNode::Clear() {
    m_Index.clear();
    m_Properties.clear();
}

void PropertyNode::Parse() {
    const auto children = m_Index;
    for (const auto& entry : children)
        ParseObject(entry.second);
}

void PropertyNode::ParseObject(AbstractProperty* prop) {
    if (!prop || prop->GetType() == PROPERTY_COMMENT)
        return;
    BaseObject* object = ObjectFactory::Instance()->CreateObject(prop);
    if (!object)
        return;
    // Objects that registered themselves elsewhere survive; the rest go now.
    object->AddRef();
    object->Release();
}

AbstractProperty* PropertyNode::GetChild(int index) const {
    if (index < 0 || index >= m_Properties.size())
        return nullptr;
    return m_Properties[index];
}

}  // namespace ZQ2
