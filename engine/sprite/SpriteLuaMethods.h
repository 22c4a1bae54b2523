#pragma once
// The methods scripts call on sprites (the class "xov.Sprite", on top of the
// node methods). Each takes the sprite table first, checks its argument
// count, and answers one value: a getter its value, a setter its last
// argument.
struct lua_State;
struct luaL_Reg;

namespace ZQ2 {

// The nine anchor words a script may name, then a null entry.
extern const char* const g_LuaAnchorKeywords[10];
// Registered into the sprite class, ending with a null entry.
extern const luaL_Reg g_LuaMethods[19];

int glue_beginSimultaneousAnimation(lua_State* L);
int glue_endSimultaneousAnimation(lua_State* L);
int glue_firstFrame(lua_State* L);
int glue_frame(lua_State* L);
int glue_frameCount(lua_State* L);
int glue_height(lua_State* L);
int glue_lastFrame(lua_State* L);
int glue_left(lua_State* L);
int glue_rotation(lua_State* L);
int glue_setAnchorPoint(lua_State* L);
int glue_setFrame(lua_State* L);
int glue_setObsolete(lua_State* L);
int glue_setRotation(lua_State* L);
int glue_setScale(lua_State* L);
int glue_setSkew(lua_State* L);
int glue_top(lua_State* L);
int glue_width(lua_State* L);

}  // namespace ZQ2
