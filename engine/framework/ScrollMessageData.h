#pragma once
// Payload of the scroll message: the pointer position and how far the wheel
// turned (positive away from the user).
#include "engine/framework/MessageData.h"

namespace ZQ2 {

class ScrollMessageData : public MessageData {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    ScrollMessageData(float x, float y, float delta) : m_fX(x), m_fY(y), m_fDelta(delta) {}

    const RTTI& GetRTTI() const override { return rtti; }

    float GetX() const { return m_fX; }
    float GetY() const { return m_fY; }
    float GetDelta() const { return m_fDelta; }

private:
    float m_fX;
    float m_fY;
    float m_fDelta;
};

}  // namespace ZQ2
