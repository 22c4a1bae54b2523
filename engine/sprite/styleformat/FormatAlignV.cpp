#include "engine/sprite/styleformat/FormatAlignV.h"

#include "engine/sprite/LabelStyle.h"
#include "engine/sprite/eAlignV.h"

namespace ZQ2 {

const char* const PROP_VAL_TOP = "top";
const char* const PROP_VAL_CENTER = "center";
const char* const PROP_BASELINE = "baseline";
const char* const PROP_VAL_BOTTOM = "bottom";

const RTTI* const FormatAlignV::rttis[] = {&StyleFormat::rtti, nullptr};
const RTTI FormatAlignV::rtti("FormatAlignV", FormatAlignV::rttis);

FormatAlignV::FormatAlignV() {
    AddCommand("alignv");
    AddCommand("/alignv");
}

void FormatAlignV::DoCommand(int index, const std::string& value, LabelStyle* label) {
    ZQVector<int>& stack = label->GetAlignVStack();
    int state = static_cast<int>(label->GetAlignV());
    if (index == 1) {
        if (PopInto(stack, state))
            label->SetAlignV(state);
        return;
    }
    stack.push_back(state);
    if (value == PROP_VAL_TOP)
        label->SetAlignV(ALIGNV_TOP);
    else if (value == PROP_VAL_CENTER)
        label->SetAlignV(ALIGNV_CENTER);
    else if (value == PROP_BASELINE)
        label->SetAlignV(ALIGNV_BASELINE);
    else if (value == PROP_VAL_BOTTOM)
        label->SetAlignV(ALIGNV_BOTTOM);
}

}  // namespace ZQ2
