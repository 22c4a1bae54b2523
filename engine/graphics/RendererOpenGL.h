#pragma once
// The renderer on fixed-function OpenGL through the game window's context.
// Textures are plain 2D textures of any size where the GL allows, else
// rectangle textures addressed in texels.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/graphics/Renderer.h"
#include "engine/graphics/ShaderProgramsOpenGL.h"
#include "engine/math/Point_t.h"

namespace platform {
class GlWindow;
}

namespace ZQ2 {

class ImageDataOpenGL;

class RendererOpenGL : public Renderer {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // The instance when it is the OpenGL renderer, else null.
    static RendererOpenGL* Instance();
    // Errors are not tested for.
    static int CheckOpenGLError(const char*) { return 0; }

    RendererOpenGL();
    // Lets go of the buffers while the context is still held.
    ~RendererOpenGL() override;

    const RTTI& GetRTTI() const override { return rtti; }

    // Takes the game window's context and keeps it until the renderer goes,
    // even when the window is removed first. RENDERERROR_NO_CONTEXT when
    // there is no window or it has no context.
    int Initialize(int width, int height) override;
    // Nothing to restore on OpenGL.
    bool Reinitialize() override { return false; }
    void InitMatrices() override { m_bCustomMatrices = false; }
    void SetCustomMatrices(float width, float height) override;
    void RestoreMatrices() override { m_bCustomMatrices = false; }
    void BeginScene() override;
    bool EndScene() override;
    void Flip() override;
    bool ApplyVSyncSetting() override { return Reinitialize(); }
    bool IsSurfaceLost() override { return false; }
    bool TestSurfaceLost() override { return false; }
    void SetSurfaceLost() override {}
    void CreateBackBuffer() override;
    void SetRenderBlendMode(eBlendMode mode) override;
    void SetRenderUseAlphaBlend(bool alphaBlend) override { m_bUseAlphaBlend = alphaBlend; }
    void SetRenderTarget(iRenderTarget* target) override;
    void Clear(uint32_t color) override;
    void Flush() override;
    void RenderVertexBufferSlice(const VertexBufferSlice& slice) override;
    ImageData* CreateImageDataManaged(int width, int height) override;
    // A texture that takes drawing (ImageDataBufferOpenGL).
    ImageData* CreateImageDataUnmanaged(int width, int height, bool alpha) override;
    void CacheSlice(VertexBufferSlice& slice, const iRenderTarget* target) override;
    bool DrawsTargetsThroughBackBuffer() const override { return !UsesFrameBufferObjects(); }

    // Texture targets draw through frame buffer objects where the GL has
    // them and none has failed; false makes them go through the back buffer
    // as if there were none.
    bool UsesFrameBufferObjects() const { return m_bFrameBufferObjects && m_bFrameBufferObjectsAllowed; }
    void SetFrameBufferObjectsAllowed(bool allowed) { m_bFrameBufferObjectsAllowed = allowed; }
    // A texture target's frame buffer object could not be completed: the
    // others go through the back buffer from now on.
    void NoteFrameBufferFailure() { m_bFrameBufferObjects = false; }

    std::shared_ptr<platform::GlWindow> GetContext() const { return m_pContext; }
    const Point_t<float>& GetViewportSize() const { return m_ViewportSize; }
    bool HasCustomMatrices() const { return m_bCustomMatrices; }
    // GL_TEXTURE_2D or GL_TEXTURE_RECTANGLE_ARB, chosen by Initialize.
    unsigned int GetTextureTarget() const { return m_nTextureTarget; }
    // True when slices are shaded by GLSL programs, not the fixed functions.
    bool UsesShaderPrograms() const { return m_Shaders.IsReady(); }

private:
    // The vertex as OpenGL reads it from the stream buffer: 20 bytes.
    // color holds the bytes R, G, B, A in memory order, as
    // glColorPointer(4, GL_UNSIGNED_BYTE) takes them.
    struct GLVertex {
        float x, y;
        uint32_t color;
        float u, v;
    };

    bool MakeContextCurrent();
    void ChooseTextureTarget(const unsigned char* extensions, int majorVersion);
    void CreateVertexAndIndexBuffers();
    void SetupBackBufferViewport(int width, int height);
    void SetupTexturing(const VertexBufferSlice& slice);
    void UploadTexture(ImageDataOpenGL& data, bool fresh);
    void RenderTriangles(const VertexBufferSlice& slice);
    void UploadVertices(unsigned int first, unsigned int count);
    void StreamInto(unsigned int target, unsigned int& allocated, size_t bytes, const void* data);
    void DeleteGLObjects();
    void RenderLines(const VertexBufferSlice& slice);

    std::shared_ptr<platform::GlWindow> m_pContext;
    Point_t<float> m_ViewportSize;
    bool m_bCustomMatrices = false;
    Point_t<float> m_CustomSize;
    unsigned int m_nTextureTarget;
    bool m_bUseAlphaBlend = true;
    bool m_bFrameBufferObjects = false;
    bool m_bFrameBufferObjectsAllowed = true;
    // The bars around a letterboxed game are cleared by the frame's first
    // scene only: a later one must not wipe what the first drew.
    bool m_bBarsCleared = false;
    bool m_bTexturing = false;
    ShaderProgramsOpenGL::eTexturing m_eTexturing = ShaderProgramsOpenGL::TEXTURING_NONE;
    // Used when the GL runs them; empty on the fixed functions.
    ShaderProgramsOpenGL m_Shaders;
    std::vector<GLVertex> m_GLVertices;
    // A slice's indices, made relative to the first vertex uploaded.
    std::vector<uint16_t> m_GLIndices;
    // Buffer objects each draw streams its vertices and indices through:
    // Mesa copies client arrays far more slowly.
    unsigned int m_nVertexBufferName = 0;
    unsigned int m_nIndexBufferName = 0;
    // The sizes of their stores in bytes.
    unsigned int m_nVertexBufferBytes = 0;
    unsigned int m_nIndexBufferBytes = 0;
};

}  // namespace ZQ2
