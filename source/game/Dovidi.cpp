#include "source/game/Dovidi.h"

#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"

const ZQ2::RTTI* const Dovidi::rttis[] = {&DelvorBoss::rtti, nullptr};
const ZQ2::RTTI Dovidi::rtti("Dovidi", Dovidi::rttis);
ZQ2::ObjectInitializer Dovidi::m_ObjectInitializer("Dovidi", &Dovidi::OnData);

void Dovidi::Init() {
    SetLocation(static_cast<float>(ZQ2::BasicProperties::GetInteger("DOVIDI_HOME_X")),
                static_cast<float>(ZQ2::BasicProperties::GetInteger("DOVIDI_HOME_Y")));
}
