#include "engine/graphics/Graphics.h"

#include <algorithm>
#include <cmath>

#include "engine/graphics/ImageData.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/VertexBuffer.h"
#include "engine/graphics/iRenderTarget.h"
#include "engine/math/GameMath.h"

namespace ZQ2 {

const RTTI* const Graphics::rttis[] = {&BaseObject::rtti, &GraphicsSettings::rtti, nullptr};
const RTTI Graphics::rtti("Graphics", Graphics::rttis);

ZQVector<Graphics*> Graphics::g_GraphicsStack;

namespace {

// Attributes that clipping carries into new points.
constexpr unsigned int kColorAndUVFlags = POINT_COLOR_ALPHA | POINT_UV;  // 60
constexpr unsigned int kColorFlags = POINT_COLOR_ALPHA;                  // 12

// Triangles shift by half a pixel so that their edges fall on pixel edges.
constexpr float kHalfPixel = 0.5f;

bool IsIdentity(const Matrix3x3& m) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            if (m(r, c) != (r == c ? 1.0f : 0.0f))
                return false;
        }
    }
    return true;
}

bool IsNear(float value, float target) { return std::fabs(value - target) <= GameMath::SMALL_FLOAT; }

void ClearBufferFields(VertexBufferSlice& slice) {
    slice.m_nFirstVertex = 0;
    slice.m_nVertexCount = 0;
    slice.m_nFirstIndex = 0;
    slice.m_nIndexCount = 0;
    slice.m_pVertexBuffer = nullptr;
    slice.m_pIndexBuffer = nullptr;
}

// A slot reused from an earlier batch starts from the default state, so no
// draw inherits a stale texture or blend flag.
void ResetState(VertexBufferSlice& slice) {
    slice.m_nPrimitive = VertexBufferSlice::PRIMITIVE_TRIANGLES;
    slice.m_nMode = VertexBufferSlice::MODE_LIST;
    slice.m_pTexture = nullptr;
    slice.m_eBlendMode = BLENDMODE_BLEND;
    slice.m_bAlphaBlend = true;
    slice.m_nClearColor = 0xFF000000u;
}

// A taken slice that cannot be written draws nothing.
void Empty(VertexBufferSlice& slice) {
    slice.m_nVertexCount = 0;
    slice.m_nIndexCount = 0;
}

// Batchable and right behind: a nested batch may have taken the buffer
// space between two slices of this context, which merging must not cover.
bool Follows(const VertexBufferSlice& first, const VertexBufferSlice& next) {
    if (next.m_nFirstVertex != first.m_nFirstVertex + first.m_nVertexCount && next.m_nVertexCount > 0)
        return false;
    return next.m_nIndexCount == 0 || next.m_nFirstIndex == first.m_nFirstIndex + first.m_nIndexCount;
}

}  // namespace

Graphics::Graphics(iRenderTarget* target) : m_pRenderTarget(target), m_Slices(INITIAL_SLICES, 0) {
    if (!m_pRenderTarget && Renderer::g_Instance)
        m_pRenderTarget = Renderer::g_Instance->GetBackBuffer();
}

// A context that goes while its batch is open leaves the stack.
Graphics::~Graphics() {
    if (m_bSceneOpen)
        CloseScene();
    Graphics** found = g_GraphicsStack.find(this);
    if (found != g_GraphicsStack.end())
        g_GraphicsStack.erase(found, found + 1);
}

void* Graphics::QueryInterface(const RTTI& which) {
    if (&which == &GraphicsSettings::rtti)
        return static_cast<GraphicsSettings*>(this);
    return nullptr;
}

bool Graphics::CreateDestPolyMatrix(Matrix3x3& m) const {
    if (m_TransformationStack.empty())
        return ComposeDestPolyMatrix(m, IsIdentity(m));
    return PlaceUnderStackTop(m);
}

bool Graphics::PlaceUnderStackTop(Matrix3x3& m) const {
    if (m_TransformationStack.empty())
        return ComposeDestPolyMatrix(m, true);
    m = m_TransformationStack[m_TransformationStack.size() - 1];
    ComposeDestPolyMatrix(m, false);
    return true;
}

void Graphics::PlaceDestPolygon() {
    const PolygonF* polygon = GetPolygon();
    if (!polygon) {
        m_DestPolygon.Clear();
        return;
    }
    m_DestPolygon = *polygon;
    Matrix3x3 m;
    if (PlaceUnderStackTop(m))
        m_DestPolygon.Transform(m);
}

void Graphics::ResetSettings() {
    GraphicsSettings::ResetSettings();
    m_Offset.Set(0.0f, 0.0f);
    m_nDrawnFlag = 0;
}

void Graphics::SetSettings(const GraphicsSettings& s) {
    GraphicsSettings::SetSettings(s);
    m_Offset.Set(s.GetDestX(), s.GetDestY());
    m_nDrawnFlag = 0;
    // Same values, same destination point: s's cached placement is what a
    // rebuild here would give, and a sprite that stayed put keeps it.
    TakePlacementOf(s);
}

void Graphics::AddOffset(const Point_t<float>& offset) {
    m_Offset += offset;
    SetDirty();
}

void Graphics::SubOffset(const Point_t<float>& offset) {
    m_Offset -= offset;
    SetDirty();
}

uint32_t Graphics::GetComposedColor() const {
    const auto alpha = static_cast<uint32_t>(std::clamp(GetAlpha(), 0, 255));
    return alpha << 24 | (static_cast<uint32_t>(GetColor()) & 0xFFFFFFu);
}

void Graphics::SetImageFrameAndPolygon(ImageFrame* frame) {
    SetImageFrame(frame);
    const auto width = static_cast<float>(frame ? frame->GetWidth() : 0);
    const auto height = static_cast<float>(frame ? frame->GetHeight() : 0);
    SetPolygon(Rectangle_t<float>(0.0f, 0.0f, width, height));
}

void Graphics::LockSharedBuffers(bool discard) {
    Renderer* renderer = Renderer::g_Instance;
    if (!renderer)
        return;
    renderer->LockVertexBuffer(discard);
    renderer->LockIndexBuffer(discard);
}

void Graphics::UnlockSharedBuffers() {
    Renderer* renderer = Renderer::g_Instance;
    if (!renderer)
        return;
    renderer->UnlockVertexBuffer();
    renderer->UnlockIndexBuffer();
}

bool Graphics::BeginBatch() {
    if (m_bInBatch)
        return true;
    m_bInBatch = true;
    m_bSubmittedEarly = false;
    m_bSceneFailed = false;
    // A nested batch sets up its own target: an open outer scene ends first,
    // and opens again when the outer batch draws next.
    for (Graphics* outer : g_GraphicsStack) {
        if (outer->m_bSceneOpen && !outer->CloseScene())
            outer->m_bSceneFailed = true;
    }
    if (g_GraphicsStack.empty())
        LockSharedBuffers(true);
    m_nUsedSlices = 0;
    g_GraphicsStack.push_back(this);
    if (m_pRenderTarget)
        m_TargetRect = Rectangle_t<float>(0.0f, 0.0f, static_cast<float>(m_pRenderTarget->GetImageWidth()),
                                          static_cast<float>(m_pRenderTarget->GetImageHeight()));
    else
        m_TargetRect = Rectangle_t<float>();
    return true;
}

bool Graphics::EndBatch() {
    if (!m_bInBatch)
        return false;
    m_bInBatch = false;
    UnlockSharedBuffers();
    Renderer* renderer = Renderer::g_Instance;
    bool ended = m_bSubmittedEarly && !m_bSceneFailed;
    if (m_bSceneOpen ||
        (m_nUsedSlices > 0 && renderer && m_pRenderTarget && m_pRenderTarget->IsRenderTargetValid())) {
        OpenScene();
        DoDrawOperations();
        ended = CloseScene() && !m_bSceneFailed;
    }
    m_nUsedSlices = 0;
    Graphics** found = g_GraphicsStack.find(this);
    if (found != g_GraphicsStack.end())
        g_GraphicsStack.erase(found, found + 1);
    if (g_GraphicsStack.empty()) {
        if (renderer)
            renderer->SetRenderTarget(renderer->GetBackBuffer());
    } else {
        // An outer batch is still open: its vertices must stay where they
        // are, whatever became of this one.
        LockSharedBuffers(false);
    }
    return ended;
}

void Graphics::OpenScene() {
    if (m_bSceneOpen)
        return;
    Renderer* renderer = Renderer::g_Instance;
    renderer->SetRenderTarget(m_pRenderTarget);
    renderer->BeginScene();
    m_pRenderTarget->Begin();
    m_bSceneOpen = true;
}

bool Graphics::CloseScene() {
    m_bSceneOpen = false;
    Renderer* renderer = Renderer::g_Instance;
    if (!renderer || !renderer->EndScene())
        return false;
    m_pRenderTarget->End();
    return true;
}

void Graphics::SubmitIfLarge() {
    Renderer* renderer = Renderer::g_Instance;
    const VertexBuffer* vertices = renderer ? renderer->GetVertexBuffer() : nullptr;
    if (!vertices || vertices->GetUsed() < EARLY_SUBMIT_VERTICES || g_GraphicsStack.size() != 1 ||
        g_GraphicsStack[0] != this || m_pRenderTarget != renderer->GetBackBuffer() ||
        !m_pRenderTarget->IsRenderTargetValid() || renderer->DrawsTargetsThroughBackBuffer())
        return;
    UnlockSharedBuffers();
    OpenScene();
    DoDrawOperations();
    renderer->Flush();
    m_nUsedSlices = 0;
    m_bSubmittedEarly = true;
    LockSharedBuffers(true);
}

VertexBufferSlice& Graphics::TakeSlice(unsigned int vertices, unsigned int indices) {
    if (m_nUsedSlices >= static_cast<unsigned int>(m_Slices.size()))
        m_Slices.resize(static_cast<int>(m_nUsedSlices) + SLICE_GROWTH);
    VertexBufferSlice& slice = m_Slices[static_cast<int>(m_nUsedSlices)];
    Renderer* renderer = Renderer::g_Instance;
    VertexBuffer* vertexBuffer = renderer ? renderer->GetVertexBuffer() : nullptr;
    IndexBuffer* indexBuffer = renderer ? renderer->GetIndexBuffer() : nullptr;
    const bool granted = vertexBuffer && indexBuffer && (vertices == 0 || vertexBuffer->IsLocked()) &&
                         (indices == 0 || indexBuffer->IsLocked()) &&
                         vertexBuffer->GetUsed() + vertices <= vertexBuffer->GetCapacity() &&
                         (indices == 0 || indexBuffer->GetUsed() + indices < indexBuffer->GetCapacity());
    ClearBufferFields(slice);
    if (!granted)
        return slice;
    ResetState(slice);
    slice.m_pVertexBuffer = vertexBuffer;
    slice.m_nFirstVertex = vertexBuffer->GetUsed();
    slice.m_nVertexCount = vertices;
    vertexBuffer->SetUsed(slice.m_nFirstVertex + vertices);
    if (indices > 0) {
        slice.m_pIndexBuffer = indexBuffer;
        slice.m_nFirstIndex = indexBuffer->GetUsed();
        slice.m_nIndexCount = indices;
        indexBuffer->SetUsed(slice.m_nFirstIndex + indices);
    }
    ++m_nUsedSlices;
    return slice;
}

void Graphics::AddDrawOperation(const PolygonF& polygon, ImageFrame* frame, bool alphaBlend) {
    const int count = polygon.GetCount();
    if (count < 3)
        return;
    const auto indexCount = static_cast<unsigned int>(3 * count - 6);
    VertexBufferSlice& slice = TakeSlice(static_cast<unsigned int>(count), indexCount);
    if (!slice.m_pVertexBuffer || !slice.m_pIndexBuffer)
        return;
    slice.m_pTexture = frame ? frame->GetImageData() : nullptr;
    slice.m_eBlendMode = GetBlendMode();
    slice.m_nPrimitive = VertexBufferSlice::PRIMITIVE_TRIANGLES;
    slice.m_nMode = VertexBufferSlice::MODE_LIST;
    slice.m_bAlphaBlend = alphaBlend;

    Vertex* vertices = slice.GetCurrentVertices();
    if (!vertices) {
        Empty(slice);
        return;
    }
    // Straight through the points: every index is in range, none wraps.
    const PolygonPointF* points = polygon.begin();
    for (int i = 0; i < count; ++i) {
        const PolygonPointF& p = points[i];
        vertices[i] = Vertex{p.x - kHalfPixel, p.y - kHalfPixel, 0.0f, 1.0f, p.color, p.u, p.v};
    }
    Renderer* renderer = Renderer::g_Instance;
    renderer->CacheSlice(slice, m_pRenderTarget);
    uint16_t* indices = slice.GetCurrentIndices();
    if (renderer->IsSurfaceLost() || !indices) {
        Empty(slice);
        return;
    }
    // A fan: triangle t is (0, t + 1, t + 2) from the slice's first vertex.
    const unsigned int first = slice.m_nFirstVertex;
    for (unsigned int t = 0; t < indexCount / 3; ++t) {
        indices[3 * t] = static_cast<uint16_t>(first);
        indices[3 * t + 1] = static_cast<uint16_t>(first + t + 1);
        indices[3 * t + 2] = static_cast<uint16_t>(first + t + 2);
    }
    SubmitIfLarge();
}

void Graphics::DoDrawOperations() {
    Renderer* renderer = Renderer::g_Instance;
    if (!renderer)
        return;
    const auto used = static_cast<int>(m_nUsedSlices);
    int i = 0;
    while (i < used) {
        VertexBufferSlice& first = m_Slices[i];
        int j = i + 1;
        while (j < used && first.IsBatchableWith(m_Slices[j]) && Follows(first, m_Slices[j])) {
            first.m_nVertexCount += m_Slices[j].m_nVertexCount;
            first.m_nIndexCount += m_Slices[j].m_nIndexCount;
            ++j;
        }
        renderer->RenderVertexBufferSlice(first);
        i = j;
    }
}

Graphics::eClipResult Graphics::ClassifyAgainstClip() const {
    if (m_ClipStack.empty())
        return CLIP_USE_POLYGON;
    switch (m_ClipStack[m_ClipStack.size() - 1].GetClipState(m_DestPolygon)) {
        case CLIP_INSIDE: return CLIP_USE_POLYGON;
        case CLIP_PARTIAL: return CLIP_USE_INTERSECTION;
        case CLIP_CONTAINED: return CLIP_USE_CLIP;
        default: return CLIPPED_AWAY;
    }
}

const PolygonF& Graphics::ClippedGeometry(eClipResult result, unsigned int flags) {
    if (result == CLIP_USE_POLYGON)
        return m_DestPolygon;
    const PolygonF& clip = m_ClipStack[m_ClipStack.size() - 1];
    if (result == CLIP_USE_INTERSECTION) {
        m_ClippedPolygon.Clear();
        clip.Intersect(m_DestPolygon, m_ClippedPolygon, PointFlags(flags));
        if (m_ClippedPolygon.GetCount() >= 3)
            return m_ClippedPolygon;
        // The outline walk needs a crossing: two rectangles, one inside the
        // other, have none, though the inner one is their intersection.
        if (clip.Contains(m_DestPolygon))
            return m_DestPolygon;
        if (!m_DestPolygon.Contains(clip))
            return m_ClippedPolygon;
    }
    m_ClippedPolygon = clip;
    m_DestPolygon.InterpolatePointsOf(m_ClippedPolygon, PointFlags(flags));
    return m_ClippedPolygon;
}

bool Graphics::AlphaBlendFor(const ImageFrame* frame) const {
    bool blend = false;
    switch (GetBlendMode()) {
        case BLENDMODE_REPLACE_OPAQUE: blend = false; break;
        case BLENDMODE_BLEND:
        case BLENDMODE_REPLACE: {
            const ImageData* data = frame ? frame->GetImageData() : nullptr;
            blend = !data || data->HasAlpha();
            break;
        }
        default: blend = IsUseAlphaChannel(); break;
    }
    return blend || GetAlpha() < 255;
}

void Graphics::Draw() {
    if (IsUseColorToFillPolygon()) {
        FillPolygon();
        return;
    }
    ImageFrame* frame = GetImageFrame();
    if (GetAlpha() == 0 || !GetPolygon() || !frame)
        return;
    PlaceDestPolygon();
    if (!m_TargetRect.Intersects(m_DestPolygon.GetBoundingRect()))
        return;
    const eClipResult clip = ClassifyAgainstClip();
    if (clip == CLIPPED_AWAY)
        return;

    const ImageData* data = frame->GetImageData();
    const float fillX = data ? data->GetFillFactorX() : 1.0f;
    const float fillY = data ? data->GetFillFactorY() : 1.0f;
    const Rectangle_t<float>& texture = frame->GetTextureRect();
    const float u = texture.x * fillX;
    const float v = texture.y * fillY;
    const float width = texture.width * fillX;
    const float height = texture.height * fillY;
    const bool whole = IsNear(u, 0.0f) && IsNear(v, 0.0f) && IsNear(width, 1.0f) && IsNear(height, 1.0f);
    if (!GetFlipFlags().IsEmpty() || !whole)
        m_DestPolygon.TransformUV(u, v, width, height, IsFlipImageHorizontal(), IsFlipImageVertical());
    m_DestPolygon.MultiplyComposedColor(GetComposedColor());
    const bool alphaBlend = AlphaBlendFor(frame);
    AddDrawOperation(ClippedGeometry(clip, kColorAndUVFlags), frame, alphaBlend);
}

void Graphics::Draw(float x, float y) {
    AddOffset(x, y);
    Draw();
    SubOffset(x, y);
}

void Graphics::FillPolygon() {
    const PolygonF* polygon = GetPolygon();
    if (!polygon || polygon->GetCount() < 3)
        return;
    PlaceDestPolygon();
    const eClipResult clip = ClassifyAgainstClip();
    if (clip == CLIPPED_AWAY)
        return;
    m_DestPolygon.MultiplyComposedColor(GetComposedColor());
    AddDrawOperation(ClippedGeometry(clip, kColorFlags), nullptr, true);
}

void Graphics::FillRect(const Rectangle_t<float>& rect) {
    m_DestPolygon = rect;
    Matrix3x3 m;
    if (PlaceUnderStackTop(m))
        m_DestPolygon.Transform(m);
    const eClipResult clip = ClassifyAgainstClip();
    if (clip == CLIPPED_AWAY)
        return;
    m_DestPolygon.SetComposedColor(GetComposedColor());
    AddDrawOperation(ClippedGeometry(clip, kColorFlags), nullptr, true);
}

void Graphics::Fill() {
    if (!m_pRenderTarget)
        return;
    FillRect(Rectangle_t<float>(0.0f, 0.0f, static_cast<float>(m_pRenderTarget->GetWidth()),
                                static_cast<float>(m_pRenderTarget->GetHeight())));
}

void Graphics::DrawLine(float x1, float y1, float x2, float y2) {
    Point_t<float> from(x1, y1);
    Point_t<float> to(x2, y2);
    Matrix3x3 m;
    if (PlaceUnderStackTop(m)) {
        PolygonPointF::Transform(from, m);
        PolygonPointF::Transform(to, m);
    }
    VertexBufferSlice& slice = TakeSlice(2, 0);
    if (!slice.m_pVertexBuffer)
        return;
    slice.m_eBlendMode = GetBlendMode();
    slice.m_nPrimitive = VertexBufferSlice::PRIMITIVE_LINES;
    slice.m_nMode = VertexBufferSlice::MODE_LIST;
    Vertex* vertices = slice.GetCurrentVertices();
    if (!vertices) {
        Empty(slice);
        return;
    }
    const uint32_t color = GetComposedColor();
    vertices[0] = Vertex{from.x, from.y, 0.0f, 1.0f, color, 0.0f, 0.0f};
    vertices[1] = Vertex{to.x, to.y, 0.0f, 1.0f, color, 0.0f, 0.0f};
}

void Graphics::DrawPolygon(bool contract) {
    const PolygonF* polygon = GetPolygon();
    if (!polygon || polygon->GetCount() < 3)
        return;
    PlaceDestPolygon();
    if (contract)
        GameMath::ContractInnerPolygon(m_DestPolygon);
    const int lines = m_DestPolygon.GetLineCount();
    VertexBufferSlice& slice = TakeSlice(static_cast<unsigned int>(lines + 1), 0);
    if (!slice.m_pVertexBuffer)
        return;
    slice.m_eBlendMode = GetBlendMode();
    slice.m_nPrimitive = VertexBufferSlice::PRIMITIVE_LINES;
    slice.m_nMode = VertexBufferSlice::MODE_STRIP;
    Vertex* vertices = slice.GetCurrentVertices();
    if (!vertices) {
        Empty(slice);
        return;
    }
    const uint32_t color = GetComposedColor();
    for (int i = 0; i <= lines; ++i) {
        const PolygonPointF& p = m_DestPolygon.Get(i);
        vertices[i] = Vertex{p.x, p.y, 0.0f, 1.0f, color, 0.0f, 0.0f};
    }
}

void Graphics::Clear() {
    VertexBufferSlice& slice = TakeSlice(0, 0);
    if (!slice.m_pVertexBuffer)
        return;
    slice.m_nPrimitive = VertexBufferSlice::PRIMITIVE_CLEAR;
    slice.m_nClearColor = GetComposedColor();
}

void Graphics::PushTransformation(const Matrix3x3& m) {
    if (m_TransformationStack.empty()) {
        m_TransformationStack.push_back(m);
        return;
    }
    const Matrix3x3 combined = m_TransformationStack[m_TransformationStack.size() - 1] * m;
    m_TransformationStack.push_back(combined);
}

void Graphics::PushTranslation(float x, float y) {
    Matrix3x3 move;
    Matrix3x3::MakeTranslationMatrix(move, x, y);
    PushTransformation(move);
}

void Graphics::SetTransformation(const Matrix3x3& m) { m_TransformationStack.push_back(m); }

void Graphics::PushClipPolygon(const PolygonF& p) {
    PolygonF clip(p);
    if (!m_TransformationStack.empty())
        clip.Transform(m_TransformationStack[m_TransformationStack.size() - 1]);
    if (m_ClipStack.empty()) {
        m_ClipStack.push_back(clip);
        return;
    }
    const PolygonF& previous = m_ClipStack[m_ClipStack.size() - 1];
    PolygonF top;
    if (previous.GetClipState(clip) == CLIP_INSIDE) {
        top = clip;
    } else {
        previous.Intersect(clip, top, PointFlags(0));
        // A new polygon that holds the old one whole crosses no edge of it,
        // so the outline walk finds nothing; the old one is the answer.
        if (top.GetCount() < 3 && clip.Contains(previous))
            top = previous;
    }
    m_ClipStack.push_back(top);
}

void Graphics::PopTransformation() {
    if (!m_TransformationStack.empty())
        m_TransformationStack.pop_back();
}

void Graphics::PopClipPolygon() {
    if (!m_ClipStack.empty())
        m_ClipStack.pop_back();
}

}  // namespace ZQ2
