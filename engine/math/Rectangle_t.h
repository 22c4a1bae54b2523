#pragma once
// An axis-aligned rectangle by its top-left corner and size. The left and top
// edges belong to it, the right and bottom edges do not.
#include "engine/math/Region_t.h"

namespace ZQ2 {

class AbstractProperty;

template <class T>
class Rectangle_t {
public:
    Rectangle_t() = default;
    Rectangle_t(T px, T py, T w, T h) : x(px), y(py), width(w), height(h) {}
    explicit Rectangle_t(const Region_t<T>& region) { SetBounds(region); }
    // From property data: "x", "y", "width", "height", then "minx", "miny",
    // "maxx", "maxy" (which place an edge without changing the size). Absent
    // keys keep 0. Built for float and int.
    explicit Rectangle_t(AbstractProperty* prop);

    void SetSize(T w, T h) {
        width = w;
        height = h;
    }
    void SetLocation(T px, T py) {
        x = px;
        y = py;
    }
    void SetBounds(T px, T py, T w, T h) {
        SetLocation(px, py);
        SetSize(w, h);
    }
    void SetBounds(const Region_t<T>& region) {
        SetBounds(region.minX, region.minY, region.maxX - region.minX, region.maxY - region.minY);
    }

    // Move the rectangle so that the named edge lies at v; the size stays.
    void SetMinX(T v) { x = width >= 0 ? v : v - width; }
    void SetMaxX(T v) { x = width >= 0 ? v - width : v; }
    void SetMinY(T v) { y = height >= 0 ? v : v - height; }
    void SetMaxY(T v) { y = height >= 0 ? v - height : v; }

    T GetRight() const { return x + width; }
    T GetBottom() const { return y + height; }

    bool IsEmpty() const { return width <= 0 || height <= 0; }

    bool Contains(T px, T py) const {
        const T dx = px - x;
        const T dy = py - y;
        return dx >= 0 && dy >= 0 && dx < width && dy < height;
    }

    // A rectangle contains itself; an empty one contains nothing.
    bool Contains(T x2, T y2, T w2, T h2) const {
        if (IsEmpty() || w2 < 0 || h2 < 0)
            return false;
        const T dx = x2 - x;
        const T dy = y2 - y;
        return dx >= 0 && dy >= 0 && dx + w2 <= width && dy + h2 <= height;
    }
    bool Contains(const Rectangle_t& r) const { return Contains(r.x, r.y, r.width, r.height); }

    // Rectangles that only touch do not intersect.
    bool Intersects(T x2, T y2, T w2, T h2) const {
        if (IsEmpty() || w2 < 0 || h2 < 0)
            return false;
        const T dx = x2 - x;
        const T dy = y2 - y;
        return w2 + dx > 0 && h2 + dy > 0 && dx < width && dy < height;
    }
    bool Intersects(const Rectangle_t& r) const { return Intersects(r.x, r.y, r.width, r.height); }

    bool operator==(const Rectangle_t& r) const {
        return x == r.x && y == r.y && width == r.width && height == r.height;
    }
    bool operator!=(const Rectangle_t& r) const { return !(*this == r); }

    T x = 0;
    T y = 0;
    T width = 0;
    T height = 0;
};

using RectangleF = Rectangle_t<float>;
using RectangleI = Rectangle_t<int>;

}  // namespace ZQ2
