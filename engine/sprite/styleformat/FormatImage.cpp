#include "engine/sprite/styleformat/FormatImage.h"

#include <algorithm>

#include "engine/graphics/Image.h"
#include "engine/sprite/LabelStyle.h"
#include "engine/sprite/ResourceLookup.h"

namespace ZQ2 {

const RTTI* const FormatImage::rttis[] = {&StyleFormat::rtti, nullptr};
const RTTI FormatImage::rtti("FormatImage", FormatImage::rttis);

FormatImage::FormatImage() {
    AddCommand("image");
}

void FormatImage::DoCommand(int index, const std::string& value, LabelStyle* label) {
    (void)index;
    std::string rest;
    const std::string id = SplitAtComma(value, rest);
    const std::string section = SplitAtComma(rest, rest);
    const std::string align = SplitAtComma(rest, rest);
    const std::string wrap = rest;
    Image* image = ResourceLookup::GetImage(id, section, nullptr);
    if (!image)
        return;
    SmartPtr<Sprite> picture(new Sprite(label->GetPenX(), label->GetPenY(), image));
    const float width = picture->GetWidth();
    const float height = picture->GetHeight();
    if (align == "left")
        picture->SetX(0.0f);
    else if (align == "center")
        picture->SetX((label->GetWidth() - width) * 0.5f);
    else if (align == "right")
        picture->SetX(label->GetWidth() - width);
    if (wrap == "none") {
        if (label->GetPenX() != 0.0f)
            label->NewLine();
        picture->SetY(label->GetPenY());
        label->SetPenY(label->GetPenY() + height);
    } else if (wrap == "single") {
        label->SetLineHeight(std::max(label->GetLineHeight(), height));
    }
    label->GetImages().push_back(picture);
    if (height > label->GetHeight())
        label->SetHeight(height);
}

}  // namespace ZQ2
