#pragma once
// A 3D vector of floats, the column vector of the 3x3 matrix's 3D operations.

namespace ZQ2 {

enum eAxis { AXIS_X = 0, AXIS_Y = 1, AXIS_Z = 2 };

class Vector3DF {
public:
    Vector3DF() = default;
    Vector3DF(float px, float py, float pz) : x(px), y(py), z(pz) {}

    float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

    Vector3DF operator+(const Vector3DF& v) const { return {x + v.x, y + v.y, z + v.z}; }
    Vector3DF operator-(const Vector3DF& v) const { return {x - v.x, y - v.y, z - v.z}; }
    Vector3DF operator-() const { return {-x, -y, -z}; }
    Vector3DF operator*(float f) const { return {x * f, y * f, z * f}; }
    bool operator==(const Vector3DF& v) const { return x == v.x && y == v.y && z == v.z; }

    float Dot(const Vector3DF& v) const { return x * v.x + y * v.y + z * v.z; }
    Vector3DF Cross(const Vector3DF& v) const { return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x}; }

    float Length() const;
    float Length2D() const;
    // Square root of the 2D dot product with v.
    float Module2D(const Vector3DF& v) const;

    // Scales to unit length and answers the old length; a zero vector stays as it is.
    float Normalize();
    float NormalizeTo(Vector3DF& out) const;

    // The largest (smallest) absolute component and its axis; ties keep the earlier axis.
    float GetMaxAbsComponent(eAxis& axis) const;
    float GetMinAbsComponent(eAxis& axis) const;

    // Splits v into the part along this vector and the part perpendicular to it.
    void Decompose(const Vector3DF& v, Vector3DF& parallel, Vector3DF& perpendicular) const;
    // Some vector perpendicular to this one.
    void ArbitraryNormal(Vector3DF& out) const;
    bool IsParallelTo(const Vector3DF& v) const;

    float x = 0;
    float y = 0;
    float z = 0;
};

}  // namespace ZQ2
