#include "engine/core/CRC32.h"

#include "engine/core/ChecksumBytes.h"

namespace ZQ2 {
namespace cipher {

CRC32::CRC32() { buildCRCTable(); }

void CRC32::buildCRCTable() {
    const uint32_t polynomial = 0x04C11DB7u;
    for (unsigned long i = 0; i < 256; ++i) {
        uint32_t value = static_cast<uint32_t>(Reflect(i, 8)) << 24;
        for (int bit = 0; bit < 8; ++bit)
            value = (value << 1) ^ ((value & 0x80000000u) ? polynomial : 0u);
        m_aTable[i] = static_cast<uint32_t>(Reflect(value, 32));
    }
}

unsigned long CRC32::Reflect(unsigned long value, char bits) {
    const int width = bits > 64 ? 64 : bits;
    unsigned long result = 0;
    for (int i = 1; i <= width; ++i) {
        if (value & 1)
            result |= 1UL << (width - i);
        value >>= 1;
    }
    return result;
}

void CRC32::update(int byte) { m_nRegister = static_cast<uint32_t>(update(m_nRegister, byte)); }

void CRC32::update(const void* buffer, int length, int offset, int count) {
    m_nRegister = static_cast<uint32_t>(
        updateBytes(m_nRegister, static_cast<const unsigned char*>(buffer), length, offset, count));
}

void CRC32::update(const void* buffer, int length) { update(buffer, length, 0, length); }

void CRC32::reset() { m_nRegister = 0xFFFFFFFFu; }

unsigned long CRC32::getValue() const { return ~m_nRegister & 0xFFFFFFFFu; }

unsigned long CRC32::update(unsigned long crc, int byte) {
    const uint32_t reg = static_cast<uint32_t>(crc);
    return (reg >> 8) ^ m_aTable[(reg ^ static_cast<uint32_t>(byte)) & 0xFF];
}

unsigned long CRC32::updateBytes(unsigned long crc, const unsigned char* buffer, int length, int offset,
                                 int count) {
    return ChecksumBytes(crc, buffer, length, offset, count,
                         [this](unsigned long reg, int byte) { return update(reg, byte); });
}

}  // namespace cipher
}  // namespace ZQ2
