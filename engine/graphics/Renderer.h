#pragma once
// The renderer: a singleton that owns the back buffer, the frame's shared
// vertex and index buffers and the making of textures, and draws the slices
// that the drawing contexts hand it. The back end fills in the drawing.
#include <cstdint>
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/iInstance.h"
#include "engine/framework/iMessageListener.h"
#include "engine/graphics/eBlendMode.h"

namespace ZQ2 {

class Graphics;
class Image;
class ImageData;
class IndexBuffer;
class VertexBuffer;
class VertexBufferSlice;
class iRenderTarget;

// Start-up failures; GetRenderError gives their texts.
enum eRenderError : int {
    RENDERERROR_NONE = 0,
    RENDERERROR_DLL_NOT_FOUND = 1,
    RENDERERROR_NO_CREATE_FUNCTION = 2,
    RENDERERROR_REINITIALIZATION = 3,
    RENDERERROR_CREATE_OBJECT = 4,
    RENDERERROR_DEVICE_CAPS = 5,
    RENDERERROR_MIN_TEXTURE_SIZE = 6,
    RENDERERROR_ADAPTER_ID = 7,
    RENDERERROR_CREATE_DEVICE = 8,
    RENDERERROR_NO_CONTEXT = 9,  // no game window with a GL context
};

class Renderer : public BaseObject, public iMessageListener, public iInstance<Renderer> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    static constexpr int DEFAULT_VERTEX_CAPACITY = 40000;
    static constexpr int MAX_TEXTURE_SIZE = 1024;

    // Makes the OpenGL renderer the instance; an earlier one is removed first.
    static void CreateInstance();
    static void RemoveInstance();
    static std::string GetRenderError(int code);

    // Listens to the game window's messages when a window exists.
    Renderer();
    ~Renderer() override;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    const RTTI& GetRTTI() const override { return rtti; }
    void* QueryInterface(const RTTI& which) override;

    // An eRenderError; 0 when the renderer is ready.
    virtual int Initialize(int width, int height) = 0;
    virtual bool Reinitialize() = 0;
    virtual void InitMatrices() = 0;
    // The next scene is sized for a target of this size.
    virtual void SetCustomMatrices(float width, float height) = 0;
    virtual void RestoreMatrices() = 0;
    virtual void BeginScene() = 0;
    virtual bool EndScene() = 0;
    virtual void Flip() = 0;
    virtual bool ApplyVSyncSetting() = 0;
    virtual bool IsSurfaceLost() = 0;
    virtual bool TestSurfaceLost() = 0;
    virtual void SetSurfaceLost() = 0;
    virtual void CreateBackBuffer() = 0;
    virtual void SetRenderBlendMode(eBlendMode mode) = 0;
    virtual void SetRenderUseAlphaBlend(bool alphaBlend) = 0;
    // The back buffer draws at the window's size, any other target at its own.
    virtual void SetRenderTarget(iRenderTarget* target);
    virtual void SetImage(ImageData* image);
    // Clears the target to an ARGB colour.
    virtual void Clear(uint32_t color) = 0;
    virtual void RenderVertexBufferSlice(const VertexBufferSlice& slice) = 0;
    // Hands what was drawn so far to the GPU without waiting for it, so
    // that it works while the rest of the frame is prepared.
    virtual void Flush() {}
    // New image data with no reference taken; null above MAX_TEXTURE_SIZE.
    virtual ImageData* CreateImageDataManaged(int width, int height) = 0;
    virtual ImageData* CreateImageDataUnmanaged(int width, int height, bool alpha) = 0;
    // New images cut into frameCount frames in rows of columns, with no
    // reference taken; null when the image data cannot be made. Unmanaged
    // images take drawing.
    Image* CreateImageManaged(int width, int height, int frameCount, int columns);
    Image* CreateImageUnmanaged(int width, int height, bool alpha, int frameCount, int columns);
    // 514, and 517 in full screen, reinitialise.
    void ProcessMessage(const Message& message) override;
    // Converts a freshly written slice's vertices for the back end.
    virtual void CacheSlice(VertexBufferSlice& slice, const iRenderTarget* target) {
        (void)slice;
        (void)target;
    }
    virtual void FlushManagedTextures() {}
    // True where a texture target is drawn in the back buffer and copied
    // out, clearing the back buffer after: no part of a frame may reach
    // the back buffer before its last texture target is drawn.
    virtual bool DrawsTargetsThroughBackBuffer() const { return false; }
    virtual void UpdateSize() {}

    // Drops the buffers, the back buffer and its drawing context.
    void Cleanup();
    // Takes the target and a drawing context on it.
    void SetBackBuffer(iRenderTarget* target);
    void RemoveBackBuffer();
    void SetRenderDimensions(int width, int height);
    bool CheckMaxTextureSize(int width, int height, bool alpha) const;
    // Raises a picture size to what the card's textures need.
    void GetRequiredWidthAndHeight(int& width, int& height) const;

    // On failure these report the surface lost and answer false.
    bool LockVertexBuffer(bool discard);
    bool UnlockVertexBuffer();
    bool LockIndexBuffer(bool discard);
    bool UnlockIndexBuffer();

    // Vertices per frame; at most 65,536 because indices are 16 bits. Takes
    // effect at the next Initialize. Values below 1 are refused.
    void SetVertexCapacity(int capacity);
    int GetVertexCapacity() const { return m_nVertexCapacity; }

    bool IsInitialized() const { return m_bInitialized; }
    bool IsBlendEquationSeparable() const { return m_bBlendEquationSeparable; }
    bool HasPowerOfTwoTextures() const { return m_bPowerOfTwoTextures; }
    bool HasSquareTextures() const { return m_bSquareTextures; }
    iRenderTarget* GetBackBuffer() const { return m_pBackBuffer; }
    Graphics* GetBackBufferGraphics() const { return m_pBackBufferGraphics.Get(); }
    VertexBuffer* GetVertexBuffer() const { return m_pVertexBuffer.Get(); }
    IndexBuffer* GetIndexBuffer() const { return m_pIndexBuffer.Get(); }
    int GetMaxTextureWidth() const { return m_nMaxTextureWidth; }
    int GetMaxTextureHeight() const { return m_nMaxTextureHeight; }
    int GetRenderWidth() const { return m_nRenderWidth; }
    int GetRenderHeight() const { return m_nRenderHeight; }
    iRenderTarget* GetRenderTarget() const { return m_pCurrentRenderTarget; }
    ImageData* GetImage() const { return m_pCurrentImage; }

protected:
    bool m_bInitialized = false;
    bool m_bBlendEquationSeparable = true;
    bool m_bPowerOfTwoTextures = false;
    bool m_bSquareTextures = false;
    iRenderTarget* m_pBackBuffer = nullptr;
    SmartPtr<BaseObject> m_pBackBufferObject;  // keeps the back buffer
    SmartPtr<VertexBuffer> m_pVertexBuffer;
    SmartPtr<IndexBuffer> m_pIndexBuffer;
    int m_nMaxTextureWidth = MAX_TEXTURE_SIZE;
    int m_nMaxTextureHeight = MAX_TEXTURE_SIZE;
    int m_nRenderWidth = 0;
    int m_nRenderHeight = 0;
    int m_nVertexCapacity = DEFAULT_VERTEX_CAPACITY;
    iRenderTarget* m_pCurrentRenderTarget = nullptr;
    ImageData* m_pCurrentImage = nullptr;
    SmartPtr<Graphics> m_pBackBufferGraphics;
};

}  // namespace ZQ2
