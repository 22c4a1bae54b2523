#pragma once
// Root of every shared engine object: reference count, type record,
// interface lookup and a text form for logs.
#include <string>

#include "engine/core/IRefCountImpl.h"
#include "engine/core/RTTI.h"

namespace ZQ2 {

class BaseObject : public IRefCountImpl<BaseObject> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    ~BaseObject() override = default;

    BaseObject* GetPtr() const override { return const_cast<BaseObject*>(this); }
    virtual const RTTI& GetRTTI() const { return rtti; }
    // The interface part named by which, or null. Only interface records answer.
    virtual void* QueryInterface(const RTTI& which);
    virtual std::string ToString() const;
    virtual std::string ToStringShort() const;
};

// Guarded down-cast by the engine's own type records.
template <class T>
T* DynamicCast(BaseObject* object) {
    if (object && object->GetRTTI().DerivesFrom(T::rtti))
        return static_cast<T*>(object);
    return nullptr;
}

template <class T>
const T* DynamicCast(const BaseObject* object) {
    if (object && object->GetRTTI().DerivesFrom(T::rtti))
        return static_cast<const T*>(object);
    return nullptr;
}

// The interface part of object for the interface class I, or null.
template <class I>
I* QueryInterface(BaseObject* object) {
    return object ? static_cast<I*>(object->QueryInterface(I::rtti)) : nullptr;
}

}  // namespace ZQ2
