#pragma once
// One rectangular obstacle of the dig site that walking characters go
// around; it can be switched on and off as people come and go.
#include "engine/math/Rectangle_t.h"

class DVBlock {
public:
    DVBlock() = default;
    DVBlock(float x, float y, float width, float height, bool active)
        : m_fX(x), m_fY(y), m_fWidth(width), m_fHeight(height), m_bActive(active) {}
    DVBlock(const ZQ2::Rectangle_t<float>& rect, bool active)
        : DVBlock(rect.x, rect.y, rect.width, rect.height, active) {}

    float GetX() const { return m_fX; }
    float GetY() const { return m_fY; }
    float GetWidth() const { return m_fWidth; }
    float GetHeight() const { return m_fHeight; }
    float GetRightColumn() const { return m_fX + m_fWidth - 1.0f; }
    float GetBottomRow() const { return m_fY + m_fHeight - 1.0f; }
    bool IsActive() const { return m_bActive; }
    void SetActive(bool active) { m_bActive = active; }
    bool Contains(float px, float py) const {
        return m_fX <= px && px < m_fX + m_fWidth && m_fY <= py && py < m_fY + m_fHeight;
    }
    // Inside, and on one of the edge rows or columns.
    bool Touches(float px, float py) const {
        return Contains(px, py) && (px == m_fX || px == GetRightColumn() || py == m_fY || py == GetBottomRow());
    }

private:
    float m_fX = 0.0f;
    float m_fY = 0.0f;
    float m_fWidth = 0.0f;
    float m_fHeight = 0.0f;
    bool m_bActive = false;
};
