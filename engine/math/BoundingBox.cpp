#include "math/BoundingBox.h"

#include <algorithm>
#include <cmath>

namespace
{
CVector3 Min(CVector3 const& a, CVector3 const& b)
{
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}

CVector3 Max(CVector3 const& a, CVector3 const& b)
{
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}
} // namespace

void CBoundingBox::Set(CVector3 const& min, CVector3 const& max)
{
    m_localMin = min;
    m_localMax = max;
    m_matrix.SetIdentity();
    m_savedMatrix.SetIdentity();
    SetWorldBox(min, max);
}

void CBoundingBox::Set(unsigned int count, CVector3 const* points)
{
    if (count == 0) {
        Set(CVector3(0.0f), CVector3(0.0f));
        return;
    }
    CVector3 min = points[0];
    CVector3 max = points[0];
    for (unsigned int i = 1; i < count; ++i) {
        min = Min(min, points[i]);
        max = Max(max, points[i]);
    }
    Set(min, max);
}

void CBoundingBox::Set(unsigned int count, float const* coordinates)
{
    if (count == 0) {
        Set(CVector3(0.0f), CVector3(0.0f));
        return;
    }
    CVector3 min(coordinates);
    CVector3 max(coordinates);
    for (unsigned int i = 1; i < count; ++i) {
        CVector3 const point(coordinates + 3 * i);
        min = Min(min, point);
        max = Max(max, point);
    }
    Set(min, max);
}

void CBoundingBox::Set(unsigned int count, CBoundingBox const* boxes)
{
    if (count == 0) {
        Set(CVector3(0.0f), CVector3(0.0f));
        return;
    }
    CVector3 min = boxes[0].m_worldMin;
    CVector3 max = boxes[0].m_worldMax;
    for (unsigned int i = 1; i < count; ++i) {
        min = Min(min, boxes[i].m_worldMin);
        max = Max(max, boxes[i].m_worldMax);
    }
    Set(min, max);
}

void CBoundingBox::SetMatrix(CMatrix4x4 const& matrix)
{
    m_matrix = matrix;
    CVector3 min, max;
    for (int corner = 0; corner < 8; ++corner) {
        CVector3 const local((corner & 1) ? m_localMax.x : m_localMin.x,
                             (corner & 2) ? m_localMax.y : m_localMin.y,
                             (corner & 4) ? m_localMax.z : m_localMin.z);
        CVector3 const world = m_matrix * local;
        min = corner == 0 ? world : Min(min, world);
        max = corner == 0 ? world : Max(max, world);
    }
    SetWorldBox(min, max);
}

void CBoundingBox::SetWorldBox(CVector3 const& min, CVector3 const& max)
{
    m_worldMin = min;
    m_worldMax = max;
    m_size = (max - min) * 0.5f;
    m_position = min + m_size;
    m_radius = m_size.GetLength();
}

bool CBoundingBox::IsPointInside(CVector3 const& point) const
{
    return m_worldMin <= point && point <= m_worldMax;
}

bool CBoundingBox::GetSphereIntersection(CVector3 const& centre, float radius) const
{
    float distanceSquared = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
        float const c = centre[axis];
        if (c < m_localMin[axis]) {
            float const d = m_localMin[axis] - c;
            distanceSquared += d * d;
        } else if (c > m_localMax[axis]) {
            float const d = c - m_localMax[axis];
            distanceSquared += d * d;
        }
    }
    return distanceSquared <= radius * radius;
}

bool CBoundingBox::GetBoundingBoxIntersection(CBoundingBox const& other) const
{
    for (int axis = 0; axis < 3; ++axis) {
        if (std::fabs(m_position[axis] - other.m_position[axis]) > m_size[axis] + other.m_size[axis]) {
            return false;
        }
    }
    return true;
}

bool CBoundingBox::GetRayIntersection(CRay const& ray) const
{
    CVector3 const halfSegment = ray.GetVector() * 0.5f;
    CVector3 const midpoint = ray.GetOrigin() + halfSegment;
    CVector3 const offset = midpoint - m_position;
    CVector3 const absHalf(std::fabs(halfSegment.x), std::fabs(halfSegment.y), std::fabs(halfSegment.z));
    for (int axis = 0; axis < 3; ++axis) {
        if (std::fabs(offset[axis]) > m_size[axis] + absHalf[axis]) {
            return false;
        }
    }
    // Cross products of the segment direction with the box axes.
    if (std::fabs(halfSegment.y * offset.z - halfSegment.z * offset.y) >
        m_size.y * absHalf.z + m_size.z * absHalf.y) {
        return false;
    }
    if (std::fabs(halfSegment.z * offset.x - halfSegment.x * offset.z) >
        m_size.x * absHalf.z + m_size.z * absHalf.x) {
        return false;
    }
    if (std::fabs(halfSegment.x * offset.y - halfSegment.y * offset.x) >
        m_size.x * absHalf.y + m_size.y * absHalf.x) {
        return false;
    }
    return true;
}

CPlane CBoundingBox::GetPlane(unsigned int index) const
{
    int const axis = static_cast<int>(index / 2) % 3;
    float const sign = (index % 2 == 0) ? -1.0f : 1.0f;
    CVector3 outward(0.0f);
    outward[axis] = sign;
    CVector3 const point = m_position + (m_size | outward);
    return CPlane(-outward, point);
}

CBoundingBox CBoundingBox::GetScaled(float factor) const
{
    CVector3 const half = m_size * factor;
    return CBoundingBox(m_position - half, m_position + half);
}
