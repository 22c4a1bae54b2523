#pragma once
// An axis-aligned area by its corners: the form in which bounds are gathered
// point by point before they become a rectangle.
#include <limits>

namespace ZQ2 {

template <class T>
class Rectangle_t;

template <class T>
class Region_t {
public:
    Region_t() = default;
    Region_t(T x0, T y0, T x1, T y1) : minX(x0), minY(y0), maxX(x1), maxY(y1) {}
    // The corners of r, whatever the signs of its width and height.
    explicit Region_t(const Rectangle_t<T>& r)
        : minX(Min(r.x, r.x + r.width)),
          minY(Min(r.y, r.y + r.height)),
          maxX(Max(r.x, r.x + r.width)),
          maxY(Max(r.y, r.y + r.height)) {}

    // The region that every added point widens: minimum above maximum.
    static Region_t Empty() {
        const T big = std::numeric_limits<T>::max();
        return Region_t(big, big, std::numeric_limits<T>::lowest(), std::numeric_limits<T>::lowest());
    }

    bool IsEmpty() const { return maxX < minX || maxY < minY; }

    void AddPoint(T x, T y) {
        minX = Min(minX, x);
        minY = Min(minY, y);
        maxX = Max(maxX, x);
        maxY = Max(maxY, y);
    }

    T minX = 0;
    T minY = 0;
    T maxX = 0;
    T maxY = 0;

private:
    static T Min(T a, T b) { return b < a ? b : a; }
    static T Max(T a, T b) { return a < b ? b : a; }
};

using RegionF = Region_t<float>;
using RegionI = Region_t<int>;

inline const Region_t<float> g_EmptyRegionF = Region_t<float>::Empty();

}  // namespace ZQ2
