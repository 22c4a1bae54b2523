#pragma once
// The drawing context of one render target. It is itself a set of draw
// settings, plus a transformation stack and a clip stack. Each draw culls,
// clips and appends its vertices to the renderer's shared buffers as one
// slice; EndBatch merges neighbouring slices of equal state and hands them
// to the renderer (a big batch into the back buffer hands them over in parts
// as it grows).
#include <cstdint>

#include "engine/core/BaseObject.h"
#include "engine/core/ZQVector.h"
#include "engine/graphics/GraphicsSettings.h"
#include "engine/graphics/VertexBufferSlice.h"
#include "engine/math/Matrix3x3.h"
#include "engine/math/Point_t.h"
#include "engine/math/PolygonF.h"
#include "engine/math/Rectangle_t.h"

namespace ZQ2 {

class ImageFrame;
class iRenderTarget;

class Graphics : public BaseObject, public GraphicsSettings {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    static constexpr int INITIAL_SLICES = 20;
    static constexpr int SLICE_GROWTH = 100;
    // A lone batch into the back buffer hands its slices to the renderer
    // each time this many vertices wait, so that the GPU draws the first
    // part of a big frame while the rest is prepared.
    static constexpr unsigned int EARLY_SUBMIT_VERTICES = 4096;

    // The contexts whose batch is open, innermost last. Main thread only.
    static ZQVector<Graphics*> g_GraphicsStack;

    // A null target stands for the renderer's back buffer.
    explicit Graphics(iRenderTarget* target);
    ~Graphics() override;
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    const RTTI& GetRTTI() const override { return rtti; }
    // Only the settings' record answers.
    void* QueryInterface(const RTTI& which) override;
    BaseObject* QueryBaseObject() override { return this; }

    // Stack top * the settings' own placement * T(-anchor).
    bool CreateDestPolyMatrix(Matrix3x3& m) const override;
    // Also clear the offset and the drawn flag.
    void ResetSettings() override;
    // Also take over s's position as the offset, and clear the drawn flag.
    void SetSettings(const GraphicsSettings& s) override;
    float GetDestX() const override { return m_Offset.x; }
    float GetDestY() const override { return m_Offset.y; }

    // Always true. The outermost batch restarts the shared buffers.
    bool BeginBatch();
    // Draws this context's slices; true when the target's scene ended well.
    bool EndBatch();

    // The settings' frame into the settings' polygon.
    void Draw();
    void Draw(float x, float y);
    // The settings' polygon in the composed colour.
    void FillPolygon();
    void FillRect(const Rectangle_t<float>& rect);
    // The whole target.
    void Fill();
    void DrawLine(float x1, float y1, float x2, float y2);
    // The outline of the settings' polygon; contract pulls its right and
    // bottom edges one pixel in.
    void DrawPolygon(bool contract);
    // Clears the target to the composed colour.
    void Clear();

    // The new top is the old top * m (m acts first).
    void PushTransformation(const Matrix3x3& m);
    void PushTranslation(float x, float y);
    // Pushes m as it is, without the old top.
    void SetTransformation(const Matrix3x3& m);
    // Pushes p, moved by the transformation in force and cut to the clip in
    // force.
    void PushClipPolygon(const PolygonF& p);
    void PopTransformation();
    void PopClipPolygon();
    ZQVector<Matrix3x3>& GetTransformationStack() { return m_TransformationStack; }
    ZQVector<PolygonF>& GetClipStack() { return m_ClipStack; }

    void AddOffset(const Point_t<float>& offset);
    void SubOffset(const Point_t<float>& offset);
    void AddOffset(float x, float y) { AddOffset(Point_t<float>(x, y)); }
    void SubOffset(float x, float y) { SubOffset(Point_t<float>(x, y)); }
    const Point_t<float>& GetOffset() const { return m_Offset; }

    // Alpha in the top byte over the 24-bit colour.
    uint32_t GetComposedColor() const;
    // The frame, and its pixel rectangle as the polygon.
    void SetImageFrameAndPolygon(ImageFrame* frame);

    // Cleared by SetSettings and ResetSettings; drawing does not read it.
    void SetDrawnFlag(uint8_t flag) { m_nDrawnFlag = flag; }
    uint8_t GetDrawnFlag() const { return m_nDrawnFlag; }

    iRenderTarget* GetRenderTarget() const { return m_pRenderTarget; }
    bool IsInBatch() const { return m_bInBatch; }
    const Rectangle_t<float>& GetTargetRect() const { return m_TargetRect; }
    unsigned int GetUsedSliceCount() const { return m_nUsedSlices; }
    int GetSliceListSize() const { return m_Slices.size(); }
    const VertexBufferSlice& GetSlice(int i) const { return m_Slices[i]; }

protected:
    // A slice of the shared buffers, or one whose vertex buffer is null
    // when the buffers are unlocked or too full.
    VertexBufferSlice& TakeSlice(unsigned int vertices, unsigned int indices);
    // The polygon as a triangle fan.
    void AddDrawOperation(const PolygonF& polygon, ImageFrame* frame, bool alphaBlend);
    void DoDrawOperations();

private:
    enum eClipResult { CLIPPED_AWAY, CLIP_USE_POLYGON, CLIP_USE_INTERSECTION, CLIP_USE_CLIP };
    // How the destination polygon meets the clip in force.
    eClipResult ClassifyAgainstClip() const;
    // The geometry to draw for a classification, with the point flags that
    // new points take from the destination polygon.
    const PolygonF& ClippedGeometry(eClipResult result, unsigned int flags);
    bool AlphaBlendFor(const ImageFrame* frame) const;
    // CreateDestPolyMatrix for an m known to hold the identity, as every
    // draw's own matrix does: the test for it is spared.
    bool PlaceUnderStackTop(Matrix3x3& m) const;
    // The settings' polygon through PlaceUnderStackTop into m_DestPolygon.
    void PlaceDestPolygon();
    void LockSharedBuffers(bool discard);
    void UnlockSharedBuffers();
    // Renders the waiting slices now and restarts the shared buffers, when
    // this is the only open batch, draws into the back buffer and has at
    // least EARLY_SUBMIT_VERTICES vertices waiting, unless a texture target
    // drawn later in the batch would go through the back buffer.
    void SubmitIfLarge();
    void OpenScene();
    // Ends the scene an early submission opened; false when it ended badly.
    bool CloseScene();

    iRenderTarget* m_pRenderTarget;  // not owned
    ZQVector<PolygonF> m_ClipStack;
    ZQVector<Matrix3x3> m_TransformationStack;
    Rectangle_t<float> m_TargetRect;
    PolygonF m_DestPolygon;
    PolygonF m_ClippedPolygon;
    ZQVector<VertexBufferSlice> m_Slices;
    unsigned int m_nUsedSlices = 0;
    bool m_bInBatch = false;
    // The target's scene, begun by an early submission, is still open.
    bool m_bSceneOpen = false;
    // Parts of this batch were rendered before its end.
    bool m_bSubmittedEarly = false;
    // A scene closed before the end of the batch ended badly.
    bool m_bSceneFailed = false;
    Point_t<float> m_Offset;
    uint8_t m_nDrawnFlag = 0;
};

}  // namespace ZQ2
