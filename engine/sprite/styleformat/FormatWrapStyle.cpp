#include "engine/sprite/styleformat/FormatWrapStyle.h"

#include "engine/sprite/LabelStyle.h"

namespace ZQ2 {

const char* const PROP_VAL_WRAPSTYLE_AUTO = "autowidth";
const char* const PROP_VAL_WRAPSTYLE_WORD = "wordwrap";
const char* const PROP_VAL_WRAPSTYLE_TRUNCATE = "truncate";

const RTTI* const FormatWrapStyle::rttis[] = {&StyleFormat::rtti, nullptr};
const RTTI FormatWrapStyle::rtti("FormatWrapStyle", FormatWrapStyle::rttis);

FormatWrapStyle::FormatWrapStyle() {
    AddCommand("wrapstyle");
    AddCommand("/wrapstyle");
}

void FormatWrapStyle::DoCommand(int index, const std::string& value, LabelStyle* label) {
    ZQVector<int>& stack = label->GetWrapStyleStack();
    int state = static_cast<int>(label->GetWrapStyle());
    if (index == 1) {
        if (PopInto(stack, state))
            label->SetWrapStyle(static_cast<eTextWrapStyle>(state));
        return;
    }
    stack.push_back(state);
    if (value == PROP_VAL_WRAPSTYLE_AUTO)
        label->SetWrapStyle(TEXTWRAP_AUTOWIDTH);
    else if (value == PROP_VAL_WRAPSTYLE_WORD)
        label->SetWrapStyle(TEXTWRAP_WORDWRAP);
    else if (value == PROP_VAL_WRAPSTYLE_TRUNCATE)
        label->SetWrapStyle(TEXTWRAP_TRUNCATE);
}

}  // namespace ZQ2
