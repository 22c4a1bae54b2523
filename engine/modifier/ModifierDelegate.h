#pragma once
// Turns a member function of a game object into an animation step: every
// tick calls it until it answers true. Neither the object nor the two
// arguments are counted; the game ends the modifier before they go.
#include <cstring>
#include <string>

#include "engine/core/Utils.h"
#include "engine/modifier/Modifier.h"

namespace ZQ2 {

template <class T>
class ModifierDelegate : public Modifier {
public:
    using Method = bool (T::*)(BaseObject* target, BaseObject* sender);

    static inline const RTTI* const rttis[] = {&Modifier::rtti, nullptr};
    static inline const RTTI rtti{"ModifierDelegate", rttis};

    // The object itself is the first argument, this modifier the second.
    ModifierDelegate(T* object, Method method)
        : m_pMethod(method), m_pObject(object), m_pTarget(object), m_pSender(this) {}
    ModifierDelegate(T* object, Method method, BaseObject* target, BaseObject* sender)
        : m_pMethod(method), m_pObject(object), m_pTarget(target), m_pSender(sender) {}

    const RTTI& GetRTTI() const override { return rtti; }

    std::string ToString() const override {
        std::string text = Modifier::ToString();
        if (m_pMethod) {
            // The first word of the member pointer: the function's address, or
            // its slot for a virtual function.
            const void* address = nullptr;
            std::memcpy(&address, &m_pMethod, sizeof address);
            text += "[" + Utils::ToPointerString(address) + "] ";
        }
        if (IsObsolete())
            return text;
        if (m_pObject)
            text += "on Object: <" + static_cast<const BaseObject*>(m_pObject)->ToStringShort() + "> ";
        if (m_pTarget)
            text += "Target: <" + m_pTarget->ToStringShort() + "> ";
        if (m_pSender)
            text += "Sender: <" + m_pSender->ToStringShort() + "> ";
        return text;
    }

    // The frame time is not used: the function decides when it is finished.
    void Tick(int) override {
        if (HasDoneBit() || !m_pObject || !m_pMethod)
            return;
        if ((m_pObject->*m_pMethod)(m_pTarget, m_pSender))
            m_nStatus |= STATUS_DONE;
    }

    // A chain cut short calls the function one last time; once it has said
    // it is finished it is not called again.
    void EndModifier() override {
        if (HasDoneBit())
            return;
        m_nStatus |= STATUS_DONE;
        if (m_pObject && m_pMethod)
            (m_pObject->*m_pMethod)(m_pTarget, m_pSender);
    }

private:
    Method m_pMethod;
    T* m_pObject;
    BaseObject* m_pTarget;
    BaseObject* m_pSender;
};

}  // namespace ZQ2
