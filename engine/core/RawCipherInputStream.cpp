#include "engine/core/RawCipherInputStream.h"

#include "engine/core/CipherObject.h"

namespace ZQ2 {
namespace cipher {

void RawCipherInputStream::cipher(void* buffer, int length) {
    if (!buffer || length <= 0)
        return;
    CipherState s = CipherObject::MakeState(STREAM_SEED);
    unsigned char* bytes = static_cast<unsigned char*>(buffer);
    int i = 0;
    int j = 0;
    for (int k = 0; k < length; ++k) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        const unsigned char swap = s[i];
        s[i] = s[j];
        s[j] = swap;
        bytes[k] ^= s[(s[i] + s[j]) & 0xFF];
    }
}

}  // namespace cipher
}  // namespace ZQ2
