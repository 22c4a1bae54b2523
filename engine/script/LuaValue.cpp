#include "engine/script/LuaValue.h"

#include <lua.hpp>

#include "engine/script/Lua.h"
#include "engine/script/LuaReturn.h"

namespace ZQ2 {

namespace {

// What a path held when it was read: its type and the conversions taken
// while the value was on the stack.
struct Reading {
    const std::string* m_pPath;
    int m_nType = LUA_TNIL;
    bool m_bFlag = false;
    double m_fNumber = 0.0;
    UTF8String m_strText;
};

// Runs under lua_cpcall: metamethods met on the way may raise.
int ReadProtected(lua_State* L) {
    Reading* reading = static_cast<Reading*>(lua_touserdata(L, 1));
    Lua::PushPathValue(L, *reading->m_pPath);
    reading->m_nType = lua_type(L, -1);
    reading->m_bFlag = lua_toboolean(L, -1) != 0;
    reading->m_fNumber = static_cast<double>(lua_tonumber(L, -1));
    if (reading->m_nType == LUA_TSTRING || reading->m_nType == LUA_TNUMBER) {
        size_t length = 0;
        const char* text = lua_tolstring(L, -1, &length);
        if (text)
            reading->m_strText.assign(text, length);
    }
    return 0;
}

// A path that cannot be read reads as nil.
Reading Read(lua_State* L, const std::string& path) {
    Reading reading;
    reading.m_pPath = &path;
    if (L && lua_cpcall(L, ReadProtected, &reading) != 0) {
        lua_pop(L, 1);
        reading = Reading();
    }
    return reading;
}

template <class PushValue>
struct Assignment {
    const ZQVector<std::string>* m_pPieces;
    const PushValue* m_pPush;
};

// Walks to the table that holds the last piece, making tables on the way,
// and stores the value there. Runs under lua_cpcall: metamethods of the
// tables may raise errors.
template <class PushValue>
int AssignProtected(lua_State* L) {
    const auto* assignment = static_cast<const Assignment<PushValue>*>(lua_touserdata(L, 1));
    const ZQVector<std::string>& pieces = *assignment->m_pPieces;
    lua_pushvalue(L, LUA_GLOBALSINDEX);
    for (int i = 0; i + 1 < pieces.size(); ++i) {
        lua_pushlstring(L, pieces[i].data(), pieces[i].size());
        lua_gettable(L, -2);
        if (!lua_istable(L, -1)) {
            lua_pop(L, 1);
            lua_newtable(L);
            lua_pushlstring(L, pieces[i].data(), pieces[i].size());
            lua_pushvalue(L, -2);
            lua_settable(L, -4);
        }
        lua_remove(L, -2);
    }
    const std::string& last = pieces[pieces.size() - 1];
    lua_pushlstring(L, last.data(), last.size());
    (*assignment->m_pPush)(L);
    lua_settable(L, -3);
    return 0;
}

template <class PushValue>
void Assign(lua_State* L, const std::string& path, const PushValue& push) {
    if (!L)
        return;
    const ZQVector<std::string> pieces = Lua::Split(path);
    Assignment<PushValue> assignment{&pieces, &push};
    if (lua_cpcall(L, AssignProtected<PushValue>, &assignment) != 0)
        lua_pop(L, 1);
}

}  // namespace

LuaValue::operator bool() const { return Read(m_pState, m_strPath).m_bFlag; }

LuaValue::operator double() const { return Read(m_pState, m_strPath).m_fNumber; }

LuaValue::operator int() const { return LuaReturn::TruncateToInt(static_cast<double>(*this)); }

LuaValue::operator float() const { return static_cast<float>(static_cast<double>(*this)); }

LuaValue::operator UTF8String() const { return Read(m_pState, m_strPath).m_strText; }

LuaValue& LuaValue::operator=(const UTF8String& text) {
    Assign(m_pState, m_strPath, [&text](lua_State* L) { lua_pushlstring(L, text.data(), text.size()); });
    return *this;
}

LuaValue& LuaValue::operator=(const char* text) {
    const std::string copy = text ? text : "";
    Assign(m_pState, m_strPath, [&copy](lua_State* L) { lua_pushlstring(L, copy.data(), copy.size()); });
    return *this;
}

LuaValue& LuaValue::operator=(bool flag) {
    Assign(m_pState, m_strPath, [flag](lua_State* L) { lua_pushboolean(L, flag); });
    return *this;
}

LuaValue& LuaValue::operator=(double number) {
    Assign(m_pState, m_strPath, [number](lua_State* L) { lua_pushnumber(L, number); });
    return *this;
}

LuaValue& LuaValue::operator=(int number) { return *this = static_cast<double>(number); }

}  // namespace ZQ2
