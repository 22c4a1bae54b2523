#pragma once
// Bound callback: a target object and a plain function taking (target, sender).
#include "engine/core/Interface.h"

namespace ZQ2 {

class BaseObject;

class iGuiMethod : public Interface {
public:
    using Method = void (*)(BaseObject* target, BaseObject* sender);

    static const RTTI* const rttis[];
    static const RTTI rtti;

    iGuiMethod(BaseObject* target = nullptr, Method method = nullptr) : m_pTarget(target), m_pMethod(method) {}

    const RTTI& GetRTTI() const override { return rtti; }

    void SetTargetAndMethod(BaseObject* target, Method method) {
        m_pTarget = target;
        m_pMethod = method;
    }
    BaseObject* GetTarget() const { return m_pTarget; }
    Method GetMethod() const { return m_pMethod; }

    virtual void ExecuteMethod(BaseObject* sender) { m_pMethod(m_pTarget, sender); }
    virtual void TryExecuteMethod(BaseObject* sender) {
        if (m_pMethod)
            ExecuteMethod(sender);
    }

private:
    BaseObject* m_pTarget;  // not counted: the target outlives its callbacks
    Method m_pMethod;
};

}  // namespace ZQ2
