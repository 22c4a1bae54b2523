#pragma once
// How one thing is drawn: which frame into which polygon, in which colour,
// alpha and blend mode, and placed how (position, anchor, pivot, scale, skew,
// rotation, flips). The placement matrices are a cache, rebuilt only after a
// placing value changed.
#include "engine/core/BitFlags_t.h"
#include "engine/core/Interface.h"
#include "engine/graphics/eBlendMode.h"
#include "engine/math/AnchorPoint.h"
#include "engine/math/Matrix3x3.h"
#include "engine/math/Point_t.h"
#include "engine/math/Rectangle_t.h"

namespace ZQ2 {

class ImageFrame;
class PolygonF;

enum eFlipImage : unsigned int {
    FLIP_IMAGE_HORIZONTAL = 1,
    FLIP_IMAGE_VERTICAL = 2,
};

class GraphicsSettings : public Interface {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    static constexpr int DEFAULT_COLOR = 0xFFFFFF;
    static constexpr int DEFAULT_ALPHA = 255;

    GraphicsSettings();
    // Copies every value and both matrices; the frame and polygon are shared.
    GraphicsSettings(const GraphicsSettings& other);
    GraphicsSettings& operator=(const GraphicsSettings& other);
    ~GraphicsSettings() override;

    const RTTI& GetRTTI() const override { return rtti; }

    // Takes over every value of s, sharing its frame and polygon; the
    // matrices are rebuilt at their next use.
    virtual void SetSettings(const GraphicsSettings& s);
    // Every value back to its default; the frame and polygon are let go.
    virtual void ResetSettings();
    // RGB in the low 24 bits; stored as given.
    virtual void SetColor(int color) { m_nColor = color; }
    // 0 to 255.
    virtual void SetAlpha(int alpha) { m_nAlpha = alpha; }
    virtual void SetScaleU(float scaleU) { m_fScaleU = scaleU; }
    virtual void SetScaleV(float scaleV) { m_fScaleV = scaleV; }
    virtual void SetFlipImageHorizontal(bool flip) { m_FlipFlags.SetFlag(FLIP_IMAGE_HORIZONTAL, flip); }
    virtual void SetFlipImageVertical(bool flip) { m_FlipFlags.SetFlag(FLIP_IMAGE_VERTICAL, flip); }
    virtual void SetBlendMode(eBlendMode mode) { m_eBlendMode = mode; }
    virtual void SetUseAlphaChannel(bool use) { m_bUseAlphaChannel = use; }
    virtual void SetUseColorToFillPolygon(bool use) { m_bUseColorToFillPolygon = use; }
    virtual ImageFrame* GetImageFrame() const { return m_pImageFrame; }
    // The frame's size in pixels; 0 without a frame.
    virtual int GetImageFrameWidth() const;
    virtual int GetImageFrameHeight() const;
    // Rebuilds the matrices when a placing value changed since the last time.
    virtual void UpdateTransformations() const;
    // Whether the settings move, scale, skew or turn what they draw.
    virtual bool IsTransformCoordiantes() const;
    // m := m * placement * T(-anchor), leaving out the parts that do
    // nothing; true when m changed.
    virtual bool CreateDestPolyMatrix(Matrix3x3& m) const;
    // Where the anchor lands; the drawing context and sprites say.
    virtual float GetDestX() const { return 0.0f; }
    virtual float GetDestY() const { return 0.0f; }
    // Shear factors, not angles.
    virtual void SetSkewX(float skew);
    virtual void SetSkewY(float skew);
    virtual void SetScaleX(float scale);
    virtual void SetScaleY(float scale);
    virtual void SetScale(float scale);
    // Radians.
    virtual void SetRotation(float rotation);
    // Explicit coordinates in pixels of the frame.
    virtual void SetAnchorPoint(float x, float y);
    virtual void SetAnchorPoint(const AnchorPoint& anchor);
    // A named position, aligned to the frame's size.
    virtual void SetAnchorPoint(eAnchorPoint type);
    // Every pivot setter ends the link between anchor and pivot.
    virtual void SetPivotPoint(float x, float y);
    virtual void SetPivotPoint(const AnchorPoint& pivot);
    virtual void SetPivotPoint(eAnchorPoint type);
    // While linked, every anchor change is copied to the pivot.
    virtual bool LinkAnchorAndPivot() const { return m_bLinkAnchorAndPivot; }
    virtual void SetLinkAnchorAndPivot(bool link) { m_bLinkAnchorAndPivot = link; }

    // Reference counted: the new one is taken before the old one goes, so
    // setting the same object again is safe.
    void SetImageFrame(ImageFrame* frame);
    // A polygon shared with whoever handed it in; null for none.
    void SetPolygon(PolygonF* polygon);
    // Reshapes the settings' own polygon in place, or makes a new one of its
    // own when the current one is shared or missing.
    void SetPolygon(const Rectangle_t<float>& rect);
    PolygonF* GetPolygon() const { return m_pPolygon; }
    bool IsSharedPolygon() const { return m_bSharedPolygon; }

    const AnchorPoint& GetAnchorPoint() const { return m_AnchorPoint; }
    const AnchorPoint& GetPivotPoint() const { return m_PivotPoint; }
    float GetAnchorPointX() const { return m_AnchorPoint.GetX(); }
    float GetAnchorPointY() const { return m_AnchorPoint.GetY(); }
    float GetPivotPointX() const { return m_PivotPoint.GetX(); }
    float GetPivotPointY() const { return m_PivotPoint.GetY(); }
    // The pivot seen from the anchor.
    Point_t<float> GetTransformationPivotPoint() const;
    // Re-place a named point for a w x h box.
    void AlignAnchorPoint(float w, float h);
    void AlignPivotPoint(float w, float h);
    // Texture coordinates from positions: the frame's size spans 0 to 1.
    void MapUVToPolygonPosition();
    // out := the polygon placed by CreateDestPolyMatrix; false (out empty)
    // without a polygon.
    bool CreateDestPolygon(PolygonF& out) const;

    int GetColor() const { return m_nColor; }
    int GetAlpha() const { return m_nAlpha; }
    float GetScaleU() const { return m_fScaleU; }
    float GetScaleV() const { return m_fScaleV; }
    const BitFlags_t<eFlipImage>& GetFlipFlags() const { return m_FlipFlags; }
    bool IsFlipImageHorizontal() const { return m_FlipFlags.IsSet(FLIP_IMAGE_HORIZONTAL); }
    bool IsFlipImageVertical() const { return m_FlipFlags.IsSet(FLIP_IMAGE_VERTICAL); }
    eBlendMode GetBlendMode() const { return m_eBlendMode; }
    bool IsUseAlphaChannel() const { return m_bUseAlphaChannel; }
    bool IsUseColorToFillPolygon() const { return m_bUseColorToFillPolygon; }
    float GetSkewX() const { return m_fSkewX; }
    float GetSkewY() const { return m_fSkewY; }
    float GetScaleX() const { return m_fScaleX; }
    float GetScaleY() const { return m_fScaleY; }
    float GetRotation() const { return m_fRotation; }

    // The cached matrices, brought up to date first.
    const Matrix3x3& GetTransformationMatrix() const;
    const Matrix3x3& GetInvTransformationMatrix() const;
    bool HasTransformation() const { return IsTransformCoordiantes(); }
    // Whether the matrices wait to be rebuilt; SetDirty makes them.
    bool IsDirty() const { return m_bDirty; }
    void SetDirty() const { m_bDirty = true; }

protected:
    // CreateDestPolyMatrix for an m known to be the identity, which the
    // placement then replaces instead of multiplying it.
    bool ComposeDestPolyMatrix(Matrix3x3& m, bool identity) const;
    // Takes over s's placement matrix, built if it waits, instead of
    // rebuilding the same one: the caller's destination point must be s's.
    void TakePlacementOf(const GraphicsSettings& s);

private:
    void SetPlacingValue(float& field, float value);
    void CopyValues(const GraphicsSettings& s);
    void CopyMatrices(const GraphicsSettings& other);
    void ReleaseObjects();
    bool NeedsTransformation() const;

    float m_fSkewX = 0.0f;
    float m_fSkewY = 0.0f;
    float m_fScaleX = 1.0f;
    float m_fScaleY = 1.0f;
    float m_fRotation = 0.0f;
    AnchorPoint m_AnchorPoint{ANCHOR_TOPLEFT, 0.0f, 0.0f};
    AnchorPoint m_PivotPoint{ANCHOR_TOPLEFT, 0.0f, 0.0f};
    bool m_bLinkAnchorAndPivot = true;
    mutable Matrix3x3 m_Matrix;
    mutable Matrix3x3 m_InvMatrix;
    mutable bool m_bHasTransformation = false;
    mutable bool m_bDirty = true;
    mutable bool m_bInvDirty = true;
    int m_nColor = DEFAULT_COLOR;
    int m_nAlpha = DEFAULT_ALPHA;
    float m_fScaleU = 1.0f;
    float m_fScaleV = 1.0f;
    BitFlags_t<eFlipImage> m_FlipFlags;
    eBlendMode m_eBlendMode = BLENDMODE_BLEND;
    bool m_bUseAlphaChannel = true;
    bool m_bUseColorToFillPolygon = false;
    ImageFrame* m_pImageFrame = nullptr;  // one reference held
    PolygonF* m_pPolygon = nullptr;       // one reference held
    bool m_bSharedPolygon = false;
};

}  // namespace ZQ2
