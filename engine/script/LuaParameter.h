#pragma once
// One argument for a script call made by the engine: a flag, a number, a text
// or an engine node (pushed as the node's Lua table).
#include <string>

struct lua_State;

namespace ZQ2 {

class GameNode;

class LuaParameter {
public:
    enum eType : int {
        TYPE_NONE = 0,
        TYPE_BOOLEAN = 1,
        TYPE_NUMBER = 3,
        TYPE_STRING = 4,
        TYPE_NODE = 5,
    };

    LuaParameter(bool value);
    LuaParameter(double value);
    LuaParameter(float value);
    LuaParameter(int value);
    LuaParameter(const std::string& value);
    // A null text is passed as the empty text.
    LuaParameter(const char* value);
    // A null node, or one without a Lua table, is passed as nil.
    LuaParameter(const GameNode* node);

    // Pushes exactly one value; nil for a node without a table.
    void Push(lua_State* L) const;

    int GetType() const { return m_nType; }

private:
    double m_fNumber = 0.0;
    std::string m_strText;
    bool m_bFlag = false;
    int m_nReference = 0;
    int m_nType = TYPE_NONE;
};

}  // namespace ZQ2
