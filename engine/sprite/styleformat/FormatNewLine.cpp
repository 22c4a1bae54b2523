#include "engine/sprite/styleformat/FormatNewLine.h"

#include "engine/sprite/LabelStyle.h"

namespace ZQ2 {

const RTTI* const FormatNewLine::rttis[] = {&StyleFormat::rtti, nullptr};
const RTTI FormatNewLine::rtti("FormatNewLine", FormatNewLine::rttis);

FormatNewLine::FormatNewLine() {
    AddCommand("br");
}

void FormatNewLine::DoCommand(int index, const std::string& value, LabelStyle* label) {
    (void)index;
    (void)value;
    label->NewLine();
}

}  // namespace ZQ2
