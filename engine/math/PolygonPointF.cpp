#include "engine/math/PolygonPointF.h"

#include <cmath>

#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/math/GameMath.h"
#include "engine/math/Matrix3x3.h"

namespace ZQ2 {

PolygonPointF::PolygonPointF(AbstractProperty* prop) {
    if (!prop)
        return;
    const PropertyNode* node = prop->ToNode();
    if (node->HasProperty("x"))
        x = node->GetValue("x")->ToFloat();
    if (node->HasProperty("y"))
        y = node->GetValue("y")->ToFloat();
    if (node->HasProperty("color"))
        color = static_cast<unsigned int>(node->GetValue("color")->ToInt());
    if (node->HasProperty("u"))
        u = node->GetValue("u")->ToFloat();
    if (node->HasProperty("v"))
        v = node->GetValue("v")->ToFloat();
}

bool PolygonPointF::Equals(const PolygonPointF& other, const PointFlags& flags) const {
    const float tolerance = GameMath::SMALL_FLOAT;
    if (flags.IsSet(POINT_X) && !(std::fabs(x - other.x) <= tolerance))
        return false;
    if (flags.IsSet(POINT_Y) && !(std::fabs(y - other.y) <= tolerance))
        return false;
    if (flags.IsSet(POINT_U) && !(std::fabs(u - other.u) <= tolerance))
        return false;
    if (flags.IsSet(POINT_V) && !(std::fabs(v - other.v) <= tolerance))
        return false;
    if (flags.IsSet(POINT_COLOR) && (color & 0x00FFFFFFu) != (other.color & 0x00FFFFFFu))
        return false;
    if (flags.IsSet(POINT_ALPHA) && (color & 0xFF000000u) != (other.color & 0xFF000000u))
        return false;
    return true;
}

int PolygonPointF::CalcSideOfLine(const Point_t<float>& a, const Point_t<float>& b) const {
    const float d = (a.x - x) * (b.y - y) - (b.x - x) * (a.y - y);
    if (std::fabs(d) <= GameMath::SMALL_FLOAT)
        return LINESIDE_ON;
    return d > 0.0f ? LINESIDE_INNER : LINESIDE_OUTER;
}

float PolygonPointF::DistanceTo(const Point_t<float>& p) const { return std::sqrt(DistanceToSquared(p)); }

float PolygonPointF::DistanceToSquared(const Point_t<float>& p) const {
    const float dx = p.x - x;
    const float dy = p.y - y;
    return dx * dx + dy * dy;
}

float PolygonPointF::DistanceFromLine(const Point_t<float>& a, const Point_t<float>& b) const {
    const float length = (b - a).Length();
    if (length == 0.0f)
        return DistanceTo(a);
    return std::fabs((b.x - a.x) * (a.y - y) - (a.x - x) * (b.y - a.y)) / length;
}

void PolygonPointF::Transform(Point_t<float>& p, const Matrix3x3& m) {
    const float px = p.x;
    const float py = p.y;
    p.x = m(0, 0) * px + m(0, 1) * py + m(0, 2);
    p.y = m(1, 0) * px + m(1, 1) * py + m(1, 2);
}

}  // namespace ZQ2
