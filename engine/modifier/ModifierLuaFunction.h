#pragma once
// One step of a script-built animation that calls a Lua function when it is
// reached: with the client's Lua object as the argument when it has a client.
// Errors of the function are dropped; the animation goes on.
#include "engine/modifier/Modifier.h"

struct lua_State;

namespace ZQ2 {

class ModifierLuaFunction : public Modifier {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Takes over a registry reference (luaL_ref) of the Lua state running now.
    explicit ModifierLuaFunction(int reference);
    // Frees the reference, if its state still runs.
    ~ModifierLuaFunction() override;

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    void Tick(int) override { EndModifier(); }
    // Only the first end calls, however it is reached.
    void EndModifier() override;

private:
    // The state the reference belongs to, while it is still the running one.
    lua_State* LiveState() const;

    int m_nReference;
    lua_State* m_pState;
};

}  // namespace ZQ2
