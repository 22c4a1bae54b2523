#pragma once
// An animation step that calls a member function of a game object once with
// a stored argument (by value): on its first tick, or when its chain is
// finished early. The object is not counted.
#include <string>

#include "engine/modifier/Modifier.h"

namespace ZQ2 {

template <class T, class P>
class ModifierMethodParam : public Modifier {
public:
    using Method = void (T::*)(P);

    ModifierMethodParam(T* object, Method method, P parameter)
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
