#pragma once
// Payload of a message that carries one plain value, such as the window's
// "now minimised" or "now active" flag.
#include "engine/framework/MessageData.h"

namespace ZQ2 {

template <class T>
class TemplateMessageData : public MessageData {
public:
    static inline const RTTI* const rttis[] = {&MessageData::rtti, nullptr};
    static inline const RTTI rtti{"TemplateMessageData", rttis};

    explicit TemplateMessageData(const T& value) : m_Value(value) {}

    const RTTI& GetRTTI() const override { return rtti; }

    const T& GetValue() const { return m_Value; }

private:
    T m_Value;
};

extern template class TemplateMessageData<bool>;

}  // namespace ZQ2
