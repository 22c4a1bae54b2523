#include "source/game/Vuru.h"

const ZQ2::RTTI* const Vuru::rttis[] = {&DelvorBoss::rtti, nullptr};
const ZQ2::RTTI Vuru::rtti("Vuru", Vuru::rttis);
