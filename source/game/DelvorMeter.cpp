#include "source/game/DelvorMeter.h"

#include "source/game/DelvorHole.h"

const ZQ2::RTTI* const DelvorMeter::rttis[] = {&ClickObject::rtti, nullptr};
const ZQ2::RTTI DelvorMeter::rtti("DelvorMeter", DelvorMeter::rttis);

ClickObject* DelvorMeter::GetParentHole() { return m_pHole; }
