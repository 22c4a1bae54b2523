#include "engine/sprite/styleformat/FormatAlignH.h"

#include "engine/sprite/LabelStyle.h"
#include "engine/sprite/styleformat/FormatAlignV.h"

namespace ZQ2 {

const char* const PROP_VAL_LEFT = "left";
const char* const PROP_VAL_RIGHT = "right";

const RTTI* const FormatAlignH::rttis[] = {&StyleFormat::rtti, nullptr};
const RTTI FormatAlignH::rtti("FormatAlignH", FormatAlignH::rttis);

FormatAlignH::FormatAlignH() {
    AddCommand("alignh");
    AddCommand("/alignh");
}

void FormatAlignH::DoCommand(int index, const std::string& value, LabelStyle* label) {
    ZQVector<int>& stack = label->GetAlignHStack();
    int state = static_cast<int>(label->GetAlignH());
    if (index == 1) {
        if (PopInto(stack, state))
            label->SetAlignH(static_cast<eAlignH>(state));
        return;
    }
    stack.push_back(state);
    if (value == PROP_VAL_LEFT)
        label->SetAlignH(ALIGNH_LEFT);
    else if (value == PROP_VAL_CENTER)
        label->SetAlignH(ALIGNH_CENTER);
    else if (value == PROP_VAL_RIGHT)
        label->SetAlignH(ALIGNH_RIGHT);
}

}  // namespace ZQ2
