#pragma once
// A 2D point or vector; used for positions, anchors and polygon corners.
#include <cmath>

namespace ZQ2 {

template <class T>
class Point_t {
public:
    Point_t() = default;
    Point_t(T px, T py) : x(px), y(py) {}
    Point_t(const Point_t&) = default;
    Point_t& operator=(const Point_t&) = default;
    virtual ~Point_t() = default;

    void Set(T px, T py) {
        x = px;
        y = py;
    }

    T Length() const { return static_cast<T>(std::sqrt(x * x + y * y)); }

    // A zero vector stays zero rather than turning into NaN.
    void Normalize() {
        const T length = Length();
        if (length == 0) {
            x = 0;
            y = 0;
            return;
        }
        x /= length;
        y /= length;
    }

    void RoundDown() {
        x = static_cast<T>(std::floor(x));
        y = static_cast<T>(std::floor(y));
    }

    Point_t operator+(const Point_t& o) const { return Point_t(x + o.x, y + o.y); }
    Point_t operator-(const Point_t& o) const { return Point_t(x - o.x, y - o.y); }
    Point_t operator*(T f) const { return Point_t(x * f, y * f); }
    Point_t& operator+=(const Point_t& o) {
        x += o.x;
        y += o.y;
        return *this;
    }
    Point_t& operator-=(const Point_t& o) {
        x -= o.x;
        y -= o.y;
        return *this;
    }
    bool operator==(const Point_t& o) const { return x == o.x && y == o.y; }
    bool operator!=(const Point_t& o) const { return !(*this == o); }

    T Dot(const Point_t& o) const { return x * o.x + y * o.y; }

    T x = 0;
    T y = 0;
};

using PointF = Point_t<float>;
using PointI = Point_t<int>;

}  // namespace ZQ2
