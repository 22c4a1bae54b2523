#include "engine/framework/KeyboardMessageData.h"

namespace ZQ2 {

const RTTI* const KeyboardMessageData::rttis[] = {&MessageData::rtti, nullptr};
const RTTI KeyboardMessageData::rtti("KeyboardMessageData", KeyboardMessageData::rttis);

}  // namespace ZQ2
