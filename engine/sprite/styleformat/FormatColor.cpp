#include "engine/sprite/styleformat/FormatColor.h"

#include <cstdint>
#include <utility>

#include "engine/sprite/LabelStyle.h"

namespace ZQ2 {

namespace {

// Hexadecimal digits up to the first other character; 0 without any. Only
// the low 32 bits count: colours are 0xAARRGGBB at most.
int ReadColor(const std::string& text) {
    uint32_t color = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        color = color << 4 | static_cast<uint32_t>(digit);
    }
    return static_cast<int>(color);
}

}  // namespace

const RTTI* const FormatColor::rttis[] = {&StyleFormat::rtti, nullptr};
const RTTI FormatColor::rtti("FormatColor", FormatColor::rttis);

FormatColor::FormatColor() {
    AddCommand("color");
    AddCommand("/color");
}

void FormatColor::DoCommand(int index, const std::string& value, LabelStyle* label) {
    if (index == 1) {
        ZQVector<std::pair<int, int> >& colors = label->GetColorStack();
        if (!colors.empty())
            colors.pop_back();
        return;
    }
    std::string layerText;
    std::string colorText = SplitAtComma(value, layerText);
    int layer = 0;
    if (!ReadInteger(layerText, layer, 10))
        layer = 0;
    int color = 0;
    if (!colorText.empty()) {
        if (colorText[0] == '#')
            colorText.erase(0, 1);
        else if (colorText.size() >= 2 && colorText[0] == '0' && (colorText[1] == 'x' || colorText[1] == 'X'))
            colorText.erase(0, 2);
        color = ReadColor(colorText);
    }
    label->GetColorStack().push_back(std::make_pair(color, layer));
}

}  // namespace ZQ2
