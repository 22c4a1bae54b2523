#include "engine/framework/MouseMessageData.h"

namespace ZQ2 {

const RTTI* const MouseMessageData::rttis[] = {&MessageData::rtti, nullptr};
const RTTI MouseMessageData::rtti("MouseMessageData", MouseMessageData::rttis);

}  // namespace ZQ2
