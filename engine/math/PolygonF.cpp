#include "engine/math/PolygonF.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyVector.h"
#include "engine/math/GameMath.h"
#include "engine/math/Matrix3x3.h"

namespace ZQ2 {

const RTTI* const PolygonF::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI PolygonF::rtti("PolygonF", PolygonF::rttis);

namespace {

constexpr float kSmall = GameMath::SMALL_FLOAT;
constexpr double kSmallDouble = GameMath::SMALL_DOUBLE;
// IntersectConvex gives up after this many rounds, whatever the input.
constexpr int kMaxClipRounds = 1000;

// (a - p) x (b - p): positive when p lies right of a -> b on screen.
float EdgeTest(const Point_t<float>& p, const Point_t<float>& a, const Point_t<float>& b) {
    return (a.x - p.x) * (b.y - p.y) - (b.x - p.x) * (a.y - p.y);
}

bool WantsUV(const PointFlags& flags) { return flags.AreSet(POINT_UV); }
bool WantsColor(const PointFlags& flags) { return flags.AreSet(POINT_COLOR_ALPHA); }

uint32_t Channel(uint32_t color, int shift) { return (color >> shift) & 0xFFu; }

uint32_t ClampByte(long long v) { return static_cast<uint32_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// Weighted byte-wise blend; the weights add up to 256.
uint32_t BlendColors(const uint32_t* colors, const int* weights, int count) {
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        long long sum = 0;
        for (int k = 0; k < count; ++k)
            sum += (static_cast<long long>(Channel(colors[k], shift)) * weights[k]) >> 8;
        result |= ClampByte(sum) << shift;
    }
    return result;
}

// No edge of polygon sees p on its outer side.
bool InsideOrOn(const PolygonF& polygon, const PolygonPointF& p) {
    const int lines = polygon.GetLineCount();
    for (int i = 0; i < lines; ++i) {
        if (p.CalcSideOfLine(polygon.Get(i), polygon.Get(i + 1)) == LINESIDE_OUTER)
            return false;
    }
    return true;
}

int WeightOf(float fraction) {
    const float w = fraction * 256.0f;
    if (!(w > 0.0f))
        return 0;
    return w >= 256.0f ? 256 : static_cast<int>(w);
}

}  // namespace

PolygonF::PolygonF() = default;

PolygonF::PolygonF(const Rectangle_t<float>& rect) { ResetToRect(rect); }

PolygonF::PolygonF(AbstractProperty* prop) {
    SetAllStale();
    if (!prop)
        return;
    if (prop->GetType() == PROPERTY_VECTOR) {
        const PropertyVector* vector = prop->ToVector();
        for (const SmartPtr<AbstractProperty>& element : *vector) {
            if (element)
                m_Points.push_back(PolygonPointF(element.Get()));
        }
        return;
    }
    if (prop->GetType() == PROPERTY_NODE)
        ResetToRect(Rectangle_t<float>(prop));
}

PolygonF::PolygonF(const PolygonF& other)
    : BaseObject(other),
      m_bBoundsStale(other.m_bBoundsStale),
      m_bConvexStale(other.m_bConvexStale),
      m_bRectStale(other.m_bRectStale),
      m_bIsRect(other.m_bIsRect),
      m_bIsConvex(other.m_bIsConvex),
      m_bClosed(other.m_bClosed),
      m_Points(other.m_Points),
      m_BoundingRect(other.m_BoundingRect) {}

// The same points have the same bounds and shape: the caches come along.
PolygonF& PolygonF::operator=(const PolygonF& other) {
    if (this == &other)
        return *this;
    // Points of the same count are assigned over, not made anew.
    if (m_Points.size() == other.m_Points.size())
        std::copy(other.m_Points.begin(), other.m_Points.end(), m_Points.begin());
    else
        m_Points = other.m_Points;
    m_bClosed = other.m_bClosed;
    m_bBoundsStale = other.m_bBoundsStale;
    m_bConvexStale = other.m_bConvexStale;
    m_bRectStale = other.m_bRectStale;
    m_bIsRect = other.m_bIsRect;
    m_bIsConvex = other.m_bIsConvex;
    m_BoundingRect = other.m_BoundingRect;
    return *this;
}

PolygonF& PolygonF::operator=(const Rectangle_t<float>& rect) {
    ResetToRect(rect);
    return *this;
}

void PolygonF::SetAllStale() {
    m_bBoundsStale = true;
    m_bConvexStale = true;
    m_bRectStale = true;
}

void PolygonF::ResetToRect(const Rectangle_t<float>& rect) {
    m_BoundingRect = rect;
    ResetToBoundingRect();
}

void PolygonF::ResetToBoundingRect() {
    const Region_t<float> r(m_BoundingRect);
    m_Points.resize(4);
    const float corners[4][4] = {
        {r.minX, r.minY, 0, 0}, {r.maxX, r.minY, 1, 0}, {r.maxX, r.maxY, 1, 1}, {r.minX, r.maxY, 0, 1}};
    for (int k = 0; k < 4; ++k) {
        PolygonPointF& p = m_Points[k];
        p.x = corners[k][0];
        p.y = corners[k][1];
        p.u = corners[k][2];
        p.v = corners[k][3];
    }
    // Kept with a positive size, as a recomputation would give it.
    m_BoundingRect.SetBounds(r);
    m_bBoundsStale = false;
    m_bIsRect = true;
    m_bRectStale = false;
    m_bIsConvex = true;
    m_bConvexStale = false;
}

void PolygonF::Add(const PolygonPointF& point) {
    m_Points.push_back(point);
    SetAllStale();
}

void PolygonF::Insert(int index, const PolygonPointF& point) {
    index = index < 0 ? 0 : (index > GetCount() ? GetCount() : index);
    m_Points.insert(m_Points.begin() + index, &point, &point + 1);
    SetAllStale();
}

void PolygonF::Insert(PolygonPointF* position, const PolygonPointF& point) {
    Insert(static_cast<int>(position - m_Points.begin()), point);
}

void PolygonF::Erase(int index) {
    if (index < 0 || index >= GetCount())
        return;
    m_Points.erase(m_Points.begin() + index, m_Points.begin() + index + 1);
    SetAllStale();
}

void PolygonF::Erase(PolygonPointF* position) { Erase(static_cast<int>(position - m_Points.begin())); }

void PolygonF::Clear() {
    m_Points.clear();
    SetAllStale();
}

int PolygonF::GetIdx(int i) const {
    const int count = GetCount();
    if (count == 0)
        return 0;
    const int r = i % count;
    return r < 0 ? r + count : r;
}

PolygonPointF& PolygonF::At(int i) {
    SetAllStale();
    return m_Points[GetIdx(i)];
}

const PolygonPointF& PolygonF::Get(int i) const { return m_Points[GetIdx(i)]; }

void PolygonF::Reverse() {
    m_Points.reverse();
    m_bConvexStale = true;
    m_bRectStale = true;
}

void PolygonF::Translate(const Point_t<float>& offset) {
    for (PolygonPointF& p : m_Points)
        p += offset;
    m_bBoundsStale = true;
}

void PolygonF::Transform(const Matrix3x3& m) {
    if (TransformRectangle(m))
        return;
    for (PolygonPointF& p : m_Points)
        PolygonPointF::Transform(p, m);
    m_bConvexStale = true;
    if (!IsConvex())
        Reverse();
    m_bBoundsStale = true;
    m_bRectStale = true;
}

// Moving and stretching by positive factors along the axes keeps each
// coordinate's order, so a rectangle stays one, convex and clockwise, and
// its bounds are its first and third corners: nothing to test again. The
// points get exactly the general formula's values, x * sx + y * 0 + tx
// being x * sx + tx.
bool PolygonF::TransformRectangle(const Matrix3x3& m) {
    if (m_bRectStale || !m_bIsRect || m(0, 1) != 0.0f || m(1, 0) != 0.0f || !(m(0, 0) > 0.0f) ||
        !(m(1, 1) > 0.0f) || m(2, 0) != 0.0f || m(2, 1) != 0.0f || m(2, 2) != 1.0f)
        return false;
    const float sx = m(0, 0);
    const float sy = m(1, 1);
    const float tx = m(0, 2);
    const float ty = m(1, 2);
    for (PolygonPointF& p : m_Points) {
        p.x = sx * p.x + tx;
        p.y = sy * p.y + ty;
    }
    const PolygonPointF& first = m_Points[0];
    const PolygonPointF& third = m_Points[2];
    m_BoundingRect.SetBounds(Region_t<float>(first.x, first.y, third.x, third.y));
    m_bBoundsStale = false;
    m_bIsConvex = true;
    m_bConvexStale = false;
    return true;
}

void PolygonF::Grow(float d) {
    const int count = GetCount();
    if (count < 2)
        return;
    // Unit direction of every edge i -> i + 1, from the positions before the move.
    ZQVector<Point_t<float>> directions(count, count);
    for (int i = 0; i < count; ++i) {
        directions[i] = Get(i + 1) - Get(i);
        directions[i].Normalize();
    }
    for (int i = 0; i < count; ++i) {
        const Point_t<float>& in = directions[GetIdx(i - 1)];
        const Point_t<float>& out = directions[i];
        m_Points[i].x += d * (in.y + out.y);
        m_Points[i].y -= d * (in.x + out.x);
    }
    m_bBoundsStale = true;
}

void PolygonF::SetColor(unsigned int rgb) {
    for (PolygonPointF& p : m_Points)
        p.color = (p.color & 0xFF000000u) | (rgb & 0x00FFFFFFu);
}

void PolygonF::SetComposedColor(unsigned int argb) {
    for (PolygonPointF& p : m_Points)
        p.color = argb;
}

// A factor of 256 leaves its channel as it is, as 254 and 255 must. Points
// mostly share one colour, whose product is worked out once.
void PolygonF::MultiplyComposedColor(unsigned int argb) {
    uint32_t factors[4];
    bool scales = false;
    for (int k = 0; k < 4; ++k) {
        const uint32_t multiplier = Channel(argb, 8 * k);
        scales = scales || multiplier < 254;
        factors[k] = multiplier < 254 ? multiplier : 256;
    }
    if (!scales)
        return;
    auto multiply = [&factors](uint32_t color) {
        return (Channel(color, 0) * factors[0] >> 8) | (Channel(color, 8) * factors[1] >> 8) << 8 |
               (Channel(color, 16) * factors[2] >> 8) << 16 | (Channel(color, 24) * factors[3] >> 8) << 24;
    };
    // Black stays black whatever the factors.
    uint32_t lastIn = 0;
    uint32_t lastOut = 0;
    for (PolygonPointF& p : m_Points) {
        if (p.color != lastIn) {
            lastIn = p.color;
            lastOut = multiply(lastIn);
        }
        p.color = lastOut;
    }
}

void PolygonF::TransformUV(float left, float top, float width, float height, bool flipU, bool flipV) {
    for (PolygonPointF& p : m_Points) {
        const float u = flipU ? 1.0f - p.u : p.u;
        const float v = flipV ? 1.0f - p.v : p.v;
        p.u = left + width * u;
        p.v = top + height * v;
    }
}

void PolygonF::MapUVToPosition(float width, float height) {
    for (PolygonPointF& p : m_Points) {
        p.u = width != 0.0f ? p.x / width : 0.0f;
        p.v = height != 0.0f ? p.y / height : 0.0f;
    }
}

const Rectangle_t<float>& PolygonF::GetBoundingRect() const {
    if (!m_bBoundsStale)
        return m_BoundingRect;
    m_bBoundsStale = false;
    if (m_Points.empty()) {
        m_BoundingRect = Rectangle_t<float>();
        return m_BoundingRect;
    }
    Region_t<float> region = g_EmptyRegionF;
    GetMaxRegion(region);
    m_BoundingRect.SetBounds(region);
    return m_BoundingRect;
}

void PolygonF::GetMaxRegion(Region_t<float>& region) const {
    for (const PolygonPointF& p : m_Points)
        region.AddPoint(p.x, p.y);
}

bool PolygonF::IsRectangle() const {
    if (!m_bRectStale)
        return m_bIsRect;
    m_bRectStale = false;
    m_bIsRect = false;
    if (GetCount() != 4)
        return false;
    const PolygonPointF& p0 = m_Points[0];
    const PolygonPointF& p1 = m_Points[1];
    const PolygonPointF& p2 = m_Points[2];
    const PolygonPointF& p3 = m_Points[3];
    m_bIsRect = p0.x == p3.x && p0.y == p1.y && p1.x == p2.x && p2.y == p3.y && p1.x >= p0.x && p3.y >= p0.y;
    return m_bIsRect;
}

bool PolygonF::IsConvex() const {
    if (!m_bConvexStale)
        return m_bIsConvex;
    m_bConvexStale = false;
    m_bIsConvex = true;
    const int count = GetCount();
    if (count < 3)
        return true;
    for (int i = 0; i < count; ++i) {
        // (a - c) x (b - c) for three consecutive points a, b, c.
        if (EdgeTest(Get(i + 2), Get(i), Get(i + 1)) < 0.0f) {
            m_bIsConvex = false;
            break;
        }
    }
    return m_bIsConvex;
}

int PolygonF::GetLineCount() const {
    const int count = GetCount();
    if (m_bClosed)
        return count;
    return count > 0 ? count - 1 : 0;
}

float PolygonF::GetPerimeter() const {
    float perimeter = 0.0f;
    const int lines = GetLineCount();
    for (int i = 0; i < lines; ++i)
        perimeter += Get(i).DistanceTo(Get(i + 1));
    return perimeter;
}

bool PolygonF::EqualsFront(const PolygonPointF& point, const PointFlags& flags) const {
    return !m_Points.empty() && m_Points[0].Equals(point, flags);
}

bool PolygonF::EqualsBack(const PolygonPointF& point, const PointFlags& flags) const {
    return !m_Points.empty() && m_Points[GetCount() - 1].Equals(point, flags);
}

bool PolygonF::Contains(const PolygonPointF& p) const {
    if (!GetBoundingRect().Contains(p.x, p.y))
        return false;
    if (IsRectangle())
        return true;
    const int lines = GetLineCount();
    for (int i = 0; i < lines; ++i) {
        if (p.CalcSideOfLine(Get(i), Get(i + 1)) == LINESIDE_OUTER)
            return false;
    }
    return true;
}

bool PolygonF::Contains(const PolygonF& other) const {
    if (other.GetCount() < 3)
        return true;
    if (GetCount() < 3)
        return false;
    const int lines = GetLineCount();
    for (const PolygonPointF& p : other.m_Points) {
        for (int i = 0; i < lines; ++i) {
            if (p.CalcSideOfLine(Get(i), Get(i + 1)) == LINESIDE_OUTER)
                return false;
        }
    }
    return true;
}

bool PolygonF::TriangleContainsPoint(const Point_t<float>& p, const Point_t<float>& a, const Point_t<float>& b,
                                     const Point_t<float>& c) {
    return EdgeTest(p, a, b) >= -kSmall && EdgeTest(p, b, c) >= -kSmall && EdgeTest(p, c, a) >= -kSmall;
}

int PolygonF::GetLineIntersectState(const PolygonPointF& a0, const PolygonPointF& a1, const PolygonPointF& b0,
                                    const PolygonPointF& b1, IntersectionResult* result) {
    const double dAx = static_cast<double>(a1.x) - a0.x;
    const double dAy = static_cast<double>(a1.y) - a0.y;
    const double dBx = static_cast<double>(b1.x) - b0.x;
    const double dBy = static_cast<double>(b1.y) - b0.y;
    const double ex = static_cast<double>(a0.x) - b0.x;
    const double ey = static_cast<double>(a0.y) - b0.y;
    const double denominator = dAx * dBy - dAy * dBx;
    const double nt = dBx * ey - dBy * ex;
    const double ns = dAx * ey - ex * dAy;

    if (std::fabs(denominator) <= kSmallDouble) {
        if (std::fabs(nt) <= kSmallDouble && std::fabs(ns) <= kSmallDouble)
            return LINES_ON_ONE_LINE;
        return LINES_PARALLEL;
    }
    const double t = nt / denominator;
    const double s = ns / denominator;
    if (!(t >= -kSmallDouble && t < 1.0 && s >= -kSmallDouble && s < 1.0))
        return LINES_APART;
    // Only a segment b that ends on a's inner side (or on a) counts.
    const double side = (static_cast<double>(a0.x) - b1.x) * (static_cast<double>(a1.y) - b1.y) -
                        (static_cast<double>(a0.y) - b1.y) * (static_cast<double>(a1.x) - b1.x);
    if (side < 0.0)
        return LINES_APART;

    if (result) {
        static_cast<PolygonPointF&>(*result) = a0;
        if (std::fabs(t) <= kSmallDouble) {
            result->fractionFirst = 1.0f;
            result->newPoint = false;
        } else {
            result->x = static_cast<float>(a0.x + dAx * t);
            result->y = static_cast<float>(a0.y + dAy * t);
            result->fractionFirst = static_cast<float>(1.0 - t);
            result->newPoint = true;
        }
        result->fractionSecond = static_cast<float>(1.0 - s);
    }
    return LINES_CROSSING;
}

int PolygonF::GetIntersectState(const PolygonF& other, int* mine, int* theirs) const {
    if (mine)
        *mine = -1;
    if (theirs)
        *theirs = -1;
    const int myLines = GetLineCount();
    const int theirLines = other.GetLineCount();
    for (int j = 0; j < theirLines; ++j) {
        for (int i = 0; i < myLines; ++i) {
            if (GetLineIntersectState(other.Get(j), other.Get(j + 1), Get(i), Get(i + 1), nullptr) ==
                LINES_CROSSING) {
                if (mine)
                    *mine = i;
                if (theirs)
                    *theirs = j;
                return LINES_CROSSING;
            }
        }
    }
    return LINES_APART;
}

int PolygonF::GetClipState(const PolygonF& other) const {
    if (GetCount() < 3 || other.GetCount() < 3)
        return CLIP_OUTSIDE;
    if (!GetBoundingRect().Intersects(other.GetBoundingRect()))
        return CLIP_OUTSIDE;
    if (IsRectangle()) {
        if (GetBoundingRect().Contains(other.GetBoundingRect()))
            return CLIP_INSIDE;
        if (other.IsRectangle())
            return CLIP_PARTIAL;
    } else if (other.IsRectangle() && other.GetBoundingRect().Contains(GetBoundingRect())) {
        return CLIP_CONTAINED;
    }
    if (Contains(other))
        return CLIP_INSIDE;
    if (other.Contains(*this))
        return CLIP_CONTAINED;
    return GetIntersectState(other, nullptr, nullptr) == LINES_CROSSING ? CLIP_PARTIAL : CLIP_OUTSIDE;
}

void PolygonF::Intersect(const PolygonF& other, PolygonF& out, const PointFlags& flags) const {
    if ((IsRectangle() && other.IsRectangle()) || (IsConvex() && other.IsConvex()))
        IntersectConvex(other, out, flags);
}

void PolygonF::IntersectConvex(const PolygonF& other, PolygonF& out, const PointFlags& flags) const {
    // Walks both outlines alternately from the first crossing: along one
    // polygon until its outline crosses into the other, then along the other.
    int i = 0;
    int j = 0;
    if (GetIntersectState(other, &i, &j) != LINES_CROSSING)
        return;
    const int startI = i;
    const int startJ = j;
    const int count = GetCount();
    const int otherCount = other.GetCount();
    const PointFlags position(POINT_POSITION);
    const int firstAppended = out.GetCount();
    bool walkThis = true;

    for (int round = 0; round < kMaxClipRounds; ++round) {
        IntersectionResult crossing;
        bool found = false;
        const int steps = walkThis ? count : otherCount;
        for (int step = 0; step < steps && !found; ++step) {
            const int state = walkThis
                                  ? GetLineIntersectState(other.Get(j), other.Get(j + 1), Get(i), Get(i + 1), &crossing)
                                  : GetLineIntersectState(Get(i), Get(i + 1), other.Get(j), other.Get(j + 1), &crossing);
            found = state == LINES_CROSSING;
            if (!found)
                (walkThis ? i : j) += 1;
        }

        if (found) {
            const PolygonPointF& point = crossing;
            if (crossing.newPoint && !out.EqualsBack(point, position) && !out.EqualsFront(point, position)) {
                out.Add(point);
                if (!flags.IsEmpty()) {
                    const float fraction = walkThis ? crossing.fractionFirst : crossing.fractionSecond;
                    InterpolatePoint(out.At(-1), other.Get(j), other.Get(j + 1), fraction, flags);
                }
            }
            walkThis = !walkThis;
        } else {
            // No crossing ahead: the other outline's next corner lies inside.
            const bool fromThis = !walkThis;
            (fromThis ? i : j) += 1;
            const PolygonPointF point = fromThis ? Get(i) : other.Get(j);
            // Such a corner lies inside the other outline, unless the "crossing"
            // the walk began at was only a touch at a corner: then the outlines
            // do not overlap, and there is nothing to draw.
            if (!InsideOrOn(fromThis ? other : *this, point)) {
                while (out.GetCount() > firstAppended)
                    out.Erase(out.GetCount() - 1);
                return;
            }
            if (!out.EqualsFront(point, position) && !out.EqualsBack(point, position)) {
                out.Add(point);
                if (fromThis && !flags.IsEmpty())
                    other.InterpolatePoint(out.At(-1), flags);
            }
        }

        if (round > 0) {
            const bool back = walkThis ? (j - startJ) % otherCount == 0 : (i - startI) % count == 0;
            if (back)
                break;
        }
    }
}

void PolygonF::InterpolatePoint(PolygonPointF& out, const PolygonPointF& a, const PolygonPointF& b, float t,
                                const PointFlags& flags) {
    if (WantsUV(flags)) {
        out.u = t * a.u + (1.0f - t) * b.u;
        out.v = t * a.v + (1.0f - t) * b.v;
    }
    if (WantsColor(flags)) {
        const int w = WeightOf(t);
        const uint32_t colors[2] = {a.color, b.color};
        const int weights[2] = {w, 256 - w};
        out.color = BlendColors(colors, weights, 2);
    }
}

void PolygonF::InterpolatePoint(PolygonPointF& out, const PolygonPointF& a, const PolygonPointF& b,
                                const PolygonPointF& c, const float (&f)[3], const PointFlags& flags) {
    if (WantsUV(flags)) {
        out.u = f[0] * a.u + f[1] * b.u + f[2] * c.u;
        out.v = f[0] * a.v + f[1] * b.v + f[2] * c.v;
    }
    if (WantsColor(flags)) {
        const int w0 = WeightOf(f[0]);
        const int w1 = WeightOf(f[1]);
        const uint32_t colors[3] = {a.color, b.color, c.color};
        const int weights[3] = {w0, w1, 256 - w0 - w1};
        out.color = BlendColors(colors, weights, 3);
    }
}

bool PolygonF::GetBarycentricFractions(const Point_t<float>& p, const Point_t<float>& a, const Point_t<float>& b,
                                       const Point_t<float>& c, float (&f)[3]) {
    const float d0 = (c.x - b.x) * (a.y - b.y) - (c.y - b.y) * (a.x - b.x);
    const float d1 = (a.x - c.x) * (b.y - c.y) - (a.y - c.y) * (b.x - c.x);
    if (d0 == 0.0f || d1 == 0.0f) {
        f[0] = f[1] = f[2] = 1.0f / 3.0f;
        return false;
    }
    f[0] = ((p.y - b.y) * (c.x - b.x) - (p.x - b.x) * (c.y - b.y)) / d0;
    f[1] = ((p.y - c.y) * (a.x - c.x) - (p.x - c.x) * (a.y - c.y)) / d1;
    f[2] = 1.0f - f[0] - f[1];
    return true;
}

void PolygonF::GetBarycentricFractions(const Point_t<float>& p, const Point_t<float>& a, const Point_t<float>& b,
                                       float& fa, float& fb) {
    if (std::fabs(b.x - a.x) > kSmall)
        fa = (p.x - a.x) / (b.x - a.x);
    else if (std::fabs(b.y - a.y) > kSmall)
        fa = (p.y - a.y) / (b.y - a.y);
    else
        fa = 0.5f;
    fb = 1.0f - fa;
}

bool PolygonF::InterpolatePoint(PolygonPointF& p, const PointFlags& flags) const {
    const int count = GetCount();
    for (int k = 0; k + 2 < count; ++k) {
        const PolygonPointF& a = m_Points[0];
        const PolygonPointF& b = m_Points[k + 1];
        const PolygonPointF& c = m_Points[k + 2];
        float f[3];
        if (!TriangleContainsPoint(p, a, b, c) || !GetBarycentricFractions(p, a, b, c, f))
            continue;
        InterpolatePoint(p, a, b, c, f, flags);
        return true;
    }
    if (WantsUV(flags)) {
        p.u = 0.0f;
        p.v = 0.0f;
    }
    if (WantsColor(flags))
        p.color = 0xFFFFFFFFu;
    return false;
}

void PolygonF::InterpolatePointsOf(PolygonF& target, const PointFlags& flags) const {
    for (PolygonPointF& p : target.m_Points)
        InterpolatePoint(p, flags);
}

}  // namespace ZQ2
