#include "engine/sprite/SpriteLuaMethods.h"

#include <lua.hpp>

#include "engine/graphics/Image.h"
#include "engine/sprite/LuaAnimationChain.h"
#include "engine/sprite/Sprite.h"

// Lua errors unwind with longjmp: nothing here holds an object with a
// destructor while a check may raise.

namespace ZQ2 {

const char* const g_LuaAnchorKeywords[10] = {"topleft",    "top",    "topright",    "left", "center", "right",
                                             "bottomleft", "bottom", "bottomright", nullptr};

namespace {

Sprite* Self(lua_State* L) { return Sprite::CheckLuaSprite(L, 1, 1); }

// Exactly `count` arguments, else the message against the first one beyond.
Sprite* SelfWithCount(lua_State* L, int count, const char* message) {
    Sprite* sprite = Self(L);
    if (lua_gettop(L) != count)
        luaL_argerror(L, count + 1, message);
    return sprite;
}

Sprite* SelfWithAtMost(lua_State* L, int count) {
    Sprite* sprite = Self(L);
    if (lua_gettop(L) > count)
        luaL_argerror(L, count + 1, "too many arguments");
    return sprite;
}

int Answer(lua_State* L, double value) {
    lua_pushnumber(L, value);
    return 1;
}

// The table's own number field, or the fallback.
float NumberOr(lua_State* L, int table, const char* name, float fallback) {
    lua_pushstring(L, name);
    lua_rawget(L, table);
    const float value = lua_type(L, -1) == LUA_TNUMBER ? static_cast<float>(lua_tonumber(L, -1)) : fallback;
    lua_pop(L, 1);
    return value;
}

float CheckFloat(lua_State* L, int argument) { return static_cast<float>(luaL_checknumber(L, argument)); }

}  // namespace

int glue_beginSimultaneousAnimation(lua_State* L) {
    SelfWithCount(L, 1, "wrong number of arguments");
    LuaAnimationChain::BeginGroup();
    return 1;
}

int glue_endSimultaneousAnimation(lua_State* L) {
    Sprite* sprite = SelfWithCount(L, 1, "wrong number of arguments");
    LuaAnimationChain::EndGroup(sprite);
    return 1;
}

int glue_firstFrame(lua_State* L) {
    SelfWithCount(L, 1, "too many arguments")->SetCurrentFrame(0);
    return 1;
}

int glue_frame(lua_State* L) { return Answer(L, Self(L)->GetCurrentFrame()); }

int glue_frameCount(lua_State* L) {
    const Image* image = Self(L)->GetImage();
    return Answer(L, image ? image->GetFrameCount() : 1);
}

int glue_height(lua_State* L) { return Answer(L, Self(L)->GetHeight()); }

int glue_lastFrame(lua_State* L) {
    SelfWithCount(L, 1, "too many arguments")->LastFrame();
    return 1;
}

int glue_left(lua_State* L) { return Answer(L, Self(L)->GetLeft()); }

int glue_rotation(lua_State* L) { return Answer(L, Self(L)->GetRotation()); }

int glue_setAnchorPoint(lua_State* L) {
    Sprite* sprite = Self(L);
    const int count = lua_gettop(L);
    if (count < 2 || count > 3)
        luaL_argerror(L, 4, "wrong number of arguments");
    if (count == 3) {
        sprite->SetAnchorPoint(CheckFloat(L, 2), CheckFloat(L, 3));
    } else if (lua_istable(L, 2)) {
        sprite->SetAnchorPoint(NumberOr(L, 2, "x", sprite->GetAnchorPointX()),
                               NumberOr(L, 2, "y", sprite->GetAnchorPointY()));
    } else {
        sprite->SetAnchorPoint(static_cast<eAnchorPoint>(luaL_checkoption(L, 2, nullptr, g_LuaAnchorKeywords)));
    }
    return 1;
}

int glue_setFrame(lua_State* L) {
    Sprite* sprite = SelfWithAtMost(L, 2);
    sprite->SetCurrentFrame(static_cast<int>(luaL_checkinteger(L, 2)));
    return 1;
}

int glue_setObsolete(lua_State* L) {
    SelfWithCount(L, 1, "too many arguments")->SetObsolete(true);
    return 1;
}

int glue_setRotation(lua_State* L) {
    Sprite* sprite = SelfWithAtMost(L, 2);
    sprite->SetRotation(CheckFloat(L, 2));
    return 1;
}

int glue_setScale(lua_State* L) {
    Sprite* sprite = SelfWithAtMost(L, 3);
    float x = 1.0f;
    float y = 1.0f;
    switch (lua_gettop(L)) {
    case 2:
        if (lua_istable(L, 2)) {
            x = NumberOr(L, 2, "x", sprite->GetScaleX());
            y = NumberOr(L, 2, "y", sprite->GetScaleY());
        } else {
            x = y = CheckFloat(L, 2);
        }
        break;
    case 3:
        x = CheckFloat(L, 2);
        y = CheckFloat(L, 3);
        break;
    default:
        break;
    }
    sprite->SetScaleX(x);
    sprite->SetScaleY(y);
    return 1;
}

int glue_setSkew(lua_State* L) {
    Sprite* sprite = SelfWithAtMost(L, 3);
    luaL_checkany(L, 2);
    float x = 0.0f;
    float y = 0.0f;
    if (lua_gettop(L) == 3) {
        x = CheckFloat(L, 2);
        y = CheckFloat(L, 3);
    } else {
        luaL_checktype(L, 2, LUA_TTABLE);
        x = NumberOr(L, 2, "x", sprite->GetSkewX());
        y = NumberOr(L, 2, "y", sprite->GetSkewY());
    }
    sprite->SetSkewX(x);
    sprite->SetSkewY(y);
    return 1;
}

int glue_top(lua_State* L) { return Answer(L, Self(L)->GetTop()); }

int glue_width(lua_State* L) { return Answer(L, Self(L)->GetWidth()); }

const luaL_Reg g_LuaMethods[19] = {
    {"addSequentialAnimation", Sprite::glue_addSequentialAnimation},
    {"beginSimultaneousAnimation", glue_beginSimultaneousAnimation},
    {"endSimultaneousAnimation", glue_endSimultaneousAnimation},
    {"firstFrame", glue_firstFrame},
    {"frame", glue_frame},
    {"frameCount", glue_frameCount},
    {"height", glue_height},
    {"lastFrame", glue_lastFrame},
    {"left", glue_left},
    {"rotation", glue_rotation},
    {"setAnchorPoint", glue_setAnchorPoint},
    {"setFrame", glue_setFrame},
    {"setObsolete", glue_setObsolete},
    {"setRotation", glue_setRotation},
    {"setScale", glue_setScale},
    {"setSkew", glue_setSkew},
    {"top", glue_top},
    {"width", glue_width},
    {nullptr, nullptr},
};

}  // namespace ZQ2
