#pragma once
// The point of a frame about which a sprite is placed, scaled and rotated:
// one of nine named positions of the frame, or free coordinates.
#include "engine/core/RTTI.h"
#include "engine/math/Point_t.h"

namespace ZQ2 {

enum eAnchorPoint {
    ANCHOR_TOPLEFT = 0,
    ANCHOR_TOP = 1,
    ANCHOR_TOPRIGHT = 2,
    ANCHOR_LEFT = 3,
    ANCHOR_CENTER = 4,
    ANCHOR_RIGHT = 5,
    ANCHOR_BOTTOMLEFT = 6,
    ANCHOR_BOTTOM = 7,
    ANCHOR_BOTTOMRIGHT = 8,
    ANCHOR_FREE = 9,  // coordinates given explicitly
};

class AnchorPoint {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // A named position, placed in a frame of that size.
    AnchorPoint(eAnchorPoint type, float width, float height);
    // A free position.
    AnchorPoint(float x, float y);
    explicit AnchorPoint(const Point_t<float>& position);
    AnchorPoint(const AnchorPoint&) = default;
    AnchorPoint& operator=(const AnchorPoint&) = default;
    virtual ~AnchorPoint() = default;

    virtual const RTTI& GetRTTI() const { return rtti; }

    // Places a named position in a frame of that size (floored while round
    // down is set); a free position keeps its coordinates.
    void AlignToAnchorType(float width, float height);
    void RoundDownCoordinates();

    eAnchorPoint GetType() const { return m_eType; }
    // The position is not moved: align it afterwards for a named type.
    void SetType(eAnchorPoint type) { m_eType = type; }
    // Makes the anchor free at (x, y).
    void SetPosition(float x, float y);
    const Point_t<float>& GetPosition() const { return m_Position; }
    float GetX() const { return m_Position.x; }
    float GetY() const { return m_Position.y; }
    bool IsRoundDown() const { return m_bRoundDown; }
    void SetRoundDown(bool roundDown) { m_bRoundDown = roundDown; }

    // Named anchors compare by type alone; free anchors also by position.
    bool operator==(const AnchorPoint& other) const;
    bool operator!=(const AnchorPoint& other) const { return !(*this == other); }

private:
    eAnchorPoint m_eType = ANCHOR_TOPLEFT;
    Point_t<float> m_Position;
    bool m_bRoundDown = true;
};

}  // namespace ZQ2
