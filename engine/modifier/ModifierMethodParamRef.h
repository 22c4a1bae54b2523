#pragma once
// As ModifierMethodParam, for functions that take their argument by const
// reference: they get a reference to the modifier's own copy.
#include "engine/modifier/ModifierObjectCall.h"

namespace ZQ2 {

template <class T, class P>
class ModifierMethodParamRef : public ModifierObjectCall<T> {
public:
    using Method = void (T::*)(const P&);

    ModifierMethodParamRef(T* object, Method method, const P& parameter)
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
