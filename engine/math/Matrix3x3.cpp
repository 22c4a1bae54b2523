#include "engine/math/Matrix3x3.h"

#include <cmath>

namespace ZQ2 {

// Constant-initialised, so they are usable during static initialisation.
const Matrix3x3 Matrix3x3::IdentityMatrix(1, 0, 0, 0, 1, 0, 0, 0, 1);
const Matrix3x3 Matrix3x3::ZeroMatrix(0, 0, 0, 0, 0, 0, 0, 0, 0);
const float Matrix3x3::BasicTolerance = 0.000001f;
float Matrix3x3::BasicDistanceTol = 0.000001f;

namespace {

constexpr float kPi = 3.14159265358979f;
// The smallest magnitude the skew determinant 1 - kx * ky is given when inverting.
constexpr float kMinSkewDeterminant = 0.000001f;

Vector3DF Row(const float (&m)[3][3], int r) { return Vector3DF(m[r][0], m[r][1], m[r][2]); }

}  // namespace

Matrix3x3::Matrix3x3(bool identity) : m_fM{} {
    if (identity)
        *this = IdentityMatrix;
}

Matrix3x3::Matrix3x3(char axis) : Matrix3x3(true) {
    if (axis == 'X' || axis == 'x')
        m_fM[0][0] = -1.0f;
    else if (axis == 'Y' || axis == 'y')
        m_fM[1][1] = -1.0f;
    else if (axis == 'Z' || axis == 'z')
        m_fM[2][2] = -1.0f;
}

Matrix3x3::Matrix3x3(char axis, float angle) : Matrix3x3(true) {
    if (axis == 'X' || axis == 'x')
        *this = RotationMatrixX(angle);
    else if (axis == 'Y' || axis == 'y')
        *this = RotationMatrixY(angle);
    else if (axis == 'Z' || axis == 'z')
        *this = RotationMatrixZ(angle);
}

Matrix3x3::Matrix3x3(float sx, float sy, float sz) : Matrix3x3(sx, 0, 0, 0, sy, 0, 0, 0, sz) {}

Matrix3x3::Matrix3x3(const Vector3DF& a, const Vector3DF& b) : Matrix3x3(TensorProductMatrix(a, b)) {}

Matrix3x3::Matrix3x3(const Vector3DF& axis, float angle) : Matrix3x3(RotationMatrix(axis, angle)) {}

Matrix3x3::Matrix3x3(const Vector3DF& normal) : Matrix3x3(MirrorMatrix(normal)) {}

float Matrix3x3::ElementAt(int r, int c) const {
    if (r < 0 || c < 0 || r >= 3 || c >= 3)
        return -99999.0f;
    return m_fM[r][c];
}

void Matrix3x3::SetElementAt(int r, int c, float value) {
    if (r < 0 || c < 0 || r >= 3 || c >= 3)
        return;
    m_fM[r][c] = value;
}

float Matrix3x3::GetTrace() const { return m_fM[0][0] + m_fM[1][1] + m_fM[2][2]; }

float Matrix3x3::GetLargestDiagonalElement(int& index) const {
    index = 0;
    for (int i = 1; i < 3; ++i) {
        if (m_fM[i][i] > m_fM[index][index])
            index = i;
    }
    return m_fM[index][index];
}

float Matrix3x3::Determinant() const {
    const auto& m = m_fM;
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

void Matrix3x3::Transpose() {
    for (int r = 0; r < 3; ++r) {
        for (int c = r + 1; c < 3; ++c) {
            const float swap = m_fM[r][c];
            m_fM[r][c] = m_fM[c][r];
            m_fM[c][r] = swap;
        }
    }
}

bool Matrix3x3::operator==(const Matrix3x3& other) const {
    if (this == &other)
        return true;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            if (!(std::fabs(m_fM[r][c] - other.m_fM[r][c]) < BasicTolerance))
                return false;
        }
    }
    return true;
}

Matrix3x3 operator*(const Matrix3x3& a, const Matrix3x3& b) {
    Matrix3x3 result(false);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            result(r, c) = a(r, 0) * b(0, c) + a(r, 1) * b(1, c) + a(r, 2) * b(2, c);
    }
    return result;
}

Matrix3x3 operator*(float f, const Matrix3x3& m) {
    Matrix3x3 result(m);
    result *= f;
    return result;
}

Matrix3x3 Matrix3x3::operator*=(const Matrix3x3& b) {
    *this = *this * b;
    return *this;
}

Matrix3x3& Matrix3x3::operator*=(float f) {
    for (auto& row : m_fM) {
        for (float& e : row)
            e *= f;
    }
    return *this;
}

Matrix3x3& Matrix3x3::operator+=(const Matrix3x3& b) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            m_fM[r][c] += b.m_fM[r][c];
    }
    return *this;
}

Matrix3x3 Matrix3x3::operator+(const Matrix3x3& b) const {
    Matrix3x3 result(*this);
    result += b;
    return result;
}

Matrix3x3 Matrix3x3::operator-(const Matrix3x3& b) const {
    Matrix3x3 result(*this);
    result += -1.0f * b;
    return result;
}

Vector3DF Matrix3x3::operator*(const Vector3DF& v) const {
    return Vector3DF(Row(m_fM, 0).Dot(v), Row(m_fM, 1).Dot(v), Row(m_fM, 2).Dot(v));
}

void Matrix3x3::Multiply(const float* in, float* out) const {
    float result[3];
    for (int r = 0; r < 3; ++r)
        result[r] = m_fM[r][0] * in[0] + m_fM[r][1] * in[1] + m_fM[r][2] * in[2];
    for (int r = 0; r < 3; ++r)  // in and out may be the same array
        out[r] = result[r];
}

void Matrix3x3::MakeTranslationMatrix(Matrix3x3& m, float tx, float ty) {
    m.m_fM[0][2] = tx;
    m.m_fM[1][2] = ty;
}

void Matrix3x3::MakeScalingMatrix(Matrix3x3& m, float sx, float sy) {
    m.m_fM[0][0] = sx;
    m.m_fM[1][1] = sy;
}

void Matrix3x3::MakeSkewingMatrix(Matrix3x3& m, float kx, float ky) {
    m.m_fM[0][1] = kx;
    m.m_fM[1][0] = ky;
}

void Matrix3x3::MakeRotationZMatrix(Matrix3x3& m, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    m.m_fM[0][0] = c;
    m.m_fM[0][1] = -s;
    m.m_fM[1][0] = s;
    m.m_fM[1][1] = c;
}

void Matrix3x3::BuildTransformationMatrix(Matrix3x3& m, float x, float y, const Point_t<float>& pivot, float angle,
                                          float sx, float sy, float kx, float ky) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    auto& e = m.m_fM;
    e[0][0] = c * sx - s * sy * ky;
    e[0][1] = c * sx * kx - s * sy;
    e[1][0] = s * sx + c * sy * ky;
    e[1][1] = s * sx * kx + c * sy;
    e[0][2] = x + pivot.x - (e[0][0] * pivot.x + e[0][1] * pivot.y);
    e[1][2] = y + pivot.y - (e[1][0] * pivot.x + e[1][1] * pivot.y);
    e[2][0] = 0.0f;
    e[2][1] = 0.0f;
    e[2][2] = 1.0f;
}

void Matrix3x3::BuildInvTransformationMatrix(Matrix3x3& m, float x, float y, const Point_t<float>& pivot,
                                             float angle, float sx, float sy, float kx, float ky) {
    // T(pivot) K^-1 S^-1 R^-1 T(-(x + pivot)), where K^-1 is the adjugate of the
    // skew divided by its determinant 1 - kx * ky.
    float det = 1.0f - kx * ky;
    if (std::fabs(det) < kMinSkewDeterminant)
        det = det < 0.0f ? -kMinSkewDeterminant : kMinSkewDeterminant;
    const float d = 1.0f / det;
    m = Matrix3x3(d, -kx * d, pivot.x, -ky * d, d, pivot.y, 0, 0, 1);

    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float tx = x + pivot.x;
    const float ty = y + pivot.y;
    const Matrix3x3 n(c / sx, s / sx, -tx * c / sx - ty * s / sx,  //
                      -s / sy, c / sy, tx * s / sy - ty * c / sy,  //
                      0, 0, 1);
    m *= n;
}

Matrix3x3 Matrix3x3::ScaleMatrix(float sx, float sy, float sz) { return Matrix3x3(sx, sy, sz); }

Matrix3x3 Matrix3x3::RotationMatrixX(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return Matrix3x3(1, 0, 0, 0, c, -s, 0, s, c);
}

Matrix3x3 Matrix3x3::RotationMatrixY(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return Matrix3x3(c, 0, s, 0, 1, 0, -s, 0, c);
}

Matrix3x3 Matrix3x3::RotationMatrixZ(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return Matrix3x3(c, -s, 0, s, c, 0, 0, 0, 1);
}

Matrix3x3 Matrix3x3::CrossProductMatrix(const Vector3DF& v) { return Matrix3x3(0, -v.z, v.y, v.z, 0, -v.x, -v.y, v.x, 0); }

Matrix3x3 Matrix3x3::TensorProductMatrix(const Vector3DF& a, const Vector3DF& b) {
    Matrix3x3 result(false);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            result.m_fM[r][c] = a[r] * b[c];
    }
    return result;
}

Matrix3x3 Matrix3x3::RotationMatrix(const Vector3DF& axis, float angle) {
    // Rodrigues: cos I + sin [u]x + (1 - cos) u u^T.
    Vector3DF u;
    if (axis.NormalizeTo(u) == 0.0f)
        return IdentityMatrix;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return c * IdentityMatrix + s * CrossProductMatrix(u) + (1.0f - c) * TensorProductMatrix(u, u);
}

Matrix3x3 Matrix3x3::RotationMatrix(const Vector3DF& from, const Vector3DF& to) {
    Vector3DF f;
    Vector3DF t;
    if (from.NormalizeTo(f) == 0.0f || to.NormalizeTo(t) == 0.0f)
        return IdentityMatrix;
    const Vector3DF axis = f.Cross(t);
    const float cosine = f.Dot(t);
    const float sine = axis.Length();
    if (sine < BasicDistanceTol) {
        if (cosine > 0.0f)
            return IdentityMatrix;
        Vector3DF normal;
        f.ArbitraryNormal(normal);
        return RotationMatrix(normal, kPi);
    }
    return RotationMatrix(axis, std::atan2(sine, cosine));
}

Matrix3x3 Matrix3x3::RotationMatrix(const Vector3DF& a1, const Vector3DF& a2, const Vector3DF& b1,
                                    const Vector3DF& b2) {
    // Orthonormal frames of both pairs as rows; the rotation is Fb^T Fa.
    auto frame = [](const Vector3DF& p, const Vector3DF& q, Matrix3x3& out) {
        Vector3DF e1;
        if (p.NormalizeTo(e1) == 0.0f)
            return false;
        Vector3DF e2 = q - e1 * e1.Dot(q);
        if (e2.Normalize() < BasicDistanceTol) {  // q runs along p
            e1.ArbitraryNormal(e2);
            e2.Normalize();
        }
        const Vector3DF e3 = e1.Cross(e2);
        out = Matrix3x3(e1.x, e1.y, e1.z, e2.x, e2.y, e2.z, e3.x, e3.y, e3.z);
        return true;
    };
    Matrix3x3 fa(false);
    Matrix3x3 fb(false);
    if (!frame(a1, a2, fa) || !frame(b1, b2, fb))
        return IdentityMatrix;
    fb.Transpose();
    return fb * fa;
}

Matrix3x3 Matrix3x3::MirrorMatrix(const Vector3DF& normal) {
    Vector3DF n;
    if (normal.NormalizeTo(n) < BasicDistanceTol)
        return IdentityMatrix;
    return IdentityMatrix - 2.0f * TensorProductMatrix(n, n);
}

Matrix3x3 Matrix3x3::ShearMatrix(const Vector3DF& a, const Vector3DF& b, float f) {
    return IdentityMatrix + f * TensorProductMatrix(a, b);
}

Matrix3x3 Matrix3x3::EyeCoordinateSystem(const Vector3DF& eye, const Vector3DF& up) {
    Vector3DF forward;
    if (eye.NormalizeTo(forward) == 0.0f)
        return IdentityMatrix;
    Vector3DF right = forward.Cross(up);
    if (right.Normalize() < BasicDistanceTol) {
        // up runs along the view: any perpendicular will do.
        forward.ArbitraryNormal(right);
        right.Normalize();
    }
    const Vector3DF trueUp = right.Cross(forward);
    return Matrix3x3(right.x, right.y, right.z, trueUp.x, trueUp.y, trueUp.z, -forward.x, -forward.y, -forward.z);
}

void Matrix3x3::ExtractRows(Vector3DF& r0, Vector3DF& r1, Vector3DF& r2) const {
    r0 = Row(m_fM, 0);
    r1 = Row(m_fM, 1);
    r2 = Row(m_fM, 2);
}

bool Matrix3x3::IsRightHanded() const { return Row(m_fM, 0).Cross(Row(m_fM, 1)).Dot(Row(m_fM, 2)) > 0.0f; }

bool Matrix3x3::IsOrthogonal() const {
    for (int r = 0; r < 3; ++r) {
        if (!(std::fabs(Row(m_fM, r).Length() - 1.0f) < BasicDistanceTol))
            return false;
        for (int q = r + 1; q < 3; ++q) {
            if (!(std::fabs(Row(m_fM, r).Dot(Row(m_fM, q))) < BasicDistanceTol))
                return false;
        }
    }
    return true;
}

void Matrix3x3::ExtractAxisAngle(Vector3DF& axis, float& angle) const {
    float cosine = (GetTrace() - 1.0f) * 0.5f;
    cosine = cosine > 1.0f ? 1.0f : (cosine < -1.0f ? -1.0f : cosine);
    angle = std::acos(cosine);
    const Vector3DF skew(m_fM[2][1] - m_fM[1][2], m_fM[0][2] - m_fM[2][0], m_fM[1][0] - m_fM[0][1]);
    const float length = skew.Length();
    if (length > 0.001f) {
        axis = skew * (1.0f / length);
        return;
    }
    if (cosine > 0.0f) {  // no rotation: any axis
        axis = Vector3DF(1.0f, 0.0f, 0.0f);
        angle = 0.0f;
        return;
    }
    int index = 0;
    GetLargestDiagonalElement(index);
    extractPrimitiveAxisAngle(index, axis, angle);
}

void Matrix3x3::extractPrimitiveAxisAngle(int index, Vector3DF& axis, float& angle) const {
    // A half turn is 2 u u^T - I, so every row of M + I is a multiple of u.
    Vector3DF r[3];
    ComputeImMRows(r[0], r[1], r[2]);
    const int i = index < 0 || index > 2 ? 0 : index;
    axis = Vector3DF(i == 0 ? 2.0f : 0.0f, i == 1 ? 2.0f : 0.0f, i == 2 ? 2.0f : 0.0f) - r[i];
    if (axis.Normalize() == 0.0f)
        axis = Vector3DF(1.0f, 0.0f, 0.0f);
    angle = kPi;
}

void Matrix3x3::ComputeImMRows(Vector3DF& r0, Vector3DF& r1, Vector3DF& r2) const {
    const Matrix3x3 d = IdentityMatrix - *this;
    d.ExtractRows(r0, r1, r2);
}

}  // namespace ZQ2
