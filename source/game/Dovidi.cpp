#include "source/game/Dovidi.h"

const ZQ2::RTTI* const Dovidi::rttis[] = {&DelvorBoss::rtti, nullptr};
const ZQ2::RTTI Dovidi::rtti("Dovidi", Dovidi::rttis);
