#include "engine/math/AnchorPoint.h"

namespace ZQ2 {

const RTTI* const AnchorPoint::rttis[] = {nullptr};
const RTTI AnchorPoint::rtti("AnchorPoint", AnchorPoint::rttis);

AnchorPoint::AnchorPoint(eAnchorPoint type, float width, float height) : m_eType(type) {
    AlignToAnchorType(width, height);
}

AnchorPoint::AnchorPoint(float x, float y) : m_eType(ANCHOR_FREE), m_Position(x, y) {}

AnchorPoint::AnchorPoint(const Point_t<float>& position) : m_eType(ANCHOR_FREE), m_Position(position) {}

void AnchorPoint::AlignToAnchorType(float width, float height) {
    switch (m_eType) {
    case ANCHOR_TOPLEFT:
    case ANCHOR_LEFT:
    case ANCHOR_BOTTOMLEFT:
        m_Position.x = 0.0f;
        break;
    case ANCHOR_TOP:
    case ANCHOR_CENTER:
    case ANCHOR_BOTTOM:
        m_Position.x = width / 2.0f;
        break;
    case ANCHOR_TOPRIGHT:
    case ANCHOR_RIGHT:
    case ANCHOR_BOTTOMRIGHT:
        m_Position.x = width;
        break;
    default:
        return;  // free, or a value out of range: keep the position
    }
    switch (m_eType) {
    case ANCHOR_TOPLEFT:
    case ANCHOR_TOP:
    case ANCHOR_TOPRIGHT:
        m_Position.y = 0.0f;
        break;
    case ANCHOR_LEFT:
    case ANCHOR_CENTER:
    case ANCHOR_RIGHT:
        m_Position.y = height / 2.0f;
        break;
    default:
        m_Position.y = height;
        break;
    }
    RoundDownCoordinates();
}

void AnchorPoint::RoundDownCoordinates() {
    if (m_bRoundDown && m_eType != ANCHOR_FREE)
        m_Position.RoundDown();
}

void AnchorPoint::SetPosition(float x, float y) {
    m_eType = ANCHOR_FREE;
    m_Position.Set(x, y);
}

bool AnchorPoint::operator==(const AnchorPoint& other) const {
    if (m_eType != other.m_eType)
        return false;
    if (m_eType != ANCHOR_FREE)
        return true;
    return m_Position.x == other.m_Position.x && m_Position.y == other.m_Position.y;
}

}  // namespace ZQ2
