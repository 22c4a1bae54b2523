#pragma once
// One laid-out line of a styled label: its word labels in order.
#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/sprite/Label.h"

namespace ZQ2 {

class TextLine : public BaseObject, public ZQVector<SmartPtr<Label> > {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    const RTTI& GetRTTI() const override { return rtti; }
};

}  // namespace ZQ2
