#pragma once
// One vote for a mouse cursor shape. Whoever wants a cursor holds a counter
// and switches its vote on and off; the window shows the highest voted type.
#include <cstdint>

namespace ZQ2 {

// A higher type wins over a lower one.
enum eCursorType : int {
    CURSOR_ARROW = 0,
    CURSOR_HAND_OPEN = 1,
    CURSOR_HAND_POINT = 2,
    CURSOR_TEXT = 3,
    CURSOR_BUSY = 4,
    CURSOR_BUSY_STARTUP = 5,
    CURSOR_NOT_ALLOWED = 6,
    CURSOR_ARROW_TOP = 7,
    CURSOR_TYPE_COUNT = 8,
};

// Votes per cursor type.
extern int32_t g_CursorCount[CURSOR_TYPE_COUNT];

class MouseCursorCounter {
public:
    // Takes int as well, so game code may pass plain numbers. A type outside
    // 0 to 7 is kept but never counted.
    explicit MouseCursorCounter(int type = CURSOR_ARROW);
    // A copy votes on its own, so every live counter releases exactly its vote.
    MouseCursorCounter(const MouseCursorCounter& other);
    MouseCursorCounter& operator=(const MouseCursorCounter& other);
    virtual ~MouseCursorCounter();

    void SetUsed(bool used);
    // Moves a standing vote to the new type.
    void SetType(int type);
    void Reset();

    bool IsUsed() const { return m_bUsed; }
    eCursorType GetType() const { return m_eType; }

    // The highest type with a vote; the arrow when nobody votes.
    static eCursorType GetSelectedCursorType();

private:
    static void Count(eCursorType type, int delta);

    bool m_bUsed = false;
    eCursorType m_eType;
};

}  // namespace ZQ2
