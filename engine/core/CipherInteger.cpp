#include "engine/core/CipherInteger.h"

#include <cstdint>

#include "engine/core/Integer.h"

namespace ZQ2 {
namespace cipher {

int CipherInteger::Mask(const CipherState& state, int position) {
    uint32_t mask = 0;
    for (int k = 0; k < 4; ++k) {
        const int32_t byte = static_cast<signed char>(state[(static_cast<unsigned int>(position) + static_cast<unsigned int>(k)) & 0xFFu]);
        mask += static_cast<uint32_t>(byte) << (8 * k);
    }
    return static_cast<int>(mask);
}

String CipherInteger::getCipherValue() {
    String text(getValue() ^ Mask(GetSharedState(), m_nPosition));
    text += 'i';
    text += m_nPosition;
    return text;
}

int CipherInteger::getValue() { return m_nMaskedValue ^ Mask(m_State, m_nPosition); }

void CipherInteger::setValue(int value) { m_nMaskedValue = Mask(m_State, NextPosition()) ^ value; }

bool CipherInteger::cipherMatch(int value, const String& text) {
    const int split = text.lastIndexOf('i');
    if (split < 0)
        return false;
    const int position = Integer::parseInt(text.substring(split + 1));
    const int masked = Integer::parseInt(text.substring(0, split));
    return (masked ^ Mask(GetSharedState(), position)) == value;
}

}  // namespace cipher
}  // namespace ZQ2
