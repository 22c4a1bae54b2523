#include "engine/graphics/BufferOpenGL.h"

#include "engine/graphics/Graphics.h"

namespace ZQ2 {

const RTTI* const BufferOpenGL::rttis[] = {&BaseObject::rtti, &iRenderTarget::rtti, nullptr};
const RTTI BufferOpenGL::rtti("BufferOpenGL", BufferOpenGL::rttis);

void* BufferOpenGL::QueryInterface(const RTTI& which) {
    if (&which == &iRenderTarget::rtti)
        return static_cast<iRenderTarget*>(this);
    return BaseObject::QueryInterface(which);
}

Graphics* BufferOpenGL::CreateGraphics() { return new Graphics(this); }

}  // namespace ZQ2
