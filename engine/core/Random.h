#pragma once
// The process-wide random generator that game code draws from; the "random"
// manifest command creates it, seeded from the millisecond clock.
#include "engine/core/Rand.h"
#include "engine/core/iInstance.h"

namespace ZQ2 {

class Random : public Rand, public iInstance<Random> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Seeded from the millisecond clock.
    Random();
    explicit Random(long long seed) : Rand(seed) {}

    const RTTI& GetRTTI() const override { return rtti; }

    // Replaces any previous instance (releasing it) with one seeded from the clock.
    static void CreateInstance();
    // The instance, created on first use when no manifest command made it.
    static Random* Instance();

    // A value in [min, max], max included, drawn from the instance.
    static int GetIntInRange(int min, int max);
};

}  // namespace ZQ2
