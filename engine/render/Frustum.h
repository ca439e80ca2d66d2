#pragma once

#include "math/BoundingBox.h"
#include "math/Matrix4x4.h"
#include "math/Plane.h"

// Six planes with their normals pointing inwards: right, left, bottom, top, far, near.
class CFrustum
{
public:
    enum EPlane : unsigned int
    {
        FP_RIGHT = 0,
        FP_LEFT = 1,
        FP_BOTTOM = 2,
        FP_TOP = 3,
        FP_FAR = 4,
        FP_NEAR = 5,
        FP_COUNT = 6,
    };

    void Create();
    void Destroy() { m_free = true; }
    bool IsFree() const { return m_free; }

    // Planes of the clip transform second × first, in row-vector order: a point p lies
    // inside when (p, 1) × second × first falls within the clip volume.
    void Refresh(CMatrix4x4 const& first, CMatrix4x4 const& second);

    // A point on a plane is outside.
    bool IsInFrustum(CVector3 const& point) const;
    // Tested by the box's bounding sphere; a sphere touching a plane from outside is outside.
    bool IsInFrustum(CBoundingBox const& box) const;

    CPlane const& GetPlane(unsigned int index) const { return m_planes[index]; }

private:
    bool m_free = true;
    CPlane m_planes[FP_COUNT];
};
