#include "engine/sprite/styleformat/FormatFont.h"

#include "engine/graphics/Font.h"
#include "engine/sprite/LabelStyle.h"
#include "engine/sprite/ResourceLookup.h"

namespace ZQ2 {

const RTTI* const FormatFont::rttis[] = {&StyleFormat::rtti, nullptr};
const RTTI FormatFont::rtti("FormatFont", FormatFont::rttis);

FormatFont::FormatFont() {
    AddCommand("font");
    AddCommand("/font");
}

void FormatFont::DoCommand(int index, const std::string& value, LabelStyle* label) {
    if (index == 1) {
        ZQVector<SmartPtr<Font> >& fonts = label->GetFontStack();
        if (fonts.empty())
            return;
        label->SetFont(fonts.back().Get());
        fonts.pop_back();
        return;
    }
    std::string section;
    bool hasSection = false;
    const std::string id = SplitAtComma(value, section, &hasSection);
    label->GetFontStack().push_back(SmartPtr<Font>(label->GetFont()));
    // Without a section, or without such a font, the words keep the current
    // font; the push still pairs with a closing tag.
    if (!hasSection)
        return;
    Font* font = DynamicCast<Font>(ResourceLookup::GetResource(id, section));
    if (font)
        label->SetFont(font);
}

}  // namespace ZQ2
