#pragma once
// A numbered event for the message listeners, with an optional payload that
// copies of the message share.
#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/framework/MessageData.h"

namespace ZQ2 {

// The numbers the engine posts.
enum eMessage : int {
    MESSAGE_MOUSE_MOVED = 1,
    MESSAGE_MOUSE_LEFT_DOWN = 2,
    MESSAGE_MOUSE_LEFT_UP = 3,
    MESSAGE_MOUSE_MIDDLE_DOWN = 4,
    MESSAGE_MOUSE_MIDDLE_UP = 5,
    MESSAGE_MOUSE_RIGHT_DOWN = 6,
    MESSAGE_MOUSE_RIGHT_UP = 7,
    MESSAGE_MOUSE_SCROLL = 8,
    MESSAGE_KEY_DOWN = 258,
    MESSAGE_KEY_UP = 260,
    MESSAGE_KEY_TYPED = 261,
    MESSAGE_FULLSCREEN_CHANGED = 514,  // bool: now full screen
    MESSAGE_MINIMIZED_CHANGED = 517,   // bool: now minimised
    MESSAGE_ACTIVE_CHANGED = 518,      // bool: now the key window
    MESSAGE_QUIT = 1026,
    MESSAGE_PAUSE_KEY = 1537,  // control-P
};

class Message : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit Message(int number, MessageData* data = nullptr) : m_nNumber(number), m_pData(data) {}
    Message(const Message&) = default;
    Message& operator=(const Message&) = default;

    const RTTI& GetRTTI() const override { return rtti; }

    int GetNumber() const { return m_nNumber; }
    MessageData* GetRawData() const { return m_pData.Get(); }

    // The payload as T, or null when there is none or it is of another kind.
    template <class T>
    T* GetData() const {
        return DynamicCast<T>(static_cast<BaseObject*>(m_pData.Get()));
    }

private:
    int m_nNumber;
    SmartPtr<MessageData> m_pData;
};

}  // namespace ZQ2
