#pragma once
// Base of the animation steps that call a member function of a game object
// once: on their first tick, or when their chain is finished early. The
// object is not counted; the game ends the modifier before it goes.
#include <string>

#include "engine/modifier/Modifier.h"

namespace ZQ2 {

template <class T>
class ModifierObjectCall : public Modifier {
public:
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
        if (m_pObject)
            Call(*m_pObject);
    }

protected:
    explicit ModifierObjectCall(T* object) : m_pObject(object) {}
    // Calls the stored function, if any, on object.
    virtual void Call(T& object) = 0;

private:
    T* m_pObject;
};

}  // namespace ZQ2
