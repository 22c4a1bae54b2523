#pragma once
// The engine's drawing and hit-testing shape: a list of points with colour and
// texture coordinates, clockwise on screen when convex. Drawing clips one
// convex polygon by another, carrying colour and texture coordinates along.
#include "engine/core/BaseObject.h"
#include "engine/core/ZQVector.h"
#include "engine/math/IntersectionResult.h"
#include "engine/math/PolygonPointF.h"
#include "engine/math/Rectangle_t.h"
#include "engine/math/Region_t.h"

namespace ZQ2 {

class AbstractProperty;
class Matrix3x3;

// GetLineIntersectState results.
enum eLineIntersectState { LINES_APART = 0, LINES_PARALLEL = 1, LINES_ON_ONE_LINE = 2, LINES_CROSSING = 3 };

// GetClipState results, seen from this polygon (the clip) towards other.
enum eClipState { CLIP_INSIDE = 0, CLIP_OUTSIDE = 1, CLIP_PARTIAL = 2, CLIP_CONTAINED = 3 };

class PolygonF : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    PolygonF();
    explicit PolygonF(const Rectangle_t<float>& rect);
    // A vector gives one point per element, a node a rectangle; null or
    // anything else gives an empty polygon.
    explicit PolygonF(AbstractProperty* prop);
    PolygonF(const PolygonF& other);
    PolygonF& operator=(const PolygonF& other);
    PolygonF& operator=(const Rectangle_t<float>& rect);

    const RTTI& GetRTTI() const override { return rtti; }

    // Building and editing.
    void ResetToRect(const Rectangle_t<float>& rect);
    // The four corners of the bounding rectangle, top left first, clockwise,
    // with texture coordinates 0 to 1; colours are kept.
    void ResetToBoundingRect();
    void Add(const PolygonPointF& point);
    // index is clamped to 0..count.
    void Insert(int index, const PolygonPointF& point);
    void Insert(PolygonPointF* position, const PolygonPointF& point);
    // Indices outside the points are ignored.
    void Erase(int index);
    void Erase(PolygonPointF* position);
    void Clear();

    // Point i mod count; the polygon must not be empty. At lets the caller move
    // the point, so every cache goes stale.
    int GetIdx(int i) const;
    PolygonPointF& At(int i);
    const PolygonPointF& Get(int i) const;
    int GetCount() const { return m_Points.size(); }
    bool IsClosed() const { return m_bClosed; }
    void SetClosed(bool closed) { m_bClosed = closed; }
    const PolygonPointF* begin() const { return m_Points.begin(); }
    const PolygonPointF* end() const { return m_Points.end(); }

    void Reverse();
    void Translate(const Point_t<float>& offset);
    // Every point through m; a mirroring matrix is followed by a reversal, so
    // a convex polygon stays clockwise.
    void Transform(const Matrix3x3& m);
    // Moves every edge d outwards.
    void Grow(float d);

    void SetColor(unsigned int rgb);
    void SetComposedColor(unsigned int argb);
    // Scales each channel by the multiplier's channel / 256; multiplier
    // channels of 254 and 255 count as 1.
    void MultiplyComposedColor(unsigned int argb);
    void TransformUV(float left, float top, float width, float height, bool flipU, bool flipV);
    // u = x / width, v = y / height (0 for a zero size).
    void MapUVToPosition(float width, float height);

    // Queries.
    const Rectangle_t<float>& GetBoundingRect() const;
    float GetWidth() const { return GetBoundingRect().width; }
    float GetHeight() const { return GetBoundingRect().height; }
    // Widens region by every point.
    void GetMaxRegion(Region_t<float>& region) const;
    // Four axis-aligned corners in the order top left, top right, bottom right, bottom left.
    bool IsRectangle() const;
    bool IsConvex() const;
    int GetLineCount() const;
    float GetPerimeter() const;
    bool EqualsFront(const PolygonPointF& point, const PointFlags& flags) const;
    bool EqualsBack(const PolygonPointF& point, const PointFlags& flags) const;

    // Point in polygon: exact for convex polygons; the left and top edges of
    // the bounds belong to the polygon.
    bool Contains(const PolygonPointF& p) const;
    bool Contains(const PolygonF& other) const;
    static bool TriangleContainsPoint(const Point_t<float>& p, const Point_t<float>& a, const Point_t<float>& b,
                                      const Point_t<float>& c);

    // How segment a0-a1 meets b0-b1 (eLineIntersectState). A crossing counts
    // only where b runs from outside to inside of a (b1 on a's inner side).
    static int GetLineIntersectState(const PolygonPointF& a0, const PolygonPointF& a1, const PolygonPointF& b0,
                                     const PolygonPointF& b1, IntersectionResult* result);
    // LINES_CROSSING with the first crossing edges (this polygon's in mine,
    // other's in theirs), else LINES_APART and -1; both pointers may be null.
    int GetIntersectState(const PolygonF& other, int* mine, int* theirs) const;
    // eClipState of other against this polygon.
    int GetClipState(const PolygonF& other) const;

    // Appends the intersection with other to out when both are rectangles or
    // both convex (otherwise out is left as it is); flags choose which
    // attributes new points take from other.
    void Intersect(const PolygonF& other, PolygonF& out, const PointFlags& flags) const;
    void IntersectConvex(const PolygonF& other, PolygonF& out, const PointFlags& flags) const;

    // Attribute interpolation: texture coordinates when both u and v are
    // flagged, colour when both colour and alpha are.
    static void InterpolatePoint(PolygonPointF& out, const PolygonPointF& a, const PolygonPointF& b, float t,
                                 const PointFlags& flags);
    static void InterpolatePoint(PolygonPointF& out, const PolygonPointF& a, const PolygonPointF& b,
                                 const PolygonPointF& c, const float (&f)[3], const PointFlags& flags);
    // False for a degenerate triangle, whose fractions are then 1/3 each.
    static bool GetBarycentricFractions(const Point_t<float>& p, const Point_t<float>& a, const Point_t<float>& b,
                                        const Point_t<float>& c, float (&f)[3]);
    static void GetBarycentricFractions(const Point_t<float>& p, const Point_t<float>& a, const Point_t<float>& b,
                                        float& fa, float& fb);
    // Gives p the attributes of this polygon at its position (through the fan
    // triangles of point 0); false, with white and (0, 0), when p lies outside.
    bool InterpolatePoint(PolygonPointF& p, const PointFlags& flags) const;
    void InterpolatePointsOf(PolygonF& target, const PointFlags& flags) const;

private:
    void SetAllStale();
    // Transform's short way for a known rectangle and a matrix that only
    // moves and stretches it along the axes; false when it does not apply.
    bool TransformRectangle(const Matrix3x3& m);

    mutable bool m_bBoundsStale = false;
    mutable bool m_bConvexStale = false;
    mutable bool m_bRectStale = false;
    mutable bool m_bIsRect = false;
    mutable bool m_bIsConvex = true;
    bool m_bClosed = true;
    ZQVector<PolygonPointF> m_Points;
    mutable Rectangle_t<float> m_BoundingRect;
};

}  // namespace ZQ2
