#pragma once
// The tab tags: "tabs" sets the tab stops, "tab" moves the pen to one.
#include "engine/sprite/styleformat/StyleFormat.h"

namespace ZQ2 {

class FormatTab : public StyleFormat {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    FormatTab();
    const RTTI& GetRTTI() const override { return rtti; }
    void DoCommand(int index, const std::string& value, LabelStyle* label) override;
};

}  // namespace ZQ2
