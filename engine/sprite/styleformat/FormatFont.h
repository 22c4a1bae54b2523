#pragma once
// The font tags: "font" makes a font resource current for the words that
// follow, "/font" brings back the one before.
#include "engine/sprite/styleformat/StyleFormat.h"

namespace ZQ2 {

class FormatFont : public StyleFormat {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    FormatFont();
    const RTTI& GetRTTI() const override { return rtti; }
    void DoCommand(int index, const std::string& value, LabelStyle* label) override;
};

}  // namespace ZQ2
