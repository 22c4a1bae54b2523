#include "engine/math/Vector3DF.h"

#include <cmath>

namespace ZQ2 {

namespace {

constexpr float kParallelTolerance = 0.001f;

}  // namespace

float Vector3DF::Length() const { return std::sqrt(x * x + y * y + z * z); }

float Vector3DF::Length2D() const { return std::sqrt(x * x + y * y); }

float Vector3DF::Module2D(const Vector3DF& v) const { return std::sqrt(x * v.x + y * v.y); }

float Vector3DF::Normalize() {
    const float length = Length();
    if (length == 0.0f)
        return length;
    x /= length;
    y /= length;
    z /= length;
    return length;
}

float Vector3DF::NormalizeTo(Vector3DF& out) const {
    out = *this;
    return out.Normalize();
}

float Vector3DF::GetMaxAbsComponent(eAxis& axis) const {
    axis = AXIS_X;
    float best = std::fabs(x);
    if (std::fabs(y) > best) {
        axis = AXIS_Y;
        best = std::fabs(y);
    }
    if (std::fabs(z) > best) {
        axis = AXIS_Z;
        best = std::fabs(z);
    }
    return best;
}

float Vector3DF::GetMinAbsComponent(eAxis& axis) const {
    axis = AXIS_X;
    float best = std::fabs(x);
    if (std::fabs(y) < best) {
        axis = AXIS_Y;
        best = std::fabs(y);
    }
    if (std::fabs(z) < best) {
        axis = AXIS_Z;
        best = std::fabs(z);
    }
    return best;
}

void Vector3DF::Decompose(const Vector3DF& v, Vector3DF& parallel, Vector3DF& perpendicular) const {
    Vector3DF u;
    NormalizeTo(u);
    parallel = u * u.Dot(v);
    perpendicular = v - parallel;
}

void Vector3DF::ArbitraryNormal(Vector3DF& out) const {
    // Zero the component that matters least and swap the other two, one negated.
    const float ax = std::fabs(x);
    const float ay = std::fabs(y);
    const float az = std::fabs(z);
    if (ax >= ay && ay <= az) {
        if (ax <= az && ax > kParallelTolerance)
            out = Vector3DF(-z, 0.0f, x);
        else
            out = Vector3DF(z, 0.0f, -x);
    } else if (ax < ay && ax <= az) {
        if (ay <= az)
            out = Vector3DF(0.0f, -z, y);
        else
            out = Vector3DF(0.0f, z, -y);
    } else if (ax > ay) {
        out = Vector3DF(y, -x, 0.0f);
    } else {
        out = Vector3DF(-y, x, 0.0f);
    }
}

bool Vector3DF::IsParallelTo(const Vector3DF& v) const {
    Vector3DF u;
    Vector3DF w;
    NormalizeTo(u);
    v.NormalizeTo(w);
    return std::fabs(1.0f - std::fabs(u.Dot(w))) <= kParallelTolerance;
}

}  // namespace ZQ2
