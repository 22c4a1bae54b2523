#pragma once
// One rectangle of one image data: a frame of an animation strip, a button
// state, a font layer. It keeps its image data alive.
#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/graphics/ImageData.h"
#include "engine/math/Rectangle_t.h"

namespace ZQ2 {

class ImageFrame : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // The whole picture.
    explicit ImageFrame(ImageData* data);
    // The pixel rectangle r of the picture.
    ImageFrame(ImageData* data, const Rectangle_t<int>& r);

    const RTTI& GetRTTI() const override { return rtti; }

    ImageData* GetImageData() const { return m_pImageData.Get(); }
    // x, y, width and height as fractions of the picture's size.
    const Rectangle_t<float>& GetTextureRect() const { return m_TextureRect; }
    // In pixels of the picture.
    const Rectangle_t<int>& GetPixelRect() const { return m_PixelRect; }
    int GetWidth() const { return m_PixelRect.width; }
    int GetHeight() const { return m_PixelRect.height; }
    // Bytes from one row of pixels to the next; 0 without image data.
    int GetPitch() const { return m_pImageData ? m_pImageData->GetPitch() : 0; }

    // Pixel (x, y) of the frame; null without image data, no bounds checks.
    template <class T>
    T* GetPixelData(int x, int y) const {
        return m_pImageData ? m_pImageData->GetPixelData<T>(x + m_PixelRect.x, y + m_PixelRect.y) : nullptr;
    }

private:
    SmartPtr<ImageData> m_pImageData;
    Rectangle_t<float> m_TextureRect;
    Rectangle_t<int> m_PixelRect;
};

}  // namespace ZQ2
