// Feeds outside bytes to the cipher and its text decoders: enciphered files
// are deciphered in place, and cipher texts are parsed back into numbers.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/core/CipherByteArray.h"
#include "engine/core/CipherCodec.h"
#include "engine/core/CipherInteger.h"
#include "engine/core/CipherString.h"
#include "engine/core/RawCipherInputStream.h"

using namespace ZQ2;
using namespace ZQ2::cipher;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20))
        return 0;
    const int length = static_cast<int>(size);
    int offset = 0;
    if (size >= 4)
        std::memcpy(&offset, data, 4);

    std::vector<uint8_t> buffer(data, data + size);
    CipherByteArray::cipher(buffer.data(), length, offset);
    CipherByteArray::cipher(buffer.data(), length, offset);
    if (std::memcmp(buffer.data(), data, size) != 0)
        std::abort();
    RawCipherInputStream::cipher(buffer.data(), length);
    RawCipherInputStream::cipher(buffer.data(), length);
    if (std::memcmp(buffer.data(), data, size) != 0)
        std::abort();

    const String text(reinterpret_cast<const char*>(data), length);
    CipherInteger::cipherMatch(offset, text);
    alpha16Decode(text);
    hexDecode(text);
    CipherString::cipher(text, offset);
    return 0;
}
