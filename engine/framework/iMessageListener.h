#pragma once
// Anything that wants the window's messages. A listener takes itself out of
// every message handler when it is destroyed, so none can call it afterwards.
#include "engine/core/RTTI.h"

namespace ZQ2 {

class Message;

class iMessageListener {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    iMessageListener() = default;
    // A copy is not registered anywhere.
    iMessageListener(const iMessageListener&) {}
    iMessageListener& operator=(const iMessageListener&) { return *this; }

    virtual const RTTI& GetRTTI() const { return rtti; }
    virtual ~iMessageListener();
    virtual void ProcessMessage(const Message& message) = 0;
};

}  // namespace ZQ2
