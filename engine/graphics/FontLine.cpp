#include "engine/graphics/FontLine.h"

namespace ZQ2 {

FontLine::FontLine(const UTF8String& text, float width, const Point_t<float>& position)
    : m_strText(text), m_fWidth(width), m_Position(position) {}

bool FontLine::operator==(const FontLine& other) const {
    return m_strText == other.m_strText && m_fWidth == other.m_fWidth && m_Position.x == other.m_Position.x &&
           m_Position.y == other.m_Position.y;
}

}  // namespace ZQ2
