#pragma once
// 48-bit linear congruential generator (the rand48 parameters). Deterministic
// for a given seed, so the cipher can rebuild its key streams from fixed seeds.
#include <cstdint>

#include "engine/core/BaseObject.h"

namespace ZQ2 {

class Rand : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit Rand(long long seed);
    Rand(const Rand& other) = default;
    Rand& operator=(const Rand& other) = default;

    const RTTI& GetRTTI() const override { return rtti; }

    void SetSeed(long long seed);

    // The top bits (1 to 32) of the next state, as a signed 32-bit value.
    int Next(int bits);
    bool NextBoolean();
    float NextFloat();    // [0, 1)
    double NextDouble();  // [0, 1), 53 bits
    long long NextLong();
    // Four bytes per draw, lowest byte first; the last draw may use fewer.
    void NextBytes(char* buffer, int count);

    // A value in [min, max), max excluded. An empty range gives min without drawing.
    int GetInt(int min, int max);

protected:
    // min plus a draw reduced modulo range (with range's sign); range is not 0.
    int DrawInRange(int min, long long range);

private:
    uint64_t m_nSeed = 0;
    uint64_t m_nMultiplier = 0x5DEECE66DULL;
    uint64_t m_nMask = (1ULL << 48) - 1;
    uint64_t m_nAddend = 0xBULL;
};

}  // namespace ZQ2
