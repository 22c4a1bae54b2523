#include "engine/framework/iTask.h"

namespace ZQ2 {

const RTTI* const iTask::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI iTask::rtti("iTask", iTask::rttis);

}  // namespace ZQ2
