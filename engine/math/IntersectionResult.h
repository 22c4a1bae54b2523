#pragma once
// Where two segments cross, with the fractions that carry colour and texture
// coordinates along each segment.
#include "engine/math/PolygonPointF.h"

namespace ZQ2 {

class IntersectionResult : public PolygonPointF {
public:
    IntersectionResult() = default;

    // 1 - t along the first segment, 1 - s along the second: the weights of
    // each segment's start point.
    float fractionFirst = 0.0f;
    float fractionSecond = 0.0f;
    // False when the crossing is the first segment's start point itself.
    bool newPoint = false;
};

}  // namespace ZQ2
