#include "engine/framework/iMessageListener.h"

#include "engine/framework/MessageHandler.h"

namespace ZQ2 {

const RTTI* const iMessageListener::rttis[] = {nullptr};
const RTTI iMessageListener::rtti("iMessageListener", iMessageListener::rttis);

iMessageListener::~iMessageListener() { MessageHandler::RemoveFromAllHandlers(this); }

}  // namespace ZQ2
