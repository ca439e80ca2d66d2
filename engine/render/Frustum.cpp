#include "render/Frustum.h"

void CFrustum::Create()
{
    Destroy();
    for (CPlane& plane : m_planes)
        plane.Set(0.0f, 0.0f, 0.0f, 1.0f);
    m_free = false;
}

void CFrustum::Refresh(CMatrix4x4 const& first, CMatrix4x4 const& second)
{
    CMatrix4x4 const m = second * first;
    // Element (row r, column c) of the combined matrix; the clip coordinates are its columns.
    auto c = [&m](int row, int column) { return m.Get(row - 1, column - 1); };
    auto plane = [&c](int column, float sign) {
        return CPlane(c(1, 4) + sign * c(1, column), c(2, 4) + sign * c(2, column),
                      c(3, 4) + sign * c(3, column), c(4, 4) + sign * c(4, column));
    };
    m_planes[FP_RIGHT] = plane(1, -1.0f);
    m_planes[FP_LEFT] = plane(1, 1.0f);
    m_planes[FP_BOTTOM] = plane(2, 1.0f);
    m_planes[FP_TOP] = plane(2, -1.0f);
    m_planes[FP_FAR] = plane(3, -1.0f);
    m_planes[FP_NEAR] = plane(3, 1.0f);
}

bool CFrustum::IsInFrustum(CVector3 const& point) const
{
    for (CPlane const& plane : m_planes) {
        if (plane.GetDistance(point) <= 0.0f)
            return false;
    }
    return true;
}

bool CFrustum::IsInFrustum(CBoundingBox const& box) const
{
    CVector3 const& centre = box.GetPosition();
    float const radius = box.GetRadius();
    for (CPlane const& plane : m_planes) {
        if (plane.GetDistance(centre) <= -radius)
            return false;
    }
    return true;
}
