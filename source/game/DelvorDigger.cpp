#include "source/game/DelvorDigger.h"

#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"

const ZQ2::RTTI* const DelvorDigger::rttis[] = {&DelvorWorker::rtti, nullptr};
const ZQ2::RTTI DelvorDigger::rtti("DelvorDigger", DelvorDigger::rttis);
ZQ2::ObjectInitializer DelvorDigger::m_ObjectInitializer("DelvorDigger", &DelvorDigger::OnData);

int DelvorDigger::GetWaitAreaY() const { return ZQ2::BasicProperties::GetInteger("DIGGER_WAITAREA_Y"); }
