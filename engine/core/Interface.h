#pragma once
// Root of the mix-in interfaces. QueryBaseObject leads from an interface
// pointer back to the object that implements it.
#include "engine/core/RTTI.h"

namespace ZQ2 {

class BaseObject;

class Interface {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    virtual const RTTI& GetRTTI() const { return rtti; }
    virtual ~Interface() = default;
    virtual BaseObject* QueryBaseObject() { return nullptr; }
};

}  // namespace ZQ2
