#include "source/game/DelvorPicker.h"

#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"

const ZQ2::RTTI* const DelvorPicker::rttis[] = {&DelvorWorker::rtti, nullptr};
const ZQ2::RTTI DelvorPicker::rtti("DelvorPicker", DelvorPicker::rttis);
ZQ2::ObjectInitializer DelvorPicker::m_ObjectInitializer("DelvorPicker", &DelvorPicker::OnData);

int DelvorPicker::GetWaitAreaY() const { return ZQ2::BasicProperties::GetInteger("PICKER_WAITAREA_Y"); }
