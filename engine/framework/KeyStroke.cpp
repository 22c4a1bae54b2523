#include "engine/framework/KeyStroke.h"

#include "engine/core/CaseConversion.h"

namespace ZQ2 {

namespace {

bool IsCharacter(unsigned long unit) {
    if (unit == 0 || unit > 0x10FFFF)
        return false;
    return unit < 0xD800 || unit > 0xDFFF;
}

}  // namespace

KeyStroke::KeyStroke(unsigned long character, eSysKey key) : m_nCharacter(character), m_eKey(key) {
    if (IsCharacter(character))
        m_strCharacter = ToLowercase(character);
}

}  // namespace ZQ2
