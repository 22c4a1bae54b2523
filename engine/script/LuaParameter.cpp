#include "engine/script/LuaParameter.h"

#include <lua.hpp>

#include "engine/sprite/GameNode.h"

namespace ZQ2 {

LuaParameter::LuaParameter(bool value) : m_bFlag(value), m_nType(TYPE_BOOLEAN) {}

LuaParameter::LuaParameter(double value) : m_fNumber(value), m_nType(TYPE_NUMBER) {}

LuaParameter::LuaParameter(float value) : m_fNumber(value), m_nType(TYPE_NUMBER) {}

LuaParameter::LuaParameter(int value) : m_fNumber(value), m_nType(TYPE_NUMBER) {}

LuaParameter::LuaParameter(const std::string& value) : m_strText(value), m_nType(TYPE_STRING) {}

LuaParameter::LuaParameter(const char* value) : m_strText(value ? value : ""), m_nType(TYPE_STRING) {}

LuaParameter::LuaParameter(const GameNode* node)
    : m_nReference(node ? node->GetLuaReference() : GameNode::NO_LUA_REFERENCE), m_nType(TYPE_NODE) {}

void LuaParameter::Push(lua_State* L) const {
    switch (m_nType) {
    case TYPE_BOOLEAN:
        lua_pushboolean(L, m_bFlag);
        break;
    case TYPE_NUMBER:
        lua_pushnumber(L, m_fNumber);
        break;
    case TYPE_STRING:
        lua_pushlstring(L, m_strText.data(), m_strText.size());
        break;
    case TYPE_NODE:
        // Reference 0 is the registry's free list, negative ones name nothing.
        if (m_nReference > 0)
            lua_rawgeti(L, LUA_REGISTRYINDEX, m_nReference);
        else
            lua_pushnil(L);
        break;
    default:
        lua_pushnil(L);
        break;
    }
}

}  // namespace ZQ2
