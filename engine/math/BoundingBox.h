#pragma once

#include "math/Matrix4x4.h"
#include "math/Plane.h"
#include "math/Ray.h"
#include "math/Vector.h"

// An axis-aligned box given by local corners and carried by a transform. The world
// box (minimum, maximum, centre, half-extent, radius) is the axis-aligned box around
// the transformed local corners and is recomputed after every change.
class CBoundingBox
{
public:
    CBoundingBox() = default;
    CBoundingBox(CVector3 const& min, CVector3 const& max) { Set(min, max); }
    CBoundingBox(unsigned int count, CVector3 const* points) { Set(count, points); }
    CBoundingBox(unsigned int count, float const* coordinates) { Set(count, coordinates); }
    CBoundingBox(unsigned int count, CBoundingBox const* boxes) { Set(count, boxes); }

    // Each Set resets both transforms to the identity.
    void Set(CVector3 const& min, CVector3 const& max);
    void Set(unsigned int count, CVector3 const* points);
    // count points of three floats each.
    void Set(unsigned int count, float const* coordinates);
    // The box around the world boxes of the given boxes.
    void Set(unsigned int count, CBoundingBox const* boxes);
    void Set(CBoundingBox const& box) { *this = box; }

    CVector3 const& GetMinPoint() const { return m_worldMin; }
    CVector3 const& GetMaxPoint() const { return m_worldMax; }
    CVector3 const& GetPosition() const { return m_position; }
    // Half-extent on each axis.
    CVector3 const& GetSize() const { return m_size; }
    float GetRadius() const { return m_radius; }
    CMatrix4x4 const& GetMatrix() const { return m_matrix; }
    CVector3 const& GetLocalMinPoint() const { return m_localMin; }
    CVector3 const& GetLocalMaxPoint() const { return m_localMax; }

    void SetMatrix(CMatrix4x4 const& matrix);
    // The current transform becomes matrix × current.
    void Transform(CMatrix4x4 const& matrix) { SetMatrix(matrix * m_matrix); }
    void SaveMatrix() { m_savedMatrix = m_matrix; }
    void RestoreMatrix() { SetMatrix(m_savedMatrix); }

    bool IsPointInside(CVector3 const& point) const;
    // Tested against the local box.
    bool GetSphereIntersection(CVector3 const& centre, float radius) const;
    bool GetBoundingBoxIntersection(CBoundingBox const& other) const;
    // The ray is taken as the segment from its origin to origin + vector.
    bool GetRayIntersection(CRay const& ray) const;
    // Face i (−x, +x, −y, +y, −z, +z) with its normal pointing into the box.
    CPlane GetPlane(unsigned int index) const;
    // Same centre, half-extent × factor, no transform.
    CBoundingBox GetScaled(float factor) const;

private:
    void SetWorldBox(CVector3 const& min, CVector3 const& max);

    CVector3 m_localMin;
    CVector3 m_localMax;
    CMatrix4x4 m_matrix;
    CMatrix4x4 m_savedMatrix;
    CVector3 m_worldMin;
    CVector3 m_worldMax;
    CVector3 m_position;
    CVector3 m_size;
    float m_radius;
};
