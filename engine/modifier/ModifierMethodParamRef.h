#pragma once
// As ModifierMethodParam, for functions that take their argument by const
// reference: they get a reference to the modifier's own copy.
#include <string>

#include "engine/modifier/Modifier.h"

namespace ZQ2 {

template <class T, class P>
class ModifierMethodParamRef : public Modifier {
public:
    using Method = void (T::*)(const P&);

    ModifierMethodParamRef(T* object, Method method, const P& parameter)
        : m_pObject(object), m_pMethod(method), m_Parameter(parameter) {}

    std::string ToString() const override {
        std::string text = Modifier::ToString();
        if (!IsObsolete() && m_pObject)
            text += "on <" + static_cast<const BaseObject*>(m_pObject)->ToStringShort() + "> ";
        return text;
    }

    void Tick(int) override { EndModifier(); }

    void EndModifier() override {
        if (HasDoneBit())
            return;
        m_nStatus |= STATUS_DONE;
        if (m_pObject && m_pMethod)
            (m_pObject->*m_pMethod)(m_Parameter);
    }

private:
    T* m_pObject;
    Method m_pMethod;
    P m_Parameter;
};

}  // namespace ZQ2
