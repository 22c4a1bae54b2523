#pragma once
// Payload of the mouse messages: the pointer position in the game's internal
// resolution, the button state and whether a press was a double click.
#include "engine/core/BitFlags_t.h"
#include "engine/framework/MessageData.h"
#include "engine/math/Point_t.h"

namespace ZQ2 {

// Buttons held while the message was made.
enum eMouseState : unsigned int {
    MOUSESTATE_LEFT = 1,
    MOUSESTATE_RIGHT = 2,
    MOUSESTATE_MIDDLE = 4,
};

class MouseMessageData : public MessageData {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    MouseMessageData(float x, float y, BitFlags_t<eMouseState> state, bool doubleClick)
        : m_fX(x), m_fY(y), m_State(state), m_bDoubleClick(doubleClick) {}

    const RTTI& GetRTTI() const override { return rtti; }

    float GetX() const { return m_fX; }
    float GetY() const { return m_fY; }
    Point_t<float> GetPosition() const { return Point_t<float>(m_fX, m_fY); }
    BitFlags_t<eMouseState> GetState() const { return m_State; }
    bool IsDoubleClick() const { return m_bDoubleClick; }

private:
    float m_fX;
    float m_fY;
    BitFlags_t<eMouseState> m_State;
    bool m_bDoubleClick;
};

}  // namespace ZQ2
