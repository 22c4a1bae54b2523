#pragma once
// A global script value named by a dotted path ("cfg.speed"). The path is
// looked up afresh on every read or write, so the value follows the script.
// Reading a path that names nothing gives nil (false, 0, empty text).
#include <string>

#include "engine/core/UTF8String.h"

struct lua_State;

namespace ZQ2 {

class LuaValue {
public:
    LuaValue(lua_State* L, const std::string& path) : m_pState(L), m_strPath(path) {}
    LuaValue(const LuaValue&) = default;
    // One value is never assigned another's handle by mistake: assign the
    // converted value instead.
    LuaValue& operator=(const LuaValue&) = delete;

    operator bool() const;
    // Truncated toward zero; out-of-range numbers saturate.
    operator int() const;
    operator float() const;
    operator double() const;
    // Empty unless the value is a string or a number.
    operator UTF8String() const;

    // Writing creates (or replaces by) empty tables every missing or
    // non-table step of the path before the last one.
    LuaValue& operator=(const UTF8String& text);
    LuaValue& operator=(const char* text);
    LuaValue& operator=(bool flag);
    LuaValue& operator=(double number);
    LuaValue& operator=(int number);

    const std::string& GetPath() const { return m_strPath; }

private:
    lua_State* m_pState;
    std::string m_strPath;
};

}  // namespace ZQ2
