#include "engine/sprite/styleformat/FormatWidth.h"

#include "engine/sprite/LabelStyle.h"

namespace ZQ2 {

const RTTI* const FormatWidth::rttis[] = {&StyleFormat::rtti, nullptr};
const RTTI FormatWidth::rtti("FormatWidth", FormatWidth::rttis);

FormatWidth::FormatWidth() {
    AddCommand("width");
}

void FormatWidth::DoCommand(int index, const std::string& value, LabelStyle* label) {
    (void)index;
    int width = 0;
    if (ReadInteger(value, width))
        label->SetWidth(static_cast<float>(width));
}

}  // namespace ZQ2
