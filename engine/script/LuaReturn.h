#pragma once
// The result of a script call made by the engine, converted to whichever of
// number, flag, text or engine node the script returned. Fields that the
// result did not set keep their defaults (0, false, empty, null).
#include "engine/core/UTF8String.h"

namespace ZQ2 {

class GameNode;

class LuaReturn {
public:
    LuaReturn() = default;
    // A null text gives the empty text.
    LuaReturn(const char* text);
    LuaReturn(bool flag);
    LuaReturn(double number);
    LuaReturn(GameNode* node);
    LuaReturn(const LuaReturn&) = default;
    LuaReturn& operator=(const LuaReturn&) = default;

    operator double() const { return m_fNumber; }
    operator float() const { return static_cast<float>(m_fNumber); }
    // Truncated toward zero; out-of-range numbers saturate, NaN gives 0.
    operator int() const;
    operator bool() const { return m_bFlag; }
    operator GameNode*() const { return m_pNode; }
    operator UTF8String() const { return m_strText; }

    double GetNumber() const { return m_fNumber; }
    bool GetFlag() const { return m_bFlag; }
    const UTF8String& GetText() const { return m_strText; }
    GameNode* GetNode() const { return m_pNode; }

    // The shared number-to-int rule of the script values.
    static int TruncateToInt(double number);

private:
    double m_fNumber = 0.0;
    bool m_bFlag = false;
    UTF8String m_strText;
    GameNode* m_pNode = nullptr;
};

}  // namespace ZQ2
