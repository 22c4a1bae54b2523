#pragma once
// The vertical alignment tags: "alignv" sets the alignment handed to new
// words, "/alignv" restores the one before.
#include "engine/sprite/styleformat/StyleFormat.h"

namespace ZQ2 {

extern const char* const PROP_VAL_TOP;
extern const char* const PROP_VAL_CENTER;
extern const char* const PROP_BASELINE;
extern const char* const PROP_VAL_BOTTOM;

class FormatAlignV : public StyleFormat {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    FormatAlignV();
    const RTTI& GetRTTI() const override { return rtti; }
    void DoCommand(int index, const std::string& value, LabelStyle* label) override;
};

}  // namespace ZQ2
