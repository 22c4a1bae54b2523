#include "engine/graphics/ImageDataBufferOpenGL.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/graphics/Graphics.h"
#include "engine/graphics/RendererOpenGL.h"

namespace ZQ2 {

const RTTI* const ImageDataBufferOpenGL::rttis[] = {&ImageDataOpenGL::rtti, &iRenderTarget::rtti, nullptr};
const RTTI ImageDataBufferOpenGL::rtti("ImageDataBufferOpenGL", ImageDataBufferOpenGL::rttis);

ImageDataBufferOpenGL::ImageDataBufferOpenGL(int width, int height, int textureWidth, int textureHeight)
    : ImageDataOpenGL(static_cast<unsigned int>(std::max(width, 0)), static_cast<unsigned int>(std::max(height, 0)),
                      static_cast<unsigned int>(std::max(textureWidth, 0)),
                      static_cast<unsigned int>(std::max(textureHeight, 0)), false),
      iRenderTarget(textureWidth, textureHeight) {}

ImageDataBufferOpenGL::~ImageDataBufferOpenGL() {
    RemoveFromImageManager();
    DeleteFrameBuffer();
}

void* ImageDataBufferOpenGL::QueryInterface(const RTTI& which) {
    if (&which == &iRenderTarget::rtti)
        return static_cast<iRenderTarget*>(this);
    return ImageDataOpenGL::QueryInterface(which);
}

Graphics* ImageDataBufferOpenGL::CreateGraphics() { return new Graphics(this); }

// Only a lock that may have written makes the pixels the master copy.
bool ImageDataBufferOpenGL::DoUnlock() {
    if (!IsReadOnlyLock())
        m_bPixelsChanged = true;
    return ImageDataOpenGL::DoUnlock();
}

bool ImageDataBufferOpenGL::BindFrameBuffer() {
    RendererOpenGL* renderer = RendererOpenGL::Instance();
    if (m_bFrameBufferFailed || !renderer || !renderer->UsesFrameBufferObjects())
        return false;
    if (GetTextureName() == 0) {
        GenerateGLTextureName();
        if (GetTextureName() == 0) {
            m_bFrameBufferFailed = true;
            return false;
        }
        // Storage only: the renderer uploads the pixels when they are needed.
        glTexImage2D(GetTextureTarget(), 0, GL_RGBA8, GetTextureWidth(), GetTextureHeight(), 0, GL_BGRA,
                     GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    }
    if (m_nFrameBuffer == 0) {
        glGenFramebuffers(1, &m_nFrameBuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, m_nFrameBuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GetTextureTarget(), GetTextureName(), 0);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            DeleteFrameBuffer();
            m_bFrameBufferFailed = true;
            renderer->NoteFrameBufferFailure();
            return false;
        }
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, m_nFrameBuffer);
    }
    m_bFrameBufferBound = true;
    return true;
}

void ImageDataBufferOpenGL::DeleteFrameBuffer() {
    if (m_nFrameBuffer != 0 && MakeContextCurrent())
        glDeleteFramebuffers(1, &m_nFrameBuffer);
    m_nFrameBuffer = 0;
}

void ImageDataBufferOpenGL::Begin() {
    if (!HoldRendererContext() || !MakeContextCurrent())
        return;
    glGetIntegerv(GL_VIEWPORT, m_nSavedViewport);
    BindFrameBuffer();
    glViewport(0, 0, GetTextureWidth(), GetTextureHeight());
    if (m_bPixelsChanged) {
        DrawPixelsIntoTarget();
    } else if (m_bFrameBufferBound) {
        // As on the back buffer, which End leaves cleared.
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
}

void ImageDataBufferOpenGL::End() {
    if (!GetPixelData() || !MakeContextCurrent())
        return;
    if (m_bPixelsChanged) {
        ReadTargetIntoPixels();
        m_bPixelsChanged = false;
        m_bCopiedFromFrameBuffer = false;
        SetNeedsUpload(true);
    } else {
        if (!m_bFrameBufferBound) {
            GenerateGLTextureName();
            glBindTexture(GetTextureTarget(), GetTextureName());
            glCopyTexImage2D(GetTextureTarget(), 0, GL_RGBA8, 0, 0, GetTextureWidth(), GetTextureHeight(), 0);
        }
        SetNeedsUpload(false);
        m_bCopiedFromFrameBuffer = true;
    }
    if (m_bFrameBufferBound) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        m_bFrameBufferBound = false;
    } else {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glViewport(m_nSavedViewport[0], m_nSavedViewport[1], m_nSavedViewport[2], m_nSavedViewport[3]);
}

// The frame buffer's rows run bottom-up; the pixel buffer's top-down.
void ImageDataBufferOpenGL::DrawPixelsIntoTarget() {
    // Pixels go in as they are: no program of the renderer's shades them.
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glUseProgram(0);
    glPushAttrib(GL_ENABLE_BIT | GL_PIXEL_MODE_BIT);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_RECTANGLE_ARB);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_SCISSOR_TEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glWindowPos2i(0, GetTextureHeight());
    glPixelZoom(1.0f, -1.0f);
    glDrawPixels(GetTextureWidth(), GetTextureHeight(), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, GetPixelData());
    glPixelZoom(1.0f, 1.0f);
    glPopAttrib();
    glUseProgram(static_cast<GLuint>(program));
}

void ImageDataBufferOpenGL::ReadTargetIntoPixels() {
    const int width = GetTextureWidth();
    const int height = GetTextureHeight();
    auto* pixels = static_cast<uint32_t*>(GetPixelData());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels + static_cast<size_t>(top) * width, pixels + static_cast<size_t>(top + 1) * width,
                         pixels + static_cast<size_t>(bottom) * width);
}

}  // namespace ZQ2
