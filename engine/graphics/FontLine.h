#pragma once
// One laid-out line of a label's text: what it says, how wide it measured and
// where it starts relative to the label's text origin.
#include "engine/core/UTF8String.h"
#include "engine/math/Point_t.h"

namespace ZQ2 {

class FontLine {
public:
    FontLine() = default;
    FontLine(const UTF8String& text, float width, const Point_t<float>& position);

    const UTF8String& GetText() const { return m_strText; }
    void SetText(const UTF8String& text) { m_strText = text; }
    float GetWidth() const { return m_fWidth; }
    void SetWidth(float width) { m_fWidth = width; }
    const Point_t<float>& GetPosition() const { return m_Position; }
    void SetPosition(const Point_t<float>& position) { m_Position = position; }
    void SetPosition(float x, float y) { m_Position.Set(x, y); }

    bool operator==(const FontLine& other) const;
    bool operator!=(const FontLine& other) const { return !(*this == other); }

private:
    UTF8String m_strText;
    float m_fWidth = 0.0f;
    Point_t<float> m_Position{0.0f, 0.0f};
};

}  // namespace ZQ2
