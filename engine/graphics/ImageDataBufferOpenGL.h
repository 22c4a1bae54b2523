#pragma once
// A texture that can also be drawn into: image data and a render target at
// once. Its content lives either in the pixel buffer (after a CPU write) or
// in the texture (after drawing into it, rows bottom-up); Begin and End move
// it between the two as needed. Drawing goes into a frame buffer object
// bound to the texture, or, where the driver has none, into the window's
// back buffer, from which it is copied.
#include <memory>

#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/graphics/iRenderTarget.h"

namespace ZQ2 {

class ImageDataBufferOpenGL : public ImageDataOpenGL, public iRenderTarget {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // A texture target: not managed; the target is the texture's size.
    ImageDataBufferOpenGL(int width, int height, int textureWidth, int textureHeight);
    ~ImageDataBufferOpenGL() override;

    const RTTI& GetRTTI() const override { return rtti; }
    // The render-target record answers the target part, the interface
    // record the lockable part.
    void* QueryInterface(const RTTI& which) override;
    BaseObject* QueryBaseObject() override { return this; }

    void Begin() override;
    void End() override;
    void RestoreTarget() override { Restore(); }
    Graphics* CreateGraphics() override;
    ImageData* GetImageData() override { return this; }

    bool IsCopiedFromFrameBuffer() const override { return m_bCopiedFromFrameBuffer; }
    bool ArePixelsChanged() const { return m_bPixelsChanged; }

protected:
    bool DoUnlock() override;

private:
    // Binds the frame buffer object on the texture, making both first;
    // false when the driver cannot.
    bool BindFrameBuffer();
    void DeleteFrameBuffer();
    // The pixel buffer, top row at the top of the target.
    void DrawPixelsIntoTarget();
    void ReadTargetIntoPixels();

    bool m_bPixelsChanged = false;
    bool m_bCopiedFromFrameBuffer = false;
    int m_nSavedViewport[4] = {0, 0, 0, 0};
    unsigned int m_nFrameBuffer = 0;
    bool m_bFrameBufferFailed = false;
    bool m_bFrameBufferBound = false;
};

}  // namespace ZQ2
