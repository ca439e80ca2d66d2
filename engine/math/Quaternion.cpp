#include "math/Quaternion.h"

#include <cmath>

CQuaternion CQuaternion::GetRotation(CVector3 const& axis, float angle)
{
    float const length = axis.GetLength();
    if (length < VectorEpsilon) {
        return GetZero();
    }
    float const s = std::sin(angle * 0.5f) / length;
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(angle * 0.5f)};
}

void CQuaternion::Set(CMatrix4x4 const& rotation)
{
    auto m = [&rotation](int r, int c) { return rotation.Get(r, c); };
    float const trace = m(0, 0) + m(1, 1) + m(2, 2);
    if (trace > 0.0f) {
        float const s = 0.5f / std::sqrt(trace + 1.0f);
        Set((m(2, 1) - m(1, 2)) * s, (m(0, 2) - m(2, 0)) * s, (m(1, 0) - m(0, 1)) * s, 0.25f / s);
    } else if (m(0, 0) > m(1, 1) && m(0, 0) > m(2, 2)) {
        float const s = 2.0f * std::sqrt(1.0f + m(0, 0) - m(1, 1) - m(2, 2));
        Set(0.25f * s, (m(0, 1) + m(1, 0)) / s, (m(0, 2) + m(2, 0)) / s, (m(2, 1) - m(1, 2)) / s);
    } else if (m(1, 1) > m(2, 2)) {
        float const s = 2.0f * std::sqrt(1.0f + m(1, 1) - m(0, 0) - m(2, 2));
        Set((m(0, 1) + m(1, 0)) / s, 0.25f * s, (m(1, 2) + m(2, 1)) / s, (m(0, 2) - m(2, 0)) / s);
    } else {
        float const s = 2.0f * std::sqrt(1.0f + m(2, 2) - m(0, 0) - m(1, 1));
        Set((m(0, 2) + m(2, 0)) / s, (m(1, 2) + m(2, 1)) / s, 0.25f * s, (m(1, 0) - m(0, 1)) / s);
    }
}

CQuaternion CQuaternion::operator*(CQuaternion const& q) const
{
    CQuaternion const& p = *this;
    return {q.w * p.x + q.x * p.w + q.y * p.z - q.z * p.y, q.w * p.y - q.x * p.z + q.y * p.w + q.z * p.x,
            q.w * p.z + q.x * p.y - q.y * p.x + q.z * p.w, q.w * p.w - q.x * p.x - q.y * p.y - q.z * p.z};
}

float CQuaternion::GetLength() const
{
    return std::sqrt(GetNorm());
}

CMatrix4x4 CQuaternion::GetMatrix() const
{
    float const s = 2.0f / GetNorm();
    float const xx = s * x * x, yy = s * y * y, zz = s * z * z;
    float const xy = s * x * y, xz = s * x * z, yz = s * y * z;
    float const wx = s * w * x, wy = s * w * y, wz = s * w * z;
    CMatrix4x4 result = CMatrix4x4::GetIdentity();
    result.Set(0, 0, 1.0f - yy - zz);
    result.Set(0, 1, xy - wz);
    result.Set(0, 2, xz + wy);
    result.Set(1, 0, xy + wz);
    result.Set(1, 1, 1.0f - xx - zz);
    result.Set(1, 2, yz - wx);
    result.Set(2, 0, xz - wy);
    result.Set(2, 1, yz + wx);
    result.Set(2, 2, 1.0f - xx - yy);
    return result;
}

CQuaternion CQuaternion::GetSlerp(CQuaternion const& a, CQuaternion const& b, float t)
{
    float cosTheta = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    CQuaternion target = b;
    if (cosTheta < 0.0f) {
        cosTheta = -cosTheta;
        target = b * -1.0f;
    }
    float weightA = 1.0f - t;
    float weightB = t;
    if (1.0f - cosTheta > 0.000001f) {
        float const theta = std::acos(cosTheta);
        float const sinTheta = std::sin(theta);
        weightA = std::sin((1.0f - t) * theta) / sinTheta;
        weightB = std::sin(t * theta) / sinTheta;
    }
    return {weightA * a.x + weightB * target.x, weightA * a.y + weightB * target.y,
            weightA * a.z + weightB * target.z, weightA * a.w + weightB * target.w};
}
