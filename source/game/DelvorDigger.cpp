#include "source/game/DelvorDigger.h"

const ZQ2::RTTI* const DelvorDigger::rttis[] = {&DelvorWorker::rtti, nullptr};
const ZQ2::RTTI DelvorDigger::rtti("DelvorDigger", DelvorDigger::rttis);
