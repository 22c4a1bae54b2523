#pragma once
// A renderer without GL for tests: it keeps a copy of every slice it is
// asked to draw, with the vertices and indices the slice covers, and makes
// itself the renderer instance for as long as the test holds it.
#include <cstdint>
#include <vector>

#include "engine/graphics/BufferOpenGL.h"
#include "engine/graphics/IndexBufferOpenGL.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/Vertex.h"
#include "engine/graphics/VertexBufferOpenGL.h"
#include "engine/graphics/VertexBufferSlice.h"

namespace GraphicsTestSupport {

class RecordingRenderer : public ZQ2::Renderer {
public:
    struct Call {
        ZQ2::VertexBufferSlice slice;
        std::vector<ZQ2::Vertex> vertices;
        std::vector<uint16_t> indices;
    };

    RecordingRenderer(int width, int height, unsigned int vertexCapacity = 40000, unsigned int indexCapacity = 60000) {
        m_pVertexBuffer = new ZQ2::VertexBufferOpenGL(sizeof(ZQ2::Vertex), vertexCapacity);
        m_pIndexBuffer = new ZQ2::IndexBufferOpenGL(sizeof(uint16_t), indexCapacity);
        SetBackBuffer(new ZQ2::BufferOpenGL(width, height));
    }

    // Makes a recording renderer the instance; RemoveInstance ends it.
    static RecordingRenderer* Install(int width, int height) {
        ZQ2::Renderer::ReleaseInstance();
        auto* renderer = new RecordingRenderer(width, height);
        ZQ2::Renderer::g_Instance = renderer;
        renderer->AddRef();
        return renderer;
    }

    int Initialize(int, int) override { return ZQ2::RENDERERROR_NONE; }
    bool Reinitialize() override { return false; }
    void InitMatrices() override {}
    void SetCustomMatrices(float, float) override {}
    void RestoreMatrices() override {}
    void BeginScene() override {}
    bool EndScene() override { return true; }
    void Flip() override {}
    bool ApplyVSyncSetting() override { return false; }
    bool IsSurfaceLost() override { return false; }
    bool TestSurfaceLost() override { return false; }
    void SetSurfaceLost() override {}
    void CreateBackBuffer() override {}
    void SetRenderBlendMode(ZQ2::eBlendMode) override {}
    void SetRenderUseAlphaBlend(bool) override {}
    void Clear(uint32_t) override {}
    ZQ2::ImageData* CreateImageDataManaged(int, int) override { return nullptr; }
    ZQ2::ImageData* CreateImageDataUnmanaged(int, int, bool) override { return nullptr; }

    void RenderVertexBufferSlice(const ZQ2::VertexBufferSlice& slice) override {
        Call call;
        call.slice = slice;
        const auto* vertices = static_cast<ZQ2::VertexBufferOpenGL*>(GetVertexBuffer())->GetVertexArray();
        call.vertices.assign(vertices + slice.m_nFirstVertex, vertices + slice.m_nFirstVertex + slice.m_nVertexCount);
        const auto* indices = static_cast<ZQ2::IndexBufferOpenGL*>(GetIndexBuffer())->GetIndexArray();
        call.indices.assign(indices + slice.m_nFirstIndex, indices + slice.m_nFirstIndex + slice.m_nIndexCount);
        m_Calls.push_back(call);
    }

    std::vector<Call> m_Calls;
};

}  // namespace GraphicsTestSupport
