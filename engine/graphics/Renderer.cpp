#include "engine/graphics/Renderer.h"

#include <algorithm>

#include "engine/core/Platform.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/Message.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageData.h"
#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/RendererOpenGL.h"
#include "engine/graphics/VertexBuffer.h"
#include "engine/graphics/iRenderTarget.h"

namespace ZQ2 {

const RTTI* const Renderer::rttis[] = {&BaseObject::rtti, &iMessageListener::rtti, nullptr};
const RTTI Renderer::rtti("Renderer", Renderer::rttis);

namespace {

int NextPowerOfTwo(int value) {
    int power = 1;
    while (power < value && power < (1 << 30))
        power <<= 1;
    return power;
}

}  // namespace

void Renderer::CreateInstance() {
    RemoveInstance();
    g_Instance = new RendererOpenGL();
    g_Instance->AddRef();
}

void Renderer::RemoveInstance() {
    Renderer* renderer = g_Instance;
    if (!renderer)
        return;
    renderer->Cleanup();
    g_Instance = nullptr;
    renderer->Release();
}

std::string Renderer::GetRenderError(int code) {
    switch (code) {
        case RENDERERROR_NONE: return "None";
        case RENDERERROR_DLL_NOT_FOUND: return "DirectX DLL not found";
        case RENDERERROR_NO_CREATE_FUNCTION: return "No DirectX create function";
        case RENDERERROR_REINITIALIZATION: return "Re-initialization failed";
        case RENDERERROR_CREATE_OBJECT: return "Failed to create a DirectX object";
        case RENDERERROR_DEVICE_CAPS: return "Failed to read the device capabilities";
        case RENDERERROR_MIN_TEXTURE_SIZE: return "This video card does not support the minimum texture size";
        case RENDERERROR_ADAPTER_ID: return "Could not read the adapter ID";
        case RENDERERROR_CREATE_DEVICE: return "Failed to create a DirectX device";
        case RENDERERROR_NO_CONTEXT: return "No OpenGL context";
        default: return "Unknown error";
    }
}

Renderer::Renderer() {
    if (GameWindow::g_Instance)
        GameWindow::g_Instance->GetMessageHandler().AddMessageListener(this);
}

Renderer::~Renderer() { Cleanup(); }

void* Renderer::QueryInterface(const RTTI& which) {
    if (&which == &iMessageListener::rtti)
        return static_cast<iMessageListener*>(this);
    return BaseObject::QueryInterface(which);
}

void Renderer::SetRenderTarget(iRenderTarget* target) {
    m_pCurrentRenderTarget = target;
    if (!target)
        return;
    if (target == m_pBackBuffer)
        RestoreMatrices();
    else
        SetCustomMatrices(static_cast<float>(target->GetWidth()), static_cast<float>(target->GetHeight()));
}

void Renderer::SetImage(ImageData* image) {
    if (image != m_pCurrentImage && image)
        image->UpdateTime();
    m_pCurrentImage = image;
}

void Renderer::ProcessMessage(const Message& message) {
    if (message.GetNumber() == MESSAGE_FULLSCREEN_CHANGED)
        Reinitialize();
    else if (message.GetNumber() == MESSAGE_MINIMIZED_CHANGED && GameWindow::g_Instance &&
             GameWindow::g_Instance->IsFullscreen())
        Reinitialize();
}

void Renderer::Cleanup() {
    m_pIndexBuffer = nullptr;
    m_pVertexBuffer = nullptr;
    m_pBackBufferGraphics = nullptr;
    m_pBackBuffer = nullptr;
    m_pBackBufferObject = nullptr;
    m_pCurrentRenderTarget = nullptr;
    m_pCurrentImage = nullptr;
}

void Renderer::SetBackBuffer(iRenderTarget* target) {
    if (m_pCurrentRenderTarget == m_pBackBuffer)
        m_pCurrentRenderTarget = nullptr;
    m_pBackBuffer = target;
    m_pBackBufferObject = target ? target->QueryBaseObject() : nullptr;
    m_pBackBufferGraphics = nullptr;
    if (target)
        m_pBackBufferGraphics = target->CreateGraphics();
}

void Renderer::RemoveBackBuffer() {
    if (m_pBackBuffer)
        m_pBackBuffer->FlushData();
}

void Renderer::SetRenderDimensions(int width, int height) {
    m_nRenderWidth = width;
    m_nRenderHeight = height;
}

bool Renderer::CheckMaxTextureSize(int width, int height, bool) const {
    return width <= m_nMaxTextureWidth && height <= m_nMaxTextureHeight;
}

void Renderer::GetRequiredWidthAndHeight(int& width, int& height) const {
    if (m_bPowerOfTwoTextures) {
        width = NextPowerOfTwo(width);
        height = NextPowerOfTwo(height);
    }
    if (m_bSquareTextures)
        width = height = std::max(width, height);
}

namespace {

// The image keeps the data alive; a data no image took is freed here.
Image* ImageOver(ImageData* data, int frameCount, int columns) {
    if (!data)
        return nullptr;
    SmartPtr<ImageData> keep(data);
    return new Image(data, frameCount, columns);
}

}  // namespace

Image* Renderer::CreateImageManaged(int width, int height, int frameCount, int columns) {
    return ImageOver(CreateImageDataManaged(width, height), frameCount, columns);
}

Image* Renderer::CreateImageUnmanaged(int width, int height, bool alpha, int frameCount, int columns) {
    return ImageOver(CreateImageDataUnmanaged(width, height, alpha), frameCount, columns);
}

bool Renderer::LockVertexBuffer(bool discard) {
    if (m_pVertexBuffer && m_pVertexBuffer->Lock(discard))
        return true;
    SetSurfaceLost();
    return false;
}

bool Renderer::UnlockVertexBuffer() {
    if (m_pVertexBuffer && m_pVertexBuffer->Unlock())
        return true;
    SetSurfaceLost();
    return false;
}

bool Renderer::LockIndexBuffer(bool discard) {
    if (m_pIndexBuffer && m_pIndexBuffer->Lock(discard))
        return true;
    SetSurfaceLost();
    return false;
}

bool Renderer::UnlockIndexBuffer() {
    if (m_pIndexBuffer && m_pIndexBuffer->Unlock())
        return true;
    SetSurfaceLost();
    return false;
}

void Renderer::SetVertexCapacity(int capacity) {
    if (capacity < 1) {
        Platform::OutputDebugStringFormat("Vertex capacity %d refused; keeping %d.\n", capacity, m_nVertexCapacity);
        return;
    }
    m_nVertexCapacity = std::min(capacity, static_cast<int>(VertexBuffer::MAX_CAPACITY));
}

}  // namespace ZQ2
