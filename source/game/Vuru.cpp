#include "source/game/Vuru.h"

#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"

const ZQ2::RTTI* const Vuru::rttis[] = {&DelvorBoss::rtti, nullptr};
const ZQ2::RTTI Vuru::rtti("Vuru", Vuru::rttis);
ZQ2::ObjectInitializer Vuru::m_ObjectInitializer("Vuru", &Vuru::OnData);

void Vuru::Init() {
    SetLocation(static_cast<float>(ZQ2::BasicProperties::GetInteger("VURU_TENT_X")),
                static_cast<float>(ZQ2::BasicProperties::GetInteger("VURU_TENT_Y")));
}
