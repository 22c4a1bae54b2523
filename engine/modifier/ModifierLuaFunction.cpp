#include "engine/modifier/ModifierLuaFunction.h"

#include <lua.hpp>

#include <cstdint>
#include <cstdio>

#include "engine/script/Lua.h"
#include "engine/sprite/GameNode.h"

namespace ZQ2 {

const RTTI* const ModifierLuaFunction::rttis[] = {&Modifier::rtti, nullptr};
const RTTI ModifierLuaFunction::rtti("ModifierLuaFunction", ModifierLuaFunction::rttis);

namespace {

struct CallJob {
    int m_nReference;
    GameNode* m_pClient;
};

// Runs protected: pushing may need memory.
int CallReferenced(lua_State* L) {
    const auto* job = static_cast<const CallJob*>(lua_touserdata(L, 1));
    lua_rawgeti(L, LUA_REGISTRYINDEX, job->m_nReference);
    int arguments = 0;
    if (job->m_pClient) {
        job->m_pClient->PushLuaObject(L);
        arguments = 1;
    }
    if (lua_pcall(L, arguments, 0, 0) != 0)
        lua_pop(L, 1);
    return 0;
}

int FreeReference(lua_State* L) {
    luaL_unref(L, LUA_REGISTRYINDEX, static_cast<int>(reinterpret_cast<intptr_t>(lua_touserdata(L, 1))));
    return 0;
}

}  // namespace

ModifierLuaFunction::ModifierLuaFunction(int reference)
    : m_nReference(reference), m_pState(Lua::g_Instance ? Lua::g_Instance->GetState() : nullptr) {}

ModifierLuaFunction::~ModifierLuaFunction() {
    lua_State* L = LiveState();
    if (!L || m_nReference < 0)
        return;
    if (lua_cpcall(L, FreeReference, reinterpret_cast<void*>(static_cast<intptr_t>(m_nReference))) != 0)
        lua_pop(L, 1);
}

std::string ModifierLuaFunction::ToString() const {
    char text[32];
    std::snprintf(text, sizeof text, "%x; ", static_cast<unsigned int>(m_nReference));
    return Modifier::ToString() + text;
}

lua_State* ModifierLuaFunction::LiveState() const {
    if (!m_pState || !Lua::g_Instance || Lua::g_Instance->GetState() != m_pState)
        return nullptr;
    return m_pState;
}

void ModifierLuaFunction::EndModifier() {
    if (HasDoneBit())
        return;
    m_nStatus |= STATUS_DONE;
    lua_State* L = LiveState();
    if (!L || m_nReference < 0)
        return;
    CallJob job{m_nReference, m_pClient};
    if (lua_cpcall(L, CallReferenced, &job) != 0)
        lua_pop(L, 1);
}

}  // namespace ZQ2
