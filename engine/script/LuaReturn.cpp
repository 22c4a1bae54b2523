#include "engine/script/LuaReturn.h"

#include <climits>
#include <cmath>

namespace ZQ2 {

LuaReturn::LuaReturn(const char* text) : m_strText(text ? text : "") {}

LuaReturn::LuaReturn(bool flag) : m_bFlag(flag) {}

LuaReturn::LuaReturn(double number) : m_fNumber(number) {}

LuaReturn::LuaReturn(GameNode* node) : m_pNode(node) {}

LuaReturn::operator int() const { return TruncateToInt(m_fNumber); }

int LuaReturn::TruncateToInt(double number) {
    if (std::isnan(number))
        return 0;
    if (number >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (number <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(number);
}

}  // namespace ZQ2
