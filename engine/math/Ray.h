#pragma once

#include "math/Vector.h"

// A ray from an origin along a vector; the vector carries a length and need not be unit.
class CRay
{
public:
    CRay() = default;
    CRay(CVector3 const& origin, CVector3 const& vector) : m_origin(origin), m_vector(vector) {}

    void Set(CVector3 const& origin, CVector3 const& vector)
    {
        m_origin = origin;
        m_vector = vector;
    }
    void SetOrigin(CVector3 const& origin) { m_origin = origin; }
    void SetVector(CVector3 const& vector) { m_vector = vector; }
    CVector3 const& GetOrigin() const { return m_origin; }
    CVector3 const& GetVector() const { return m_vector; }

    CVector3 GetEnd(float t) const { return m_origin + m_vector * t; }
    float GetLength() const { return m_vector.GetLength(); }
    void Normalize() { m_vector.Normalize(); }
    CRay GetNormalized() const { return CRay(m_origin, m_vector.GetNormalized()); }

private:
    CVector3 m_origin;
    CVector3 m_vector;
};
