#include "engine/framework/MessageData.h"

namespace ZQ2 {

const RTTI* const MessageData::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI MessageData::rtti("MessageData", MessageData::rttis);

}  // namespace ZQ2
