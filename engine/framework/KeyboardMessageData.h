#pragma once
// Payload of the key messages (down, up, typed): the key stroke and where the
// key sits on the keyboard.
#include "engine/framework/KeyStroke.h"
#include "engine/framework/MessageData.h"

namespace ZQ2 {

// Which of two keys of the same code was used.
enum eKeyLocation : int {
    KEYLOCATION_STANDARD = 0,
    KEYLOCATION_LEFT = 1,
    KEYLOCATION_RIGHT = 2,
    KEYLOCATION_NUMPAD = 3,
};

class KeyboardMessageData : public MessageData {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    KeyboardMessageData(unsigned long character, eSysKey key, bool flag = false,
                        eKeyLocation location = KEYLOCATION_STANDARD, eSysKey secondKey = SYSKEY_NONE)
        : m_KeyStroke(character, key), m_bFlag(flag), m_eLocation(location), m_eSecondKey(secondKey) {}

    const RTTI& GetRTTI() const override { return rtti; }

    const KeyStroke& GetKeyStroke() const { return m_KeyStroke; }
    unsigned long GetCharacter() const { return m_KeyStroke.GetCharacter(); }
    const std::string& GetCharacterString() const { return m_KeyStroke.GetCharacterString(); }
    eSysKey GetKey() const { return m_KeyStroke.GetKey(); }
    // Carried for the sender; nothing in the engine sets or reads it yet.
    bool GetFlag() const { return m_bFlag; }
    eKeyLocation GetLocation() const { return m_eLocation; }
    eSysKey GetSecondKey() const { return m_eSecondKey; }

private:
    KeyStroke m_KeyStroke;
    bool m_bFlag;
    eKeyLocation m_eLocation;
    eSysKey m_eSecondKey;
};

}  // namespace ZQ2
