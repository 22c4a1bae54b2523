#include "engine/graphics/FontBitmapChar.h"

#include "engine/graphics/FontLayer.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/math/PolygonF.h"

namespace ZQ2 {

float FontBitmapChar::GetKerning(unsigned long next) const {
    auto found = m_Kerning.find(next);
    return found == m_Kerning.end() ? 0.0f : found->second;
}

bool FontBitmapChar::FillCharacterPolygon(PolygonF& out, float padding, float imageWidth, float imageHeight) const {
    if (!(imageWidth > 0.0f) || !(imageHeight > 0.0f))
        return false;
    const float grow = 2.0f * padding;
    const float width = m_SheetRect.width + grow;
    const float height = m_SheetRect.height + grow;
    // Every cell left of and above this one has grown by the padding twice.
    const float left = m_SheetRect.x + grow * static_cast<float>(m_Cell.x);
    const float top = m_SheetRect.y + grow * static_cast<float>(m_Cell.y);
    out.ResetToRect(Rectangle_t<float>(0.0f, 0.0f, width, height));
    const float u0 = left / imageWidth;
    const float v0 = top / imageHeight;
    const float u1 = (left + width) / imageWidth;
    const float v1 = (top + height) / imageHeight;
    const float corners[4][2] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
    for (int k = 0; k < 4; ++k) {
        out.At(k).u = corners[k][0];
        out.At(k).v = corners[k][1];
    }
    return true;
}

PolygonF* FontBitmapChar::CreateCharacterPolygon(float padding, float imageWidth, float imageHeight) const {
    auto* polygon = new PolygonF;
    if (FillCharacterPolygon(*polygon, padding, imageWidth, imageHeight))
        return polygon;
    delete polygon;
    return nullptr;
}

PolygonF* FontBitmapChar::CreateCharacterPolygon(const FontLayer* layer) const {
    const ImageFrame* frame = layer ? layer->GetFrame() : nullptr;
    if (!frame)
        return nullptr;
    return CreateCharacterPolygon(layer->GetPadding(), static_cast<float>(frame->GetWidth()),
                                  static_cast<float>(frame->GetHeight()));
}

}  // namespace ZQ2
