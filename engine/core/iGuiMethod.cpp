#include "engine/core/iGuiMethod.h"

namespace ZQ2 {

const RTTI* const iGuiMethod::rttis[] = {&Interface::rtti, nullptr};
const RTTI iGuiMethod::rtti("iGuiMethod", iGuiMethod::rttis);

}  // namespace ZQ2
