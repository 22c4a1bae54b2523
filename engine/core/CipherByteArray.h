#pragma once
// The byte cipher of enciphered files: each byte is XORed with the low seven
// bits of a 256-byte key at its position, so the same call enciphers and
// deciphers, any byte range can be done on its own and the top bits survive.
#include "engine/core/CipherObject.h"

namespace ZQ2 {
namespace cipher {

class CipherByteArray : public CipherObject {
public:
    using CipherObject::CipherObject;

    // Over the shared state; offset is the position of buffer[0] in the
    // stream (its sign is ignored). A null buffer or length <= 0 does nothing.
    static void cipher(void* buffer, int length, int offset = 0);
    // The same over the state made from seed.
    static void cipher(void* buffer, int length, int offset, long long seed);

private:
    static void Apply(const CipherState& state, void* buffer, int length, int offset);
};

}  // namespace cipher
}  // namespace ZQ2
