#include "engine/core/Interface.h"

namespace ZQ2 {

const RTTI* const Interface::rttis[] = {nullptr};
const RTTI Interface::rtti("Interface", Interface::rttis);

}  // namespace ZQ2
