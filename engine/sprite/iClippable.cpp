#include "engine/sprite/iClippable.h"

namespace ZQ2 {

const RTTI* const iClippable::rttis[] = {&Interface::rtti, nullptr};
const RTTI iClippable::rtti("iClippable", iClippable::rttis);

}  // namespace ZQ2
