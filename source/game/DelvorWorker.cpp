#include "source/game/DelvorWorker.h"

#include "source/game/DelvorHole.h"

const ZQ2::RTTI* const DelvorWorker::rttis[] = {&DelvorCharacter::rtti, nullptr};
const ZQ2::RTTI DelvorWorker::rtti("DelvorWorker", DelvorWorker::rttis);

void DelvorWorker::SetHole(DelvorHole* hole) { SetCurrentHole(hole); }

DelvorHole* DelvorWorker::GetHole() const { return ZQ2::DynamicCast<DelvorHole>(GetCurrentHole()); }
