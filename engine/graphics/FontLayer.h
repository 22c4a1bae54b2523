#pragma once
// One image of a bitmap font's stack: a glyph sheet whose grid cells are
// grown by the layer's padding on every side, and the colour an alpha-only
// sheet is tinted with.
#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"

namespace ZQ2 {

class FontLayer : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // No texture is wider, so no cell grows by more.
    static constexpr float MAX_PADDING = 1024.0f;

    // Padding comes from font data: a value outside 0 to MAX_PADDING is
    // refused and taken as 0.
    FontLayer(float padding, int color, Image* image);

    const RTTI& GetRTTI() const override { return rtti; }

    float GetPadding() const { return m_fPadding; }
    // 24-bit RGB.
    int GetColor() const { return m_nColor; }
    void SetColor(int color) { m_nColor = color; }
    Image* GetImage() const { return m_pImage.Get(); }
    // The new image is held before the old one is let go.
    void SetImage(Image* image) { m_pImage = image; }
    // The image's first frame, or null.
    ImageFrame* GetFrame() const;
    // The sheet is alpha only, so it takes the colour it is drawn in.
    bool IsOnlyMask() const;

private:
    float m_fPadding = 0.0f;
    int m_nColor = 0;
    SmartPtr<Image> m_pImage;
};

}  // namespace ZQ2
