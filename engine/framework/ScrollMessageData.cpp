#include "engine/framework/ScrollMessageData.h"

namespace ZQ2 {

const RTTI* const ScrollMessageData::rttis[] = {&MessageData::rtti, nullptr};
const RTTI ScrollMessageData::rtti("ScrollMessageData", ScrollMessageData::rttis);

}  // namespace ZQ2
