#pragma once
// The box-width tag: "width" sets the styled label's width.
#include "engine/sprite/styleformat/StyleFormat.h"

namespace ZQ2 {

class FormatWidth : public StyleFormat {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    FormatWidth();
    const RTTI& GetRTTI() const override { return rtti; }
    void DoCommand(int index, const std::string& value, LabelStyle* label) override;
};

}  // namespace ZQ2
