#pragma once
// The colour tags: "color" pushes a (colour, font layer) pair for the words
// that follow, "/color" pops it.
#include "engine/sprite/styleformat/StyleFormat.h"

namespace ZQ2 {

class FormatColor : public StyleFormat {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    FormatColor();
    const RTTI& GetRTTI() const override { return rtti; }
    void DoCommand(int index, const std::string& value, LabelStyle* label) override;
};

}  // namespace ZQ2
