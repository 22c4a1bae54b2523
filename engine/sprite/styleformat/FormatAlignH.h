#pragma once
// The line alignment tags: "alignh" sets how lines sit in the box,
// "/alignh" restores the one before.
#include "engine/sprite/styleformat/StyleFormat.h"

namespace ZQ2 {

extern const char* const PROP_VAL_LEFT;
extern const char* const PROP_VAL_RIGHT;

class FormatAlignH : public StyleFormat {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    FormatAlignH();
    const RTTI& GetRTTI() const override { return rtti; }
    void DoCommand(int index, const std::string& value, LabelStyle* label) override;
};

}  // namespace ZQ2
