#pragma once
// An animation step that calls a parameterless member function of a game
// object once: on its first tick, or when its chain is finished early. The
// object is not counted; the game ends the modifier before it goes.
#include "engine/modifier/ModifierObjectCall.h"

namespace ZQ2 {

template <class T>
class ModifierMethod : public ModifierObjectCall<T> {
public:
    using Method = void (T::*)();

    ModifierMethod(T* object, Method method) : ModifierObjectCall<T>(object), m_pMethod(method) {}

protected:
    void Call(T& object) override {
        if (m_pMethod)
            (object.*m_pMethod)();
    }

private:
    Method m_pMethod;
};

// A new method modifier; no reference is taken for the caller.
template <class T>
ModifierMethod<T>* ConstructModifierMethod(T* object, void (T::*method)()) {
    return new ModifierMethod<T>(object, method);
}

}  // namespace ZQ2
