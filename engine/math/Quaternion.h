#pragma once

#include "math/Matrix4x4.h"
#include "math/Vector.h"

// Rotation quaternion stored x, y, z (vector part) then w (scalar part).
// p * q is the rotation p followed by the rotation q (the Hamilton product q ⊗ p).
class CQuaternion
{
public:
    float x, y, z, w;

    CQuaternion() = default;
    CQuaternion(float nx, float ny, float nz, float nw) : x(nx), y(ny), z(nz), w(nw) {}
    explicit CQuaternion(float const* values) { Set(values); }
    CQuaternion(CVector3 const& axis, float angle) { Set(axis, angle); }
    explicit CQuaternion(CMatrix4x4 const& rotation) { Set(rotation); }

    void Set(float nx, float ny, float nz, float nw)
    {
        x = nx;
        y = ny;
        z = nz;
        w = nw;
    }
    void Set(float const* values) { Set(values[0], values[1], values[2], values[3]); }
    void Set(CVector3 const& axis, float angle) { *this = GetRotation(axis, angle); }
    // The rotation held in the upper 3×3 block of the matrix.
    void Set(CMatrix4x4 const& rotation);

    // The identity rotation (0, 0, 0, 1).
    static CQuaternion GetZero() { return {0.0f, 0.0f, 0.0f, 1.0f}; }
    static CQuaternion GetRotation(CVector3 const& axis, float angle);
    static CQuaternion GetRotationX(float angle) { return GetRotation({1.0f, 0.0f, 0.0f}, angle); }
    static CQuaternion GetRotationY(float angle) { return GetRotation({0.0f, 1.0f, 0.0f}, angle); }
    static CQuaternion GetRotationZ(float angle) { return GetRotation({0.0f, 0.0f, 1.0f}, angle); }

    void Rotate(CVector3 const& axis, float angle) { *this *= GetRotation(axis, angle); }
    void RotateX(float angle) { *this *= GetRotationX(angle); }
    void RotateY(float angle) { *this *= GetRotationY(angle); }
    void RotateZ(float angle) { *this *= GetRotationZ(angle); }

    CQuaternion operator*(CQuaternion const& q) const;
    CQuaternion& operator*=(CQuaternion const& q) { return *this = *this * q; }
    CQuaternion operator+(float f) const { return {x + f, y + f, z + f, w + f}; }
    CQuaternion operator-(float f) const { return {x - f, y - f, z - f, w - f}; }
    CQuaternion operator*(float f) const { return {x * f, y * f, z * f, w * f}; }
    CQuaternion operator/(float f) const { return {x / f, y / f, z / f, w / f}; }
    CQuaternion& operator+=(float f) { return *this = *this + f; }
    CQuaternion& operator-=(float f) { return *this = *this - f; }
    CQuaternion& operator*=(float f) { return *this = *this * f; }
    CQuaternion& operator/=(float f) { return *this = *this / f; }

    float GetNorm() const { return x * x + y * y + z * z + w * w; }
    float GetLength() const;
    CQuaternion GetConjugated() const { return {-x, -y, -z, w}; }
    CQuaternion GetInversed() const { return GetConjugated() / GetNorm(); }

    CMatrix4x4 GetMatrix() const;

    // Spherical blend along the shorter arc; the result is not renormalised.
    static CQuaternion GetSlerp(CQuaternion const& a, CQuaternion const& b, float t);
};
