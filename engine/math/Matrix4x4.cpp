#include "math/Matrix4x4.h"

#include "platform/gl/D3DMatrix.h"

#include <cmath>
#include <cstring>
#include <utility>

void CMatrix4x4::Set(float const* elements)
{
    std::memcpy(m_elements, elements, sizeof(m_elements));
}

CMatrix4x4 CMatrix4x4::GetZero()
{
    CMatrix4x4 result;
    for (float& element : result.m_elements) {
        element = 0.0f;
    }
    return result;
}

CMatrix4x4 CMatrix4x4::GetIdentity()
{
    CMatrix4x4 result = GetZero();
    result.m_elements[0] = result.m_elements[5] = result.m_elements[10] = result.m_elements[15] = 1.0f;
    return result;
}

CMatrix4x4 CMatrix4x4::GetTranslation(CVector3 const& v)
{
    CMatrix4x4 result = GetIdentity();
    result.m_elements[3] = v.x;
    result.m_elements[7] = v.y;
    result.m_elements[11] = v.z;
    return result;
}

CMatrix4x4 CMatrix4x4::GetScale(CVector3 const& v)
{
    CMatrix4x4 result = GetIdentity();
    result.m_elements[0] = v.x;
    result.m_elements[5] = v.y;
    result.m_elements[10] = v.z;
    return result;
}

CMatrix4x4 CMatrix4x4::GetRotationX(float angle)
{
    float const c = std::cos(angle);
    float const s = std::sin(angle);
    CMatrix4x4 result = GetIdentity();
    result.m_elements[5] = c;
    result.m_elements[6] = -s;
    result.m_elements[9] = s;
    result.m_elements[10] = c;
    return result;
}

CMatrix4x4 CMatrix4x4::GetRotationY(float angle)
{
    float const c = std::cos(angle);
    float const s = std::sin(angle);
    CMatrix4x4 result = GetIdentity();
    result.m_elements[0] = c;
    result.m_elements[2] = s;
    result.m_elements[8] = -s;
    result.m_elements[10] = c;
    return result;
}

CMatrix4x4 CMatrix4x4::GetRotationZ(float angle)
{
    float const c = std::cos(angle);
    float const s = std::sin(angle);
    CMatrix4x4 result = GetIdentity();
    result.m_elements[0] = c;
    result.m_elements[1] = -s;
    result.m_elements[4] = s;
    result.m_elements[5] = c;
    return result;
}

CMatrix4x4 CMatrix4x4::GetRotation(CVector3 const& axis, float angle)
{
    CVector3 const u = axis.GetNormalized();
    float const c = std::cos(angle);
    float const s = std::sin(angle);
    float const t = 1.0f - c;
    CMatrix4x4 result = GetIdentity();
    float* m = result.m_elements;
    m[0] = t * u.x * u.x + c;
    m[1] = t * u.x * u.y - s * u.z;
    m[2] = t * u.x * u.z + s * u.y;
    m[4] = t * u.x * u.y + s * u.z;
    m[5] = t * u.y * u.y + c;
    m[6] = t * u.y * u.z - s * u.x;
    m[8] = t * u.x * u.z - s * u.y;
    m[9] = t * u.y * u.z + s * u.x;
    m[10] = t * u.z * u.z + c;
    return result;
}

namespace
{
// Upper block I − k·n·nᵀ and translation column −k·d·n.
CMatrix4x4 PlaneMatrix(CPlane const& plane, float k)
{
    CVector3 const& n = plane.GetNormal();
    float const d = plane.GetD();
    CMatrix4x4 result = CMatrix4x4::GetIdentity();
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            result.Set(r, c, result.Get(r, c) - k * n[r] * n[c]);
        }
        result.Set(r, 3, -k * d * n[r]);
    }
    return result;
}
} // namespace

CMatrix4x4 CMatrix4x4::GetProjection(CPlane const& plane)
{
    return PlaneMatrix(plane, 1.0f);
}

CMatrix4x4 CMatrix4x4::GetReflection(CPlane const& plane)
{
    return PlaneMatrix(plane, 2.0f);
}

CMatrix4x4 CMatrix4x4::operator*(CMatrix4x4 const& other) const
{
    CMatrix4x4 result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += m_elements[4 * r + k] * other.m_elements[4 * k + c];
            }
            result.m_elements[4 * r + c] = sum;
        }
    }
    return result;
}

CMatrix4x4 CMatrix4x4::operator*(float f) const
{
    CMatrix4x4 result;
    for (int i = 0; i < 16; ++i) {
        result.m_elements[i] = m_elements[i] * f;
    }
    return result;
}

CVector3 CMatrix4x4::operator*(CVector3 const& v) const
{
    float const* m = m_elements;
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z + m[3], m[4] * v.x + m[5] * v.y + m[6] * v.z + m[7],
            m[8] * v.x + m[9] * v.y + m[10] * v.z + m[11]};
}

CVector4 CMatrix4x4::operator*(CVector4 const& v) const
{
    float const* m = m_elements;
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z + m[3] * v.w,
            m[4] * v.x + m[5] * v.y + m[6] * v.z + m[7] * v.w,
            m[8] * v.x + m[9] * v.y + m[10] * v.z + m[11] * v.w,
            m[12] * v.x + m[13] * v.y + m[14] * v.z + m[15] * v.w};
}

CRay CMatrix4x4::operator*(CRay const& ray) const
{
    CVector3 const origin = *this * ray.GetOrigin();
    CVector3 const end = *this * (ray.GetOrigin() + ray.GetVector());
    return CRay(origin, end - origin);
}

void CMatrix4x4::Transpose()
{
    for (int r = 0; r < 4; ++r) {
        for (int c = r + 1; c < 4; ++c) {
            MatrixSwap(r, c);
        }
    }
}

void CMatrix4x4::MatrixSwap(int i, int j)
{
    std::swap(m_elements[4 * i + j], m_elements[4 * j + i]);
}

void CMatrix4x4::Invert()
{
    double a[16];
    for (int i = 0; i < 16; ++i) {
        a[i] = m_elements[i];
    }
    // Adjugate (transposed cofactors), written out for the 4×4 case.
    double inv[16];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];

    double const determinant = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    for (int i = 0; i < 16; ++i) {
        m_elements[i] = static_cast<float>(inv[i] / determinant);
    }
}

void CMatrix4x4::ConvertToMatrixD3D(D3DMATRIX* out) const
{
    std::memcpy(&out->m[0][0], m_elements, sizeof(m_elements));
}
