#include "engine/core/Rand.h"

namespace ZQ2 {

const RTTI* const Rand::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI Rand::rtti("Rand", Rand::rttis);

Rand::Rand(long long seed) { SetSeed(seed); }

void Rand::SetSeed(long long seed) { m_nSeed = (static_cast<uint64_t>(seed) ^ m_nMultiplier) & m_nMask; }

int Rand::Next(int bits) {
    if (bits < 1)
        bits = 1;
    if (bits > 32)
        bits = 32;
    m_nSeed = (m_nSeed * m_nMultiplier + m_nAddend) & m_nMask;
    return static_cast<int>(static_cast<uint32_t>(m_nSeed >> (48 - bits)));
}

bool Rand::NextBoolean() { return Next(1) != 0; }

float Rand::NextFloat() { return static_cast<float>(Next(24)) * (1.0f / 16777216.0f); }

double Rand::NextDouble() {
    const uint64_t high = static_cast<uint64_t>(Next(26)) << 27;
    const uint64_t low = static_cast<uint64_t>(Next(27));
    return static_cast<double>(high + low) * (1.0 / 9007199254740992.0);
}

long long Rand::NextLong() {
    const uint64_t high = static_cast<uint64_t>(static_cast<uint32_t>(Next(32))) << 32;
    const long long low = Next(32);  // signed: a negative half borrows from the high one
    return static_cast<long long>(high + static_cast<uint64_t>(low));
}

void Rand::NextBytes(char* buffer, int count) {
    if (!buffer)
        return;
    int i = 0;
    while (i < count) {
        uint32_t bits = static_cast<uint32_t>(Next(32));
        for (int n = 0; n < 4 && i < count; ++n, ++i) {
            buffer[i] = static_cast<char>(bits & 0xFF);
            bits >>= 8;
        }
    }
}

int Rand::GetInt(int min, int max) {
    if (max == min)
        return min;
    return DrawInRange(min, static_cast<long long>(max) - min);
}

int Rand::DrawInRange(int min, long long range) {
    // The remainder takes the sign of range, so min + r stays between min and max.
    long long r = Next(32) % range;
    if (r != 0 && (r < 0) != (range < 0))
        r += range;
    return static_cast<int>(min + r);
}

}  // namespace ZQ2
