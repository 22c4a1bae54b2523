#include "engine/sprite/iRenderable.h"

namespace ZQ2 {

const RTTI* const iRenderable::rttis[] = {&Interface::rtti, nullptr};
const RTTI iRenderable::rtti("iRenderable", iRenderable::rttis);

}  // namespace ZQ2
