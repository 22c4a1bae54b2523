#include "engine/graphics/RendererOpenGL.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "engine/framework/GameWindow.h"
#include "engine/graphics/BufferOpenGL.h"
#include "engine/graphics/ImageDataBufferOpenGL.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/graphics/IndexBufferOpenGL.h"
#include "engine/graphics/ShaderProgramsOpenGL.h"
#include "engine/graphics/VertexBufferOpenGL.h"
#include "engine/graphics/VertexBufferSlice.h"
#include "platform/GlWindow.h"

namespace ZQ2 {

const RTTI* const RendererOpenGL::rttis[] = {&Renderer::rtti, nullptr};
const RTTI RendererOpenGL::rtti("RendererOpenGL", RendererOpenGL::rttis);

namespace {

// Every 16-bit index lands inside the client array, whatever the capacity.
constexpr size_t GL_ARRAY_ENTRIES = VertexBuffer::MAX_CAPACITY;

float Channel(uint32_t color, int shift) { return static_cast<float>((color >> shift) & 0xFFu) / 255.0f; }

// ARGB to the bytes R, G, B, A in memory order.
uint32_t ToGLColor(uint32_t color) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
                              static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 24)};
    uint32_t packed;
    std::memcpy(&packed, bytes, sizeof(packed));
    return packed;
}

// Offsets into the bound buffer object, as the pointer calls take them.
const void* BufferOffset(size_t offset) { return reinterpret_cast<const void*>(offset); }

bool HasExtension(const GLubyte* extensions, const char* name) {
    return extensions && gluCheckExtension(reinterpret_cast<const GLubyte*>(name), extensions) == GL_TRUE;
}

int GlMajorVersion() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return version ? std::atoi(version) : 0;
}

bool InRange(unsigned int first, unsigned int count, size_t size) {
    return first <= size && count <= size - first;
}

}  // namespace

RendererOpenGL::RendererOpenGL() : m_nTextureTarget(GL_TEXTURE_RECTANGLE_ARB) {}

RendererOpenGL::~RendererOpenGL() {
    Cleanup();
    DeleteGLObjects();
}

void RendererOpenGL::DeleteGLObjects() {
    if (m_nVertexBufferName == 0 && m_nIndexBufferName == 0 && !m_Shaders.IsReady())
        return;
    if (MakeContextCurrent()) {
        const GLuint names[2] = {m_nVertexBufferName, m_nIndexBufferName};
        glDeleteBuffers(2, names);
        ShaderProgramsOpenGL::UseNone();
        m_Shaders.Delete();
    }
    m_nVertexBufferName = 0;
    m_nIndexBufferName = 0;
    m_nVertexBufferBytes = 0;
    m_nIndexBufferBytes = 0;
}

RendererOpenGL* RendererOpenGL::Instance() { return DynamicCast<RendererOpenGL>(g_Instance); }

bool RendererOpenGL::MakeContextCurrent() { return m_pContext && m_pContext->MakeCurrent(); }

int RendererOpenGL::Initialize(int width, int height) {
    SetRenderDimensions(width, height);
    m_pContext = GameWindow::g_Instance ? GameWindow::g_Instance->GetContext() : nullptr;
    if (!MakeContextCurrent()) {
        m_pContext.reset();
        return RENDERERROR_NO_CONTEXT;
    }
    const GLubyte* extensions = glGetString(GL_EXTENSIONS);
    const int majorVersion = GlMajorVersion();
    ChooseTextureTarget(extensions, majorVersion);
    // GLSL comes with OpenGL 2; the programs sample 2D textures only.
    if (majorVersion >= 2 && m_nTextureTarget == GL_TEXTURE_2D)
        m_Shaders.Create();
    m_bBlendEquationSeparable = HasExtension(extensions, "GL_EXT_blend_equation_separate") || majorVersion >= 2;
    m_bFrameBufferObjects = majorVersion >= 3 || HasExtension(extensions, "GL_ARB_framebuffer_object");
    CreateBackBuffer();
    CreateVertexAndIndexBuffers();
    InitMatrices();
    m_bInitialized = true;
    return RENDERERROR_NONE;
}

// Plain 2D textures of any size where the GL has them: Mesa's software
// rasteriser samples them on a far faster path than rectangle textures.
// Rectangle textures next (Mesa names them after the ARB, other drivers
// after EXT); square power-of-two 2D textures as the last resort.
void RendererOpenGL::ChooseTextureTarget(const unsigned char* extensions, int majorVersion) {
    const bool anySize = majorVersion >= 2 || HasExtension(extensions, "GL_ARB_texture_non_power_of_two");
    const bool rectangles =
        HasExtension(extensions, "GL_EXT_texture_rectangle") || HasExtension(extensions, "GL_ARB_texture_rectangle");
    m_nTextureTarget = anySize || !rectangles ? GL_TEXTURE_2D : GL_TEXTURE_RECTANGLE_ARB;
    m_bSquareTextures = !anySize && !rectangles;
    m_bPowerOfTwoTextures = m_bSquareTextures;
}

void RendererOpenGL::CreateVertexAndIndexBuffers() {
    m_pVertexBuffer = nullptr;
    m_pIndexBuffer = nullptr;
    const unsigned int capacity = static_cast<unsigned int>(m_nVertexCapacity);
    m_pVertexBuffer = new VertexBufferOpenGL(sizeof(Vertex), capacity);
    m_pIndexBuffer = new IndexBufferOpenGL(sizeof(uint16_t), capacity * 3 / 2);
    m_GLVertices.assign(GL_ARRAY_ENTRIES, GLVertex{});
    m_GLIndices.clear();
    if (m_nVertexBufferName == 0) {
        GLuint name = 0;
        glGenBuffers(1, &name);
        m_nVertexBufferName = name;
    }
    if (m_nIndexBufferName == 0) {
        GLuint name = 0;
        glGenBuffers(1, &name);
        m_nIndexBufferName = name;
    }
}

void RendererOpenGL::CreateBackBuffer() { SetBackBuffer(new BufferOpenGL(m_nRenderWidth, m_nRenderHeight)); }

void RendererOpenGL::SetCustomMatrices(float width, float height) {
    m_bCustomMatrices = true;
    m_CustomSize.Set(width, height);
}

void RendererOpenGL::SetRenderTarget(iRenderTarget* target) {
    if (target == m_pCurrentRenderTarget)
        return;
    Renderer::SetRenderTarget(target);
}

void RendererOpenGL::BeginScene() {
    if (!MakeContextCurrent())
        return;
    glShadeModel(GL_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);

    float width = m_CustomSize.x;
    float height = m_CustomSize.y;
    if (m_bCustomMatrices) {
        glDisable(GL_SCISSOR_TEST);
        glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    } else {
        const GameWindow* window = GameWindow::g_Instance;
        const int gameWidth = window ? window->GetWidth() : m_nRenderWidth;
        const int gameHeight = window ? window->GetHeight() : m_nRenderHeight;
        width = static_cast<float>(gameWidth);
        height = static_cast<float>(gameHeight);
        SetupBackBufferViewport(gameWidth, gameHeight);
    }
    m_ViewportSize.Set(width, height);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, width, 0.0, height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Engine coordinates: origin at the top left, y downwards, whole numbers
    // on pixel centres.
    glPushMatrix();
    glScalef(1.0f, -1.0f, 1.0f);
    glTranslatef(0.5f, 0.5f - height, 0.0f);
}

// In full screen the game's area is scaled into the middle of the desktop;
// the bars around it are cleared to black and drawing is held inside it.
void RendererOpenGL::SetupBackBufferViewport(int width, int height) {
    const RectangleI viewport =
        GameWindow::g_Instance ? GameWindow::g_Instance->GetViewport() : RectangleI(0, 0, width, height);
    if (viewport.x > 0 || viewport.y > 0) {
        if (!m_bBarsCleared) {
            glDisable(GL_SCISSOR_TEST);
            glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            m_bBarsCleared = true;
        }
        glScissor(viewport.x, viewport.y, viewport.width, viewport.height);
        glEnable(GL_SCISSOR_TEST);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
}

bool RendererOpenGL::EndScene() {
    if (MakeContextCurrent()) {
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        // Whatever draws outside a scene expects the fixed functions.
        if (m_Shaders.IsReady())
            ShaderProgramsOpenGL::UseNone();
    }
    return true;
}

void RendererOpenGL::Flip() {
    if (m_pContext)
        m_pContext->SwapBuffers();
    m_bBarsCleared = false;
}

void RendererOpenGL::Flush() {
    if (MakeContextCurrent())
        glFlush();
}

void RendererOpenGL::Clear(uint32_t color) {
    if (!MakeContextCurrent())
        return;
    glClearColor(Channel(color, 16), Channel(color, 8), Channel(color, 0), Channel(color, 24));
    glClear(GL_COLOR_BUFFER_BIT);
}

void RendererOpenGL::SetRenderBlendMode(eBlendMode mode) {
    if (!m_bUseAlphaBlend) {
        glDisable(GL_BLEND);
        return;
    }
    glEnable(GL_BLEND);
    // Every mode sets its equation, so a separate one never lingers.
    switch (mode) {
        case BLENDMODE_BLEND:
            glBlendEquation(GL_FUNC_ADD);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            break;
        case BLENDMODE_ADDITIVE:
            glBlendEquation(GL_FUNC_ADD);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            break;
        case BLENDMODE_MULTIPLY:
            glBlendEquation(GL_FUNC_ADD);
            glBlendFunc(GL_DST_COLOR, GL_ZERO);
            break;
        case BLENDMODE_REPLACE:
        case BLENDMODE_REPLACE_OPAQUE:
            glBlendEquation(GL_FUNC_ADD);
            glBlendFunc(GL_ONE, GL_ZERO);
            break;
        case BLENDMODE_BLEND_MAX_ALPHA:
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            if (m_bBlendEquationSeparable)
                glBlendEquationSeparate(GL_FUNC_ADD, GL_MAX);
            else
                glBlendEquation(GL_FUNC_ADD);
            break;
        case BLENDMODE_ALPHA_ONLY:
            glBlendEquation(GL_FUNC_ADD);
            glBlendFunc(GL_ZERO, GL_ZERO);
            glBlendFuncSeparate(GL_ZERO, GL_ONE, GL_ONE, GL_ZERO);
            break;
        default: break;
    }
}

void RendererOpenGL::RenderVertexBufferSlice(const VertexBufferSlice& slice) {
    if (!MakeContextCurrent())
        return;
    if (slice.m_nPrimitive == VertexBufferSlice::PRIMITIVE_CLEAR) {
        Clear(slice.m_nClearColor);
        return;
    }
    SetRenderUseAlphaBlend(slice.m_bAlphaBlend);
    SetRenderBlendMode(slice.m_eBlendMode);
    SetupTexturing(slice);
    if (slice.m_nPrimitive == VertexBufferSlice::PRIMITIVE_TRIANGLES) {
        SetImage(slice.m_pTexture);
        RenderTriangles(slice);
    } else if (slice.m_nPrimitive == VertexBufferSlice::PRIMITIVE_LINES) {
        SetImage(nullptr);
        RenderLines(slice);
    }
}

void RendererOpenGL::SetupTexturing(const VertexBufferSlice& slice) {
    ImageDataOpenGL* data = DynamicCast<ImageDataOpenGL>(slice.m_pTexture);
    const bool fresh = data && data->GetTextureName() == 0;
    if (fresh)
        data->GenerateGLTextureName();
    m_bTexturing = data && data->GetTextureName() != 0;
    m_eTexturing = ShaderProgramsOpenGL::TEXTURING_NONE;
    if (!m_bTexturing) {
        glDisable(m_nTextureTarget);
        return;
    }
    glEnable(m_nTextureTarget);
    glBindTexture(m_nTextureTarget, data->GetTextureName());
    if (fresh || data->NeedsUpload())
        UploadTexture(*data, fresh);
    m_eTexturing =
        data->IsAlphaOnly() ? ShaderProgramsOpenGL::TEXTURING_ALPHA_ONLY : ShaderProgramsOpenGL::TEXTURING_MODULATE;
    if (m_Shaders.IsReady())
        return;
    if (data->IsAlphaOnly()) {
        // Colour from the vertices, alpha from the texture times the vertices'.
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_REPLACE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_PRIMARY_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_MODULATE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA, GL_PREVIOUS);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_ALPHA, GL_SRC_ALPHA);
    } else {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
}

// A new texture is made whole; later uploads replace its pixels.
void RendererOpenGL::UploadTexture(ImageDataOpenGL& data, bool fresh) {
    const GLsizei width = data.GetTextureWidth();
    const GLsizei height = data.GetTextureHeight();
    if (fresh)
        glTexImage2D(m_nTextureTarget, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                     data.GetPixelData());
    else
        glTexSubImage2D(m_nTextureTarget, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                        data.GetPixelData());
    data.SetNeedsUpload(false);
}

// Writes over the start of the bound buffer object, which grows only when
// too small. A fresh store for every draw would cost Mesa an allocation and
// fresh pages each time; the old contents need no keeping, since the GL
// finishes with a draw's vertices before a later write lands.
void RendererOpenGL::StreamInto(unsigned int target, unsigned int& allocated, size_t bytes, const void* data) {
    if (bytes > allocated) {
        glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STREAM_DRAW);
        allocated = static_cast<unsigned int>(bytes);
        return;
    }
    glBufferSubData(target, 0, static_cast<GLsizeiptr>(bytes), data);
}

// Streams vertices [first, first + count) to the start of the vertex buffer
// object and points the arrays at it. A slice of one colour sends that
// colour once instead of an array of it.
void RendererOpenGL::UploadVertices(unsigned int first, unsigned int count) {
    const GLVertex* vertices = &m_GLVertices[first];
    const GLsizei stride = sizeof(GLVertex);
    glBindBuffer(GL_ARRAY_BUFFER, m_nVertexBufferName);
    StreamInto(GL_ARRAY_BUFFER, m_nVertexBufferBytes, count * sizeof(GLVertex), vertices);
    glVertexPointer(2, GL_FLOAT, stride, BufferOffset(offsetof(GLVertex, x)));
    glTexCoordPointer(2, GL_FLOAT, stride, BufferOffset(offsetof(GLVertex, u)));
    const uint32_t color = vertices[0].color;
    const bool uniform =
        std::all_of(vertices + 1, vertices + count, [color](const GLVertex& v) { return v.color == color; });
    const auto* bytes = reinterpret_cast<const GLubyte*>(&vertices[0].color);
    if (uniform) {
        glDisableClientState(GL_COLOR_ARRAY);
        if (!m_Shaders.IsReady())
            glColor4ubv(bytes);
    } else {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_UNSIGNED_BYTE, stride, BufferOffset(offsetof(GLVertex, color)));
    }
    if (m_Shaders.IsReady())
        m_Shaders.Use(m_eTexturing, uniform ? bytes : nullptr);
}

void RendererOpenGL::RenderTriangles(const VertexBufferSlice& slice) {
    switch (slice.m_nMode) {
        case VertexBufferSlice::MODE_LIST: {
            const auto* indices = DynamicCast<IndexBufferOpenGL>(slice.m_pIndexBuffer);
            if (!indices || !InRange(slice.m_nFirstIndex, slice.m_nIndexCount, indices->GetCapacity()) ||
                slice.m_nIndexCount == 0)
                return;
            // Only the vertices the indices reach are uploaded; the indices
            // are made relative to the lowest of them.
            const uint16_t* source = indices->GetIndexArray() + slice.m_nFirstIndex;
            const auto range = std::minmax_element(source, source + slice.m_nIndexCount);
            const uint16_t lowest = *range.first;
            const unsigned int count = static_cast<unsigned int>(*range.second - lowest) + 1;
            m_GLIndices.resize(slice.m_nIndexCount);
            for (unsigned int i = 0; i < slice.m_nIndexCount; ++i)
                m_GLIndices[i] = static_cast<uint16_t>(source[i] - lowest);
            UploadVertices(lowest, count);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_nIndexBufferName);
            StreamInto(GL_ELEMENT_ARRAY_BUFFER, m_nIndexBufferBytes, m_GLIndices.size() * sizeof(uint16_t),
                       m_GLIndices.data());
            glDrawRangeElements(GL_TRIANGLES, 0, count - 1, static_cast<GLsizei>(slice.m_nIndexCount),
                                GL_UNSIGNED_SHORT, BufferOffset(0));
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
            break;
        }
        case VertexBufferSlice::MODE_STRIP:
        case VertexBufferSlice::MODE_FAN:
            if (!InRange(slice.m_nFirstVertex, slice.m_nVertexCount, m_GLVertices.size()) ||
                slice.m_nVertexCount == 0)
                return;
            UploadVertices(slice.m_nFirstVertex, slice.m_nVertexCount);
            glDrawArrays(slice.m_nMode == VertexBufferSlice::MODE_STRIP ? GL_TRIANGLE_STRIP : GL_TRIANGLE_FAN, 0,
                         static_cast<GLsizei>(slice.m_nVertexCount));
            break;
        default: return;
    }
    // Back to client memory for anyone else's arrays, and the colour array
    // on as the scene set it up.
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableClientState(GL_COLOR_ARRAY);
}

// Lines are few; they go straight from the engine's vertices.
void RendererOpenGL::RenderLines(const VertexBufferSlice& slice) {
    GLenum primitive = GL_LINES;
    if (slice.m_nMode == VertexBufferSlice::MODE_STRIP)
        primitive = GL_LINE_STRIP;
    else if (slice.m_nMode != VertexBufferSlice::MODE_LIST)
        return;
    const auto* buffer = DynamicCast<VertexBufferOpenGL>(slice.m_pVertexBuffer);
    if (!buffer || !InRange(slice.m_nFirstVertex, slice.m_nVertexCount, buffer->GetCapacity()))
        return;
    const Vertex* vertices = buffer->GetVertexArray() + slice.m_nFirstVertex;
    if (m_Shaders.IsReady())
        m_Shaders.Use(ShaderProgramsOpenGL::TEXTURING_NONE, nullptr);
    glBegin(primitive);
    for (unsigned int i = 0; i < slice.m_nVertexCount; ++i) {
        const uint32_t color = vertices[i].color;
        glColor4f(Channel(color, 16), Channel(color, 8), Channel(color, 0), Channel(color, 24));
        glVertex2f(vertices[i].x, vertices[i].y);
    }
    glEnd();
}

void RendererOpenGL::CacheSlice(VertexBufferSlice& slice, const iRenderTarget*) {
    const Vertex* vertices = slice.GetCurrentVertices();
    if (!vertices || !InRange(slice.m_nFirstVertex, slice.m_nVertexCount, m_GLVertices.size()))
        return;
    GLVertex* out = &m_GLVertices[slice.m_nFirstVertex];
    const unsigned int count = slice.m_nVertexCount;
    const ImageData* texture = slice.m_pTexture;
    if (!texture) {
        for (unsigned int i = 0; i < count; ++i) {
            out[i].x = vertices[i].x;
            out[i].y = vertices[i].y;
            out[i].color = ToGLColor(vertices[i].color);
        }
        return;
    }
    const auto* openGLTexture = DynamicCast<ImageDataOpenGL>(slice.m_pTexture);
    const bool upsideDown = openGLTexture && openGLTexture->IsCopiedFromFrameBuffer();
    // Rectangle textures are addressed in texels, 2D textures from 0 to 1.
    const bool texels = m_nTextureTarget != GL_TEXTURE_2D;
    if (!texels && !upsideDown) {
        // Every sprite of a 2D texture: the coordinates go as they are.
        for (unsigned int i = 0; i < count; ++i) {
            const Vertex& in = vertices[i];
            out[i] = GLVertex{in.x, in.y, ToGLColor(in.color), in.u, in.v};
        }
        return;
    }
    const float textureWidth = texels ? static_cast<float>(texture->GetTextureWidth()) : 1.0f;
    const float textureHeight = texels ? static_cast<float>(texture->GetTextureHeight()) : 1.0f;
    for (unsigned int i = 0; i < count; ++i) {
        const Vertex& in = vertices[i];
        out[i].x = in.x;
        out[i].y = in.y;
        out[i].color = ToGLColor(in.color);
        out[i].u = in.u * textureWidth;
        out[i].v = (upsideDown ? 1.0f - in.v : in.v) * textureHeight;
    }
}

ImageData* RendererOpenGL::CreateImageDataManaged(int width, int height) {
    if (width < 1 || height < 1 || !CheckMaxTextureSize(width, height, true))
        return nullptr;
    int textureWidth = width;
    int textureHeight = height;
    GetRequiredWidthAndHeight(textureWidth, textureHeight);
    auto* data = new ImageDataOpenGL(width, height, textureWidth, textureHeight, true);
    data->ClearPixelData();
    return data;
}

ImageData* RendererOpenGL::CreateImageDataUnmanaged(int width, int height, bool alpha) {
    if (width < 1 || height < 1 || !CheckMaxTextureSize(width, height, alpha))
        return nullptr;
    int textureWidth = width;
    int textureHeight = height;
    GetRequiredWidthAndHeight(textureWidth, textureHeight);
    auto* data = new ImageDataBufferOpenGL(width, height, textureWidth, textureHeight);
    data->SetHasAlpha(alpha);
    data->ClearPixelData();
    return data;
}

}  // namespace ZQ2
