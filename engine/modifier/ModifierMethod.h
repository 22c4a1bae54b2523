#pragma once
// An animation step that calls a parameterless member function of a game
// object once: on its first tick, or when its chain is finished early. The
// object is not counted; the game ends the modifier before it goes.
#include <string>

#include "engine/modifier/Modifier.h"

namespace ZQ2 {

template <class T>
class ModifierMethod : public Modifier {
public:
    using Method = void (T::*)();

    ModifierMethod(T* object, Method method) : m_pObject(object), m_pMethod(method) {}

    std::string ToString() const override {
        std::string text = Modifier::ToString();
        if (!IsObsolete() && m_pObject)
            text += "on <" + static_cast<const BaseObject*>(m_pObject)->ToStringShort() + "> ";
        return text;
    }

    void Tick(int) override { EndModifier(); }

    // Only the first end calls the function, however it is reached.
    void EndModifier() override {
        if (HasDoneBit())
            return;
        m_nStatus |= STATUS_DONE;
        if (m_pObject && m_pMethod)
            (m_pObject->*m_pMethod)();
    }

private:
    T* m_pObject;
    Method m_pMethod;
};

// A new method modifier; no reference is taken for the caller.
template <class T>
ModifierMethod<T>* ConstructModifierMethod(T* object, void (T::*method)()) {
    return new ModifierMethod<T>(object, method);
}

}  // namespace ZQ2
