#include "source/game/DelvorHole.h"

const ZQ2::RTTI* const DelvorHole::rttis[] = {&ClickObject::rtti, nullptr};
const ZQ2::RTTI DelvorHole::rtti("DelvorHole", DelvorHole::rttis);
