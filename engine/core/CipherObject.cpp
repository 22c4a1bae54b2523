#include "engine/core/CipherObject.h"

#include "engine/core/Platform.h"

namespace ZQ2 {
namespace cipher {

CipherObject::CipherObject() : CipherObject(static_cast<long long>(Platform::GetMilliseconds())) {}

CipherObject::CipherObject(long long seed) : m_State(MakeState(seed)), m_nSeed(seed), m_Random(seed) {}

void CipherObject::init(const char* key) {
    if (!key)
        return;
    Schedule(m_State, reinterpret_cast<const unsigned char*>(key));
}

void CipherObject::init(const String& text) {
    long long seed = 0;
    for (int i = 0; i < text.length(); ++i)
        seed += static_cast<signed char>(text.charAt(i));
    m_nSeed = seed;
    m_Random.SetSeed(seed);
    char key[256];
    m_Random.NextBytes(key, 256);
    init(key);
}

const CipherState& CipherObject::GetSharedState() {
    static const CipherState state = MakeState(SHARED_SEED);
    return state;
}

CipherState CipherObject::MakeState(long long seed) {
    Random generator(seed);
    char key[256];
    generator.NextBytes(key, 256);
    CipherState state;
    Schedule(state, reinterpret_cast<const unsigned char*>(key));
    return state;
}

void CipherObject::Schedule(CipherState& state, const unsigned char* key) {
    for (int i = 0; i < 256; ++i)
        state[i] = static_cast<unsigned char>(i);
    int j = 0;
    for (int i = 0; i < 256; ++i) {
        j = (j + state[i] + key[i]) & 0xFF;
        const unsigned char swap = state[i];
        state[i] = state[j];
        state[j] = swap;
    }
}

int CipherObject::NextPosition() {
    m_nPosition = static_cast<int>(m_Random.NextFloat() * 256.0f) & 0xFF;
    return m_nPosition;
}

}  // namespace cipher
}  // namespace ZQ2
