#include "engine/framework/MouseCursorCounter.h"

namespace ZQ2 {

int32_t g_CursorCount[CURSOR_TYPE_COUNT] = {};

MouseCursorCounter::MouseCursorCounter(int type) : m_eType(static_cast<eCursorType>(type)) {}

MouseCursorCounter::MouseCursorCounter(const MouseCursorCounter& other) : m_eType(other.m_eType) {
    SetUsed(other.m_bUsed);
}

MouseCursorCounter& MouseCursorCounter::operator=(const MouseCursorCounter& other) {
    if (this == &other)
        return *this;
    Reset();
    m_eType = other.m_eType;
    SetUsed(other.m_bUsed);
    return *this;
}

MouseCursorCounter::~MouseCursorCounter() { Reset(); }

void MouseCursorCounter::SetUsed(bool used) {
    if (used == m_bUsed)
        return;
    m_bUsed = used;
    Count(m_eType, used ? 1 : -1);
}

void MouseCursorCounter::SetType(int type) {
    if (m_bUsed)
        Count(m_eType, -1);
    m_eType = static_cast<eCursorType>(type);
    if (m_bUsed)
        Count(m_eType, 1);
}

void MouseCursorCounter::Reset() { SetUsed(false); }

eCursorType MouseCursorCounter::GetSelectedCursorType() {
    for (int type = CURSOR_TYPE_COUNT - 1; type > CURSOR_ARROW; --type) {
        if (g_CursorCount[type] > 0)
            return static_cast<eCursorType>(type);
    }
    return CURSOR_ARROW;
}

void MouseCursorCounter::Count(eCursorType type, int delta) {
    // Types come from code and data alike; an unknown one must not write
    // outside the table.
    if (type < 0 || type >= CURSOR_TYPE_COUNT)
        return;
    g_CursorCount[type] += delta;
}

}  // namespace ZQ2
