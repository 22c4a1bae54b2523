#include "engine/math/GameMath.h"

#include <climits>
#include <cmath>

#include "engine/core/Random.h"
#include "engine/math/PolygonF.h"

namespace ZQ2 {

namespace GameMath {

namespace {

constexpr float kPi = 3.1415927f;

}  // namespace

int Mod(int a, int b) {
    if (b == 0 || b == -1)  // -1 also: INT_MIN % -1 overflows
        return 0;
    int r = a % b;
    if (r != 0 && (r < 0) != (b < 0))
        r += b;
    return r;
}

float Mod(float a, float b) {
    float r = std::fmod(a, b);
    if (r != 0.0f && (r < 0.0f) != (b < 0.0f)) {
        r += b;
        if (r == b)  // a tiny remainder rounded up to b itself
            r = 0.0f;
    }
    return r;
}

float CalcDistance(float x1, float y1, float x2, float y2) {
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    return std::sqrt(dx * dx + dy * dy);
}

double CalcDistance(double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    return std::sqrt(dx * dx + dy * dy);
}

int CalcDistance(int x1, int y1, int x2, int y2) {
    const double dx = static_cast<double>(x2) - x1;
    const double dy = static_cast<double>(y2) - y1;
    return static_cast<int>(std::sqrt(dx * dx + dy * dy));
}

float CalcLineAngle(float dx, float dy) {
    if (dx == 0.0f && dy == 0.0f)
        return 0.0f;
    float angle = std::atan(dy / dx);
    if (dx < 0.0f)
        angle += dy >= 0.0f ? kPi : -kPi;
    return angle;
}

void CalcNormal(float x1, float y1, float x2, float y2, float& nx, float& ny) {
    const float length = CalcDistance(x1, y1, x2, y2);
    if (length == 0.0f) {
        nx = 0.0f;
        ny = 0.0f;
        return;
    }
    nx = (y1 - y2) / length;
    ny = -(x1 - x2) / length;
}

Point_t<float> Average(const Point_t<float>& a, const Point_t<float>& b, float t) { return a + (b - a) * t; }

float FindNearestPoint(const Point_t<float>& p, const Point_t<float>& a, const Point_t<float>& b,
                       Point_t<float>* out) {
    const float da = (p - a).Dot(b - a);
    const float db = (p - b).Dot(a - b);
    if (da < 0.0f) {
        if (out && out != &a)
            *out = a;
        return da;
    }
    if (db < 0.0f) {
        if (out && out != &b)
            *out = b;
        return -db;
    }
    if (out) {
        // da + db is the squared length; both are 0 only when a, b and p coincide.
        const float sum = da + db;
        const float t = sum > 0.0f ? da / sum : 0.0f;
        *out = a + (b - a) * t;
    }
    return 0.0f;
}

bool CalculateNewSpeedAndPosition(int ms, float& position, float target, float& speed, float maxSpeed,
                                  float acceleration, float deceleration, bool allowReverse) {
    const float oldPosition = position;
    const float step = static_cast<float>(ms) / 1000.0f;
    const float braking = speed * speed / (2.0f * deceleration);
    if (braking > std::fabs(target - position)) {
        const float slow = deceleration * step;
        if (speed > 0.0f)
            speed = speed > slow ? speed - slow : 0.0f;
        else if (speed < 0.0f)
            speed = -speed > slow ? speed + slow : 0.0f;
    } else if (target > position) {
        speed += acceleration * step;
        if (speed > maxSpeed)
            speed = maxSpeed;
    } else if (allowReverse) {
        speed -= acceleration * step;
        if (speed < -maxSpeed)
            speed = -maxSpeed;
    }
    position += static_cast<float>(ms) * speed / 1000.0f;

    const float before = target - oldPosition;
    const float after = target - position;
    if ((before > 0.0f && after <= 0.0f) || (before < 0.0f && after >= 0.0f)) {
        position = target;
        speed = 0.0f;
    }
    return target > oldPosition;
}

int GetRandomFromDistribution(const int* weights, int count) {
    if (!weights || count <= 0)
        return count - 1;
    long long sum = 0;
    for (int i = 0; i < count; ++i)
        sum += weights[i];
    if (sum <= 0)
        return count - 1;
    if (sum > INT_MAX)
        sum = INT_MAX;
    const int r = Random::Instance()->GetInt(0, static_cast<int>(sum));
    long long running = 0;
    for (int i = 0; i < count; ++i) {
        running += weights[i];
        if (running > r)
            return i;
    }
    return count - 1;
}

void ComputeSpline(float p0, float p1, float t0, float t1, int steps, ZQVector<float>& out) {
    if (steps < 1)
        return;
    const double a = 2.0 * p0 - 2.0 * p1 + t0 + t1;
    const double b = -3.0 * p0 + 3.0 * p1 - 2.0 * t0 - t1;
    const float d = 1.0f / static_cast<float>(steps);
    for (double t = 0.0; t <= 1.0; t += d)
        out.push_back(static_cast<float>(((a * t + b) * t + t0) * t + p0));
}

namespace {

// Edges running left, or straight down, are the ones pulled in.
bool IsShiftedEdge(const Point_t<float>& d) {
    return d.x < 0.0f || (std::fabs(d.x) <= SMALL_FLOAT && d.y > 0.0f);
}

Point_t<float> UnitDirection(const Point_t<float>& from, const Point_t<float>& to) {
    Point_t<float> d = to - from;
    d.Normalize();
    return d;
}

}  // namespace

void ContractInnerPolygon(PolygonF& polygon) {
    const int count = polygon.GetCount();
    if (count < 2)
        return;
    Point_t<float> d = UnitDirection(polygon.Get(0), polygon.Get(1));
    bool shifted = IsShiftedEdge(d);
    // Up to count itself, so that point 0 gets the moves of both its edges too.
    for (int i = 1; i <= count; ++i) {
        const Point_t<float> next = UnitDirection(polygon.Get(i), polygon.Get(i + 1));
        const bool nextShifted = IsShiftedEdge(next);
        PolygonPointF& p = polygon.At(i);
        if (shifted)
            p += Point_t<float>(-d.y, d.x);
        if (nextShifted)
            p += Point_t<float>(-next.y, next.x);
        d = next;
        shifted = nextShifted;
    }
}

void SmoothenPolygon(const PolygonF& in, PolygonF& out, int steps, bool clampEnds) {
    SmoothenPolygon(in, out, 0, in.GetLineCount(), steps, clampEnds);
}

void SmoothenPolygon(const PolygonF& in, PolygonF& out, int first, int last, int steps, bool clampEnds) {
    PolygonF result;
    result.SetClosed(in.IsClosed());
    const int count = in.GetCount();
    if (count == 0 || last < first || steps < 1) {
        out = in;
        return;
    }
    const bool wraps = in.IsClosed();
    // Catmull-Rom tangent at point k; one-sided at the ends of an open polyline.
    auto tangent = [&](int k) {
        if (clampEnds && (k == first || k == last))
            return Point_t<float>();
        const int prev = (!wraps && k <= 0) ? 0 : k - 1;
        const int next = (!wraps && k >= count - 1) ? count - 1 : k + 1;
        return (in.Get(next) - in.Get(prev)) * (next - prev == 2 ? 0.5f : 1.0f);
    };
    for (int k = first; k < last; ++k) {
        const PolygonPointF& a = in.Get(k);
        const PolygonPointF& b = in.Get(k + 1);
        const Point_t<float> ta = tangent(k);
        const Point_t<float> tb = tangent(k + 1);
        ZQVector<float> xs;
        ZQVector<float> ys;
        ComputeSpline(a.x, b.x, ta.x, tb.x, steps, xs);
        ComputeSpline(a.y, b.y, ta.y, tb.y, steps, ys);
        result.Add(a);
        for (int n = 1; n < steps && n < xs.size() && n < ys.size(); ++n) {
            PolygonPointF p(a);
            p.x = xs[n];
            p.y = ys[n];
            result.Add(p);
        }
    }
    // The end point, unless a closed outline came round to its start again.
    if (!(wraps && last - first >= count))
        result.Add(in.Get(last));
    out = result;
}

}  // namespace GameMath

}  // namespace ZQ2
