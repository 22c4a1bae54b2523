#include "engine/sprite/TextLine.h"

namespace ZQ2 {

const RTTI* const TextLine::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI TextLine::rtti("TextLine", TextLine::rttis);

}  // namespace ZQ2
