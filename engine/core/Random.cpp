#include "engine/core/Random.h"

#include "engine/core/Platform.h"

namespace ZQ2 {

const RTTI* const Random::rttis[] = {&Rand::rtti, nullptr};
const RTTI Random::rtti("Random", Random::rttis);

Random::Random() : Rand(static_cast<long long>(Platform::GetMilliseconds())) {}

void Random::CreateInstance() {
    ReleaseInstance();
    g_Instance = new Random();
    g_Instance->AddRef();
}

Random* Random::Instance() {
    if (!g_Instance)
        CreateInstance();
    return g_Instance;
}

int Random::GetIntInRange(int min, int max) {
    const long long range = static_cast<long long>(max) + 1 - min;
    if (range == 0)
        return min;
    return Instance()->DrawInRange(min, range);
}

}  // namespace ZQ2
