#pragma once
// The CRC-32 of zlib and PNG (reflected polynomial 0x04C11DB7, register
// preset to all ones, result complemented).
#include <cstdint>

namespace ZQ2 {
namespace cipher {

class CRC32 {
public:
    CRC32();
    virtual ~CRC32() = default;

    virtual void buildCRCTable();
    // value with its lowest `bits` bits mirrored.
    virtual unsigned long Reflect(unsigned long value, char bits);
    virtual void update(int byte);
    // count bytes from offset of a buffer of length bytes; a range outside
    // the buffer changes nothing.
    virtual void update(const void* buffer, int length, int offset, int count);
    virtual void update(const void* buffer, int length);
    virtual void reset();
    virtual unsigned long getValue() const;
    virtual unsigned long update(unsigned long crc, int byte);
    virtual unsigned long updateBytes(unsigned long crc, const unsigned char* buffer, int length, int offset,
                                      int count);

private:
    uint32_t m_nRegister = 0xFFFFFFFFu;
    uint32_t m_aTable[256] = {};
};

}  // namespace cipher
}  // namespace ZQ2
