#include "engine/graphics/Font.h"

namespace ZQ2 {

const RTTI* const Font::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI Font::rtti("Font", Font::rttis);

}  // namespace ZQ2
