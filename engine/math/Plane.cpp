#include "math/Plane.h"

#include <cmath>

void CPlane::Set(float a, float b, float c, float d)
{
    m_normal.Set(a, b, c);
    m_d = d;
    Normalize();
}

void CPlane::Set(CVector3 const& normal, CVector3 const& point)
{
    m_normal = normal;
    m_d = -(normal * point);
    Normalize();
}

void CPlane::Set(CVector3 const& p1, CVector3 const& p2, CVector3 const& p3)
{
    m_normal = (p2 - p1) ^ (p3 - p1);
    m_d = -(m_normal * p1);
    Normalize();
}

void CPlane::Normalize()
{
    float const length = m_normal.GetLength();
    if (length < VectorEpsilon) {
        return;
    }
    m_normal /= length;
    m_d /= length;
}

bool CPlane::GetRayIntersection(CRay const& ray, float* t) const
{
    float const denominator = m_normal * ray.GetVector();
    if (std::fabs(denominator) < VectorEpsilon) {
        return false;
    }
    *t = -(m_normal * ray.GetOrigin() + m_d) / denominator;
    return *t > 0.0f;
}
