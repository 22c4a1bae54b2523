#pragma once
// A table-driven checksum over the reflected polynomial 0xEDB88320 with a
// 64-bit register that starts at 0 and is not complemented at the end.
#include <cstdint>

namespace ZQ2 {
namespace cipher {

class CRC {
public:
    CRC();
    virtual ~CRC() = default;

    virtual void buildCRCTable();
    virtual void update(long long byte);
    // count bytes from offset of a buffer of length bytes; a range outside
    // the buffer changes nothing.
    virtual void update(const void* buffer, int length, int offset, int count);
    virtual void update(const void* buffer, int length);
    virtual void reset();
    virtual long long getValue() const;
    virtual long long update(long long crc, long long byte);
    virtual long long updateBytes(long long crc, const unsigned char* buffer, int length, int offset, int count);

private:
    uint64_t m_nRegister = 0;
    uint64_t m_aTable[256] = {};
};

}  // namespace cipher
}  // namespace ZQ2
