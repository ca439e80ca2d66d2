#pragma once

#include "math/Plane.h"
#include "math/Ray.h"
#include "math/Vector.h"

struct D3DMATRIX;

// 4×4 float matrix, row-major: element (row r, column c) is at index 4·r + c.
// Vectors are columns multiplied on the right; translation lives in elements 3, 7, 11.
// The in-place builders (Translate, RotateX, ...) post-multiply, so the new transform
// is the first one applied to a point.
class CMatrix4x4
{
public:
    CMatrix4x4() = default;
    explicit CMatrix4x4(float const* elements) { Set(elements); }

    void Set(float const* elements);
    float* Get() { return m_elements; }
    float const* Get() const { return m_elements; }
    float Get(int row, int column) const { return m_elements[4 * row + column]; }
    void Set(int row, int column, float value) { m_elements[4 * row + column] = value; }
    float& operator[](int index) { return m_elements[index]; }
    float operator[](int index) const { return m_elements[index]; }

    static CMatrix4x4 GetZero();
    static CMatrix4x4 GetIdentity();
    void SetZero() { *this = GetZero(); }
    void SetIdentity() { *this = GetIdentity(); }

    static CMatrix4x4 GetTranslation(CVector3 const& v);
    static CMatrix4x4 GetScale(CVector3 const& v);
    static CMatrix4x4 GetRotationX(float angle);
    static CMatrix4x4 GetRotationY(float angle);
    static CMatrix4x4 GetRotationZ(float angle);
    static CMatrix4x4 GetRotation(CVector3 const& axis, float angle);
    static CMatrix4x4 GetProjection(CPlane const& plane);
    static CMatrix4x4 GetReflection(CPlane const& plane);

    CMatrix4x4 operator*(CMatrix4x4 const& other) const;
    CMatrix4x4& operator*=(CMatrix4x4 const& other) { return *this = *this * other; }
    CMatrix4x4 operator*(float f) const;
    CMatrix4x4& operator*=(float f) { return *this = *this * f; }
    // Transforms a point (implicit w = 1, no division by w).
    CVector3 operator*(CVector3 const& v) const;
    CVector4 operator*(CVector4 const& v) const;
    // Transforms the origin and the end point as points.
    CRay operator*(CRay const& ray) const;

    void Translate(CVector3 const& v) { *this *= GetTranslation(v); }
    void Scale(CVector3 const& v) { *this *= GetScale(v); }
    void RotateX(float angle) { *this *= GetRotationX(angle); }
    void RotateY(float angle) { *this *= GetRotationY(angle); }
    void RotateZ(float angle) { *this *= GetRotationZ(angle); }
    void Rotate(CVector3 const& axis, float angle) { *this *= GetRotation(axis, angle); }
    void Project(CPlane const& plane) { *this *= GetProjection(plane); }
    void Reflect(CPlane const& plane) { *this *= GetReflection(plane); }

    void Transpose();
    // Exchanges element (i, j) with element (j, i).
    void MatrixSwap(int i, int j);
    // General inverse by cofactors; a singular matrix yields non-finite elements.
    void Invert();

    // Copies the elements in storage order, untransposed.
    void ConvertToMatrixD3D(D3DMATRIX* out) const;

private:
    float m_elements[16];
};
