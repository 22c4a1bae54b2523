#pragma once
// The line-break tag: "br" ends the current line.
#include "engine/sprite/styleformat/StyleFormat.h"

namespace ZQ2 {

class FormatNewLine : public StyleFormat {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    FormatNewLine();
    const RTTI& GetRTTI() const override { return rtti; }
    void DoCommand(int index, const std::string& value, LabelStyle* label) override;
};

}  // namespace ZQ2
