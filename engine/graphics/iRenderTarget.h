#pragma once
// Something the renderer can draw into: the back buffer, or a texture that
// takes drawing. Begin and End bracket the drawing of one batch into it.
#include "engine/core/Interface.h"

namespace ZQ2 {

class Graphics;
class ImageData;

class iRenderTarget : public Interface {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    iRenderTarget(int width, int height) : m_nWidth(width), m_nHeight(height) {}

    const RTTI& GetRTTI() const override { return rtti; }

    virtual void FlushData() {}
    virtual void Begin() {}
    virtual void End() {}
    virtual void RestoreTarget() {}
    virtual bool IsRenderTargetValid() const { return true; }
    // A new drawing context on this target, with no reference taken.
    virtual Graphics* CreateGraphics() = 0;
    // The texture behind the target; null for the back buffer.
    virtual ImageData* GetImageData() { return nullptr; }

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    // The picture's size when the target is a texture, else the target's.
    int GetImageWidth();
    int GetImageHeight();

protected:
    int m_nWidth;
    int m_nHeight;
};

}  // namespace ZQ2
