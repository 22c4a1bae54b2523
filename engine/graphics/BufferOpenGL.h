#pragma once
// The window's back buffer as a render target; OpenGL needs nothing done
// around drawing into it.
#include "engine/core/BaseObject.h"
#include "engine/graphics/iRenderTarget.h"

namespace ZQ2 {

class BufferOpenGL : public BaseObject, public iRenderTarget {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    BufferOpenGL(int width, int height) : iRenderTarget(width, height) {}

    const RTTI& GetRTTI() const override { return rtti; }
    void* QueryInterface(const RTTI& which) override;
    BaseObject* QueryBaseObject() override { return this; }

    Graphics* CreateGraphics() override;
};

}  // namespace ZQ2
