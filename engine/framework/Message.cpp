#include "engine/framework/Message.h"

namespace ZQ2 {

const RTTI* const Message::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI Message::rtti("Message", Message::rttis);

}  // namespace ZQ2
