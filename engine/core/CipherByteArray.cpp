#include "engine/core/CipherByteArray.h"

namespace ZQ2 {
namespace cipher {

void CipherByteArray::cipher(void* buffer, int length, int offset) {
    Apply(GetSharedState(), buffer, length, offset);
}

void CipherByteArray::cipher(void* buffer, int length, int offset, long long seed) {
    Apply(MakeState(seed), buffer, length, offset);
}

void CipherByteArray::Apply(const CipherState& state, void* buffer, int length, int offset) {
    if (!buffer || length <= 0)
        return;
    // Wider than int, so that the magnitude of INT_MIN is representable.
    const long long start = offset < 0 ? -static_cast<long long>(offset) : offset;
    unsigned char* bytes = static_cast<unsigned char*>(buffer);
    for (int i = 0; i < length; ++i)
        bytes[i] ^= state[static_cast<size_t>((start + i) & 0xFF)] & 0x7F;
}

}  // namespace cipher
}  // namespace ZQ2
