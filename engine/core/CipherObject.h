#pragma once
// Base of the byte cipher and its masked holders: a 256-byte permutation made
// by the RC4 key schedule from a seed, plus the process-wide state that the
// property store and the data archive encipher with.
#include <array>

#include "engine/core/Random.h"
#include "engine/core/String.h"

namespace ZQ2 {
namespace cipher {

using CipherState = std::array<unsigned char, 256>;

class CipherObject {
public:
    // Seeded from the millisecond clock.
    CipherObject();
    explicit CipherObject(long long seed);
    virtual ~CipherObject() = default;

    // Key schedule with the 256 bytes at key; null does nothing.
    void init(const char* key);
    // Key schedule with 256 bytes drawn from a seed that is the sum of the
    // text's bytes taken as signed values.
    void init(const String& text);

    // The shared state of the fixed seed, built once (thread-safe) and then only read.
    static const CipherState& GetSharedState();
    // The state that the key schedule makes from seed.
    static CipherState MakeState(long long seed);

    static constexpr long long SHARED_SEED = 7315946;

protected:
    static void Schedule(CipherState& state, const unsigned char* key);
    // The generator's next masking offset, 0 to 255.
    int NextPosition();

    CipherState m_State{};
    long long m_nSeed = 0;
    Random m_Random;
    int m_nPosition = 0;
};

}  // namespace cipher
}  // namespace ZQ2
