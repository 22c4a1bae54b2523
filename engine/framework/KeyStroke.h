#pragma once
// One key as the input listeners see it: the typed character (a UTF-16
// unit), that character lower-cased as UTF-8 text, and the engine key code.
#include <string>

#include "engine/core/Platform.h"

namespace ZQ2 {

class KeyStroke {
public:
    KeyStroke(unsigned long character, eSysKey key);
    virtual ~KeyStroke() = default;

    unsigned long GetCharacter() const { return m_nCharacter; }
    // Empty for 0 and for a lone surrogate unit, which is no character.
    const std::string& GetCharacterString() const { return m_strCharacter; }
    eSysKey GetKey() const { return m_eKey; }

private:
    unsigned long m_nCharacter;
    std::string m_strCharacter;
    eSysKey m_eKey;
};

}  // namespace ZQ2
