#pragma once
// A corner of a drawn polygon: position, ARGB colour and texture coordinates.
#include "engine/core/BitFlags_t.h"
#include "engine/math/Point_t.h"

namespace ZQ2 {

class AbstractProperty;
class Matrix3x3;

// Which attributes of a point an operation looks at.
enum ePointFlags {
    POINT_X = 1,
    POINT_Y = 2,
    POINT_COLOR = 4,  // the RGB bytes
    POINT_ALPHA = 8,
    POINT_U = 16,
    POINT_V = 32,
    POINT_POSITION = POINT_X | POINT_Y,
    POINT_COLOR_ALPHA = POINT_COLOR | POINT_ALPHA,
    POINT_UV = POINT_U | POINT_V,
};

using PointFlags = BitFlags_t<ePointFlags>;

// Sides of a directed line, as seen by CalcSideOfLine.
enum eLineSide { LINESIDE_INNER = 0, LINESIDE_ON = 1, LINESIDE_OUTER = 2 };

class PolygonPointF : public Point_t<float> {
public:
    PolygonPointF() = default;
    PolygonPointF(float px, float py) : Point_t<float>(px, py) {}
    explicit PolygonPointF(const Point_t<float>& p) : Point_t<float>(p) {}
    // From property data: "x", "y", "u", "v" (float) and "color" (int); absent
    // keys keep the defaults.
    explicit PolygonPointF(AbstractProperty* prop);
    PolygonPointF(const PolygonPointF&) = default;
    PolygonPointF& operator=(const PolygonPointF&) = default;

    // Flagged components within 0.001 (positions, u, v) or equal (RGB, alpha).
    bool Equals(const PolygonPointF& other, const PointFlags& flags) const;
    // Inner (0) for points right of a -> b on screen, the inside of a
    // clockwise polygon; on the line (1) within 0.001; outer (2) otherwise.
    int CalcSideOfLine(const Point_t<float>& a, const Point_t<float>& b) const;
    float DistanceTo(const Point_t<float>& p) const;
    float DistanceToSquared(const Point_t<float>& p) const;
    // Distance from the line through a and b (from a when they coincide).
    float DistanceFromLine(const Point_t<float>& a, const Point_t<float>& b) const;

    // p through the matrix's upper two rows.
    static void Transform(Point_t<float>& p, const Matrix3x3& m);

    unsigned int color = 0xFFFFFFFFu;
    float u = 0.0f;
    float v = 0.0f;
};

}  // namespace ZQ2
