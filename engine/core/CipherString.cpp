#include "engine/core/CipherString.h"

#include "engine/core/CRC32.h"

namespace ZQ2 {
namespace cipher {

namespace {

String Encipher(const CipherState& state, const String& text, int offset) {
    const long long start = offset < 0 ? -static_cast<long long>(offset) : offset;
    String result;
    for (int i = 0; i < text.length(); ++i) {
        const unsigned char key = state[static_cast<size_t>((start + i) & 0xFF)] & 0x7F;
        const unsigned char byte = static_cast<unsigned char>(text.charAt(i)) ^ key;
        result += static_cast<char>(byte ? byte : 0x80);
    }
    return result;
}

}  // namespace

void CipherString::setValue(const String& text) {
    const int position = NextPosition();
    // Stored with its length, zero bytes included, so getValue gives back every byte.
    String stored;
    for (int i = 0; i < text.length(); ++i)
        stored += static_cast<char>(text.charAt(i) ^ m_State[static_cast<size_t>((i + position) & 0xFF)]);
    m_strValue = stored;
}

String CipherString::getValue() const {
    String text;
    for (int i = 0; i < m_strValue.length(); ++i)
        text += static_cast<char>(m_strValue.charAt(i) ^ m_State[static_cast<size_t>((i + m_nPosition) & 0xFF)]);
    return text;
}

String CipherString::cipher(const String& text, int offset) { return Encipher(GetSharedState(), text, offset); }

String CipherString::encrypt(const String& text, int offset, const String& key) {
    init(key);
    CRC32 crc;
    crc.update(text.c_str(), text.length());
    String result = Encipher(m_State, text, offset);
    result += 'C';
    result += static_cast<long long>(crc.getValue());
    return result;
}

}  // namespace cipher
}  // namespace ZQ2
