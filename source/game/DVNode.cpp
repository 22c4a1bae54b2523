#include "source/game/DVNode.h"

const ZQ2::RTTI* const DVNode::rttis[] = {&ZQ2::BaseObject::rtti, nullptr};
const ZQ2::RTTI DVNode::rtti("DVNode", DVNode::rttis);
