#pragma once
// A homogeneous 3x3 matrix of floats: every 2D placement of the engine (nodes,
// draw settings, the drawing context's stack), plus 3D linear algebra on
// Vector3DF. Points are column vectors; A * B applies B first.
#include "engine/math/Point_t.h"
#include "engine/math/Vector3DF.h"

namespace ZQ2 {

class Matrix3x3 {
public:
    static const Matrix3x3 IdentityMatrix;
    static const Matrix3x3 ZeroMatrix;
    // Elements closer than this compare equal.
    static const float BasicTolerance;
    // Tolerance of the 3D tests (lengths, orthogonality).
    static float BasicDistanceTol;

    // The identity, or (false) all zeros.
    explicit Matrix3x3(bool identity = true);
    constexpr Matrix3x3(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21,
                        float m22)
        : m_fM{{m00, m01, m02}, {m10, m11, m12}, {m20, m21, m22}} {}
    // A mirror: the identity with -1 on the diagonal of 'X', 'Y' or 'Z' (either case).
    explicit Matrix3x3(char axis);
    // Rotation by angle radians about 'X', 'Y' or 'Z'.
    Matrix3x3(char axis, float angle);
    // The diagonal (sx, sy, sz).
    Matrix3x3(float sx, float sy, float sz);
    // The tensor product a b^T.
    Matrix3x3(const Vector3DF& a, const Vector3DF& b);
    // Rotation by angle radians about axis.
    Matrix3x3(const Vector3DF& axis, float angle);
    // Reflection in the plane with that normal.
    explicit Matrix3x3(const Vector3DF& normal);
    Matrix3x3(const Matrix3x3&) = default;
    Matrix3x3& operator=(const Matrix3x3&) = default;
    virtual ~Matrix3x3() = default;

    void Copy(const Matrix3x3& other) { *this = other; }

    // Unchecked element access.
    float& operator()(int r, int c) { return m_fM[r][c]; }
    float operator()(int r, int c) const { return m_fM[r][c]; }
    // Checked access: -99999 outside the matrix; writes outside are ignored.
    float ElementAt(int r, int c) const;
    void SetElementAt(int r, int c, float value);

    float GetTrace() const;
    float GetLargestDiagonalElement(int& index) const;
    float Determinant() const;
    void Transpose();

    bool operator==(const Matrix3x3& other) const;
    bool operator!=(const Matrix3x3& other) const { return !(*this == other); }

    // this = this * b; answers a copy of the result.
    Matrix3x3 operator*=(const Matrix3x3& b);
    Matrix3x3& operator*=(float f);
    Matrix3x3& operator+=(const Matrix3x3& b);
    Matrix3x3 operator+(const Matrix3x3& b) const;
    Matrix3x3 operator-(const Matrix3x3& b) const;
    Vector3DF operator*(const Vector3DF& v) const;
    // out = M in, for three values.
    void Multiply(const float* in, float* out) const;

    // 2D builders: they write only the named elements, so pass an identity.
    static void MakeTranslationMatrix(Matrix3x3& m, float tx, float ty);
    static void MakeScalingMatrix(Matrix3x3& m, float sx, float sy);
    static void MakeSkewingMatrix(Matrix3x3& m, float kx, float ky);
    static void MakeRotationZMatrix(Matrix3x3& m, float angle);
    // T(x + pivot) R(angle) S(sx, sy) K(kx, ky) T(-pivot), all nine elements.
    static void BuildTransformationMatrix(Matrix3x3& m, float x, float y, const Point_t<float>& pivot, float angle,
                                          float sx, float sy, float kx, float ky);
    // The inverse of BuildTransformationMatrix with the same arguments. A skew
    // with kx * ky = 1 flattens the frame onto a line and has no inverse; the
    // result then maps points far away, so that nothing hits the flat frame.
    static void BuildInvTransformationMatrix(Matrix3x3& m, float x, float y, const Point_t<float>& pivot,
                                             float angle, float sx, float sy, float kx, float ky);

    // 3D builders.
    static Matrix3x3 ScaleMatrix(float sx, float sy, float sz);
    static Matrix3x3 RotationMatrixX(float angle);
    static Matrix3x3 RotationMatrixY(float angle);
    static Matrix3x3 RotationMatrixZ(float angle);
    // [v]x: CrossProductMatrix(v) * w = v x w.
    static Matrix3x3 CrossProductMatrix(const Vector3DF& v);
    static Matrix3x3 TensorProductMatrix(const Vector3DF& a, const Vector3DF& b);
    static Matrix3x3 RotationMatrix(const Vector3DF& axis, float angle);
    // The rotation that turns the direction from into the direction to.
    static Matrix3x3 RotationMatrix(const Vector3DF& from, const Vector3DF& to);
    // The rotation that turns the pair (a1, a2) into the pair (b1, b2): a1 onto
    // b1 exactly, a2 into the plane of b1 and b2.
    static Matrix3x3 RotationMatrix(const Vector3DF& a1, const Vector3DF& a2, const Vector3DF& b1,
                                    const Vector3DF& b2);
    static Matrix3x3 MirrorMatrix(const Vector3DF& normal);
    // I + f a b^T.
    static Matrix3x3 ShearMatrix(const Vector3DF& a, const Vector3DF& b, float f);
    // Rows: right, up and backwards of a viewer looking along eye.
    static Matrix3x3 EyeCoordinateSystem(const Vector3DF& eye, const Vector3DF& up);

    void ExtractRows(Vector3DF& r0, Vector3DF& r1, Vector3DF& r2) const;
    bool IsRightHanded() const;
    bool IsOrthogonal() const;
    // Axis (unit) and angle (0 to pi) of a rotation matrix.
    void ExtractAxisAngle(Vector3DF& axis, float& angle) const;
    // For a half turn: the axis from row `index` of M + I, angle pi.
    void extractPrimitiveAxisAngle(int index, Vector3DF& axis, float& angle) const;
    // The rows of I - M.
    void ComputeImMRows(Vector3DF& r0, Vector3DF& r1, Vector3DF& r2) const;

private:
    float m_fM[3][3];
};

Matrix3x3 operator*(const Matrix3x3& a, const Matrix3x3& b);
Matrix3x3 operator*(float f, const Matrix3x3& m);

}  // namespace ZQ2
