#pragma once
// The byte loop the checksums share: runs a register through a step for a
// range of a caller's buffer, refusing ranges that reach outside it.

namespace ZQ2 {
namespace cipher {

// crc after step(crc, byte) for count bytes from offset of a buffer of length
// bytes; a range outside the buffer leaves crc as it is.
template <typename Value, typename Step>
Value ChecksumBytes(Value crc, const unsigned char* buffer, int length, int offset, int count, Step step) {
    if (!buffer || offset < 0 || count <= 0 || length < 0 || offset > length || count > length - offset)
        return crc;
    for (int i = 0; i < count; ++i)
        crc = step(crc, buffer[offset + i]);
    return crc;
}

}  // namespace cipher
}  // namespace ZQ2
