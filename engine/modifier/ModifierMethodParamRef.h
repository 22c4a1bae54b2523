#pragma once
// As ModifierMethodParam, for functions that take their argument by const
// reference: they get a reference to the modifier's own copy.
#include "engine/modifier/ModifierMethodParam.h"

namespace ZQ2 {

template <class T, class P>
class ModifierMethodParamRef : public ModifierMethodParam<T, P, const P&> {
public:
    using ModifierMethodParam<T, P, const P&>::ModifierMethodParam;
};

}  // namespace ZQ2
