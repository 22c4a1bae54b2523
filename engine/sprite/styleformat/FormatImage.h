#pragma once
// The picture tag: "image" places a picture from the resources in the text
// box, in the text flow or on a side of its own.
#include "engine/sprite/styleformat/StyleFormat.h"

namespace ZQ2 {

class FormatImage : public StyleFormat {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    FormatImage();
    const RTTI& GetRTTI() const override { return rtti; }
    void DoCommand(int index, const std::string& value, LabelStyle* label) override;
};

}  // namespace ZQ2
