#pragma once
// The wrap-style tags: "wrapstyle" changes how the following words are
// fitted, "/wrapstyle" restores the style before.
#include "engine/sprite/styleformat/StyleFormat.h"

namespace ZQ2 {

extern const char* const PROP_VAL_WRAPSTYLE_AUTO;
extern const char* const PROP_VAL_WRAPSTYLE_WORD;
extern const char* const PROP_VAL_WRAPSTYLE_TRUNCATE;

class FormatWrapStyle : public StyleFormat {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    FormatWrapStyle();
    const RTTI& GetRTTI() const override { return rtti; }
    void DoCommand(int index, const std::string& value, LabelStyle* label) override;
};

}  // namespace ZQ2
