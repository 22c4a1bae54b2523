#pragma once
// A text kept masked in memory, and the text forms of the byte cipher.
#include "engine/core/CipherObject.h"

namespace ZQ2 {
namespace cipher {

class CipherString : public CipherObject {
public:
    using CipherObject::CipherObject;

    void setValue(const String& text);
    String getValue() const;

    // Each byte XORed with the shared key at its position (offset's sign
    // ignored); a byte that would become 0 is written 0x80 instead, so the
    // result stays a C string.
    static String cipher(const String& text, int offset = 0);
    // Re-keys this object from key, enciphers text like cipher() over the
    // object's own state and appends "C" and the text's CRC-32 in decimal.
    String encrypt(const String& text, int offset, const String& key);

private:
    String m_strValue;
};

}  // namespace cipher
}  // namespace ZQ2
