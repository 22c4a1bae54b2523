#pragma once
// An animation step that calls a member function of a game object once with
// a stored argument (by value): on its first tick, or when its chain is
// finished early. The object is not counted. A is the argument type as the
// function declares it (ModifierMethodParamRef passes a const reference).
#include "engine/modifier/ModifierObjectCall.h"

namespace ZQ2 {

template <class T, class P, class A = P>
class ModifierMethodParam : public ModifierObjectCall<T> {
public:
    using Method = void (T::*)(A);

    ModifierMethodParam(T* object, Method method, const P& parameter)
        : ModifierObjectCall<T>(object), m_pMethod(method), m_Parameter(parameter) {}

protected:
    void Call(T& object) override {
        if (m_pMethod)
            (object.*m_pMethod)(m_Parameter);
    }

private:
    Method m_pMethod;
    P m_Parameter;
};

}  // namespace ZQ2
