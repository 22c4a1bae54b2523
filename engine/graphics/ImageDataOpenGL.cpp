#include "engine/graphics/ImageDataOpenGL.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

#include "engine/graphics/RendererOpenGL.h"
#include "platform/GlWindow.h"

namespace ZQ2 {

const RTTI* const ImageDataOpenGL::rttis[] = {&ImageData::rtti, nullptr};
const RTTI ImageDataOpenGL::rtti("ImageDataOpenGL", ImageDataOpenGL::rttis);

ImageDataOpenGL::ImageDataOpenGL(unsigned int width, unsigned int height, unsigned int textureWidth,
                                 unsigned int textureHeight, bool managed)
    : ImageData(static_cast<int>(width), static_cast<int>(height), static_cast<int>(textureWidth),
                static_cast<int>(textureHeight), managed),
      m_Pixels(static_cast<size_t>(textureWidth) * textureHeight, 0u) {}

ImageDataOpenGL::ImageDataOpenGL(ImageDataOpenGL* other)
    : ImageData(other ? other->GetWidth() : 0, other ? other->GetHeight() : 0, other ? other->GetTextureWidth() : 0,
                other ? other->GetTextureHeight() : 0, true) {
    if (!other)
        return;
    m_nBytesPerPixel = other->GetBytesPerPixel();
    SetHasAlpha(other->HasAlpha());
    m_Pixels = other->m_Pixels;
}

ImageDataOpenGL::~ImageDataOpenGL() {
    RemoveFromImageManager();
    if (m_nTextureName != 0 && MakeContextCurrent())
        glDeleteTextures(1, &m_nTextureName);
}

bool ImageDataOpenGL::HoldRendererContext() {
    if (m_pContext)
        return true;
    RendererOpenGL* renderer = RendererOpenGL::Instance();
    m_pContext = renderer ? renderer->GetContext() : nullptr;
    return m_pContext != nullptr;
}

bool ImageDataOpenGL::MakeContextCurrent() const { return m_pContext && m_pContext->MakeCurrent(); }

void ImageDataOpenGL::ClearPixelData() {
    if (!Lock(false))
        return;
    std::fill(m_Pixels.begin(), m_Pixels.end(), 0x00FFFFFFu);
    Unlock();
}

void ImageDataOpenGL::GenerateGLTextureName() {
    if (m_nTextureName != 0)
        return;
    if (!HoldRendererContext() || !MakeContextCurrent())
        return;
    RendererOpenGL* renderer = RendererOpenGL::Instance();
    if (!renderer)
        return;
    glGenTextures(1, &m_nTextureName);
    m_nTextureTarget = renderer->GetTextureTarget();
    glBindTexture(m_nTextureTarget, m_nTextureName);
    // What rectangle textures start with; plain 2D textures would otherwise
    // wrap around at the edges and wait for mipmaps that never come.
    glTexParameteri(m_nTextureTarget, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(m_nTextureTarget, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(m_nTextureTarget, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(m_nTextureTarget, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

bool ImageDataOpenGL::DoLock(bool readOnly) {
    if (readOnly)
        return true;
    m_bNeedsUpload = true;
    SetAltered(true);
    return true;
}

}  // namespace ZQ2
