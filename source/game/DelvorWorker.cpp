#include "source/game/DelvorWorker.h"

const ZQ2::RTTI* const DelvorWorker::rttis[] = {&DelvorCharacter::rtti, nullptr};
const ZQ2::RTTI DelvorWorker::rtti("DelvorWorker", DelvorWorker::rttis);
