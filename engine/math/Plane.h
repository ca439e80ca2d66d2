#pragma once

#include "math/Ray.h"
#include "math/Vector.h"

// The plane n·p + d = 0 with a unit normal n (a, b, c). Every setter normalises;
// a degenerate normal (shorter than VectorEpsilon) is kept as it is.
class CPlane
{
public:
    CPlane() = default;
    CPlane(float a, float b, float c, float d) { Set(a, b, c, d); }
    CPlane(CVector3 const& normal, CVector3 const& point) { Set(normal, point); }
    CPlane(CVector3 const& p1, CVector3 const& p2, CVector3 const& p3) { Set(p1, p2, p3); }
    explicit CPlane(CVector3 const* points) { Set(points); }

    void Set(float a, float b, float c, float d);
    void Set(CVector3 const& normal, CVector3 const& point);
    void Set(CVector3 const& p1, CVector3 const& p2, CVector3 const& p3);
    void Set(CVector3 const* points) { Set(points[0], points[1], points[2]); }
    void Normalize();

    float GetA() const { return m_normal.x; }
    float GetB() const { return m_normal.y; }
    float GetC() const { return m_normal.z; }
    float GetD() const { return m_d; }
    CVector3 const& GetNormal() const { return m_normal; }

    float GetDistance(CVector3 const& point) const { return m_normal * point + m_d; }
    CVector3 GetProjectedPoint(CVector3 const& point) const { return point - m_normal * GetDistance(point); }
    // Writes t (hit = origin + vector·t) and returns true only for t > 0; a ray parallel
    // to the plane returns false and leaves t untouched.
    bool GetRayIntersection(CRay const& ray, float* t) const;

private:
    CVector3 m_normal;
    float m_d;
};
