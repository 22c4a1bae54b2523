#include "engine/core/CRC.h"

#include "engine/core/ChecksumBytes.h"

namespace ZQ2 {
namespace cipher {

CRC::CRC() { buildCRCTable(); }

void CRC::buildCRCTable() {
    for (uint64_t n = 0; n < 256; ++n) {
        uint64_t value = n;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        m_aTable[n] = value;
    }
}

void CRC::update(long long byte) { m_nRegister = static_cast<uint64_t>(update(static_cast<long long>(m_nRegister), byte)); }

void CRC::update(const void* buffer, int length, int offset, int count) {
    m_nRegister = static_cast<uint64_t>(updateBytes(static_cast<long long>(m_nRegister),
                                                    static_cast<const unsigned char*>(buffer), length, offset, count));
}

void CRC::update(const void* buffer, int length) { update(buffer, length, 0, length); }

void CRC::reset() { m_nRegister = 0; }

long long CRC::getValue() const { return static_cast<long long>(m_nRegister & 0xFFFFFFFFu); }

long long CRC::update(long long crc, long long byte) {
    const uint64_t reg = static_cast<uint64_t>(crc);
    return static_cast<long long>((reg >> 8) ^ m_aTable[(reg ^ static_cast<uint64_t>(byte)) & 0xFF]);
}

long long CRC::updateBytes(long long crc, const unsigned char* buffer, int length, int offset, int count) {
    return ChecksumBytes(crc, buffer, length, offset, count,
                         [this](long long reg, long long byte) { return update(reg, byte); });
}

}  // namespace cipher
}  // namespace ZQ2
