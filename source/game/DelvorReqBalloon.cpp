#include "source/game/DelvorReqBalloon.h"

#include "source/game/DelvorHole.h"

const ZQ2::RTTI* const DelvorReqBalloon::rttis[] = {&ClickObject::rtti, nullptr};
const ZQ2::RTTI DelvorReqBalloon::rtti("DelvorReqBalloon", DelvorReqBalloon::rttis);

ClickObject* DelvorReqBalloon::GetParentHole() { return m_pHole; }
