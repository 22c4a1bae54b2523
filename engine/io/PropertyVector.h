#pragma once
// An ordered list of properties; names need not be unique.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/io/AbstractProperty.h"

namespace ZQ2 {

class PropertyVector : public AbstractProperty {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit PropertyVector(const std::string& name = std::string());
    const RTTI& GetRTTI() const override { return rtti; }

    AbstractProperty* Clone() const override;
    void CopyFrom(const AbstractProperty* other) override;
    void Setup() override;

    int GetCount() const { return m_Properties.size(); }
    // The child at index, or null when out of range.
    AbstractProperty* GetProperty(int index) const;
    PropertyValue* GetValue(int index) const;
    PropertyVector* GetVector(int index) const;
    PropertyNode* GetNode(int index) const;
    // The first child of that name, or null.
    AbstractProperty* GetProperty(const std::string& name) const;
    bool HasProperty(const std::string& name) const { return GetProperty(name) != nullptr; }

    virtual AbstractProperty* InsertProperty(AbstractProperty* prop);
    AbstractProperty* InsertPropertyBefore(AbstractProperty* before, AbstractProperty* prop);
    void RemoveProperty(AbstractProperty* prop);
    virtual PropertyValue* InsertBoolean(bool value);
    virtual void Clear();

    const SmartPtr<AbstractProperty>* begin() const { return m_Properties.begin(); }
    const SmartPtr<AbstractProperty>* end() const { return m_Properties.end(); }

private:
    bool IsDummy() const;
    SmartPtr<AbstractProperty>* FindChild(const AbstractProperty* prop);

    ZQVector<SmartPtr<AbstractProperty>> m_Properties;
};

extern PropertyVector& dummyPropertyVector;

}  // namespace ZQ2
