#pragma once
// Base of the payloads that travel with a message (mouse position, key,
// window flag). Shared by reference count between the copies of a message.
#include "engine/core/BaseObject.h"

namespace ZQ2 {

class MessageData : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    const RTTI& GetRTTI() const override { return rtti; }
};

}  // namespace ZQ2
