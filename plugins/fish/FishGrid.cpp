#include "FishGrid.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float FaceClearance = 0.01f;

constexpr float MaxCellsAlong = 256.0f;

// At least one cell along every axis, so that a thin area still has a cell size, and a
// bounded number, so that a huge or broken area cannot exhaust memory.
int CellsAlong(float cells)
{
    if (!(cells >= 1.0f))
        return 1;
    return static_cast<int>(std::min(cells, MaxCellsAlong));
}
} // namespace

void CFishGrid::Create(CVector3 const& min, CVector3 const& max)
{
    Destroy();
    m_min = min;
    m_max = max;
    CVector3 const extent = max - min;
    m_size = vec3i(CellsAlong(extent.x * 0.5f), CellsAlong(extent.y / 0.8f), CellsAlong(extent.z * 4.0f));
    m_cellSize = CVector3(extent.x / static_cast<float>(m_size.x), extent.y / static_cast<float>(m_size.y),
                          extent.z / static_cast<float>(m_size.z));
    m_cells.assign(static_cast<std::size_t>(m_size.x) * m_size.y * m_size.z, 0);
    for (int i = 0; i < m_size.x; ++i) {
        for (int j = 0; j < m_size.y; ++j) {
            for (int k = 0; k < m_size.z; ++k) {
                vec3i const cell(i, j, k);
                CVector3 const point = GetCellPoint(cell);
                bool usable = true;
                for (int axis = 0; axis < 3; ++axis) {
                    if (point[axis] - min[axis] < FaceClearance || max[axis] - point[axis] < FaceClearance)
                        usable = false;
                }
                if (point.y > 2.0f && point.z < 1.5f)
                    usable = false;
                if (usable)
                    m_cells[GetIndex(cell)] = CellUsable;
            }
        }
    }
    m_free = false;
}

void CFishGrid::Destroy()
{
    if (m_free)
        return;
    m_cells.clear();
    m_cells.shrink_to_fit();
    m_size = vec3i(0, 0, 0);
    m_free = true;
}

bool CFishGrid::IsInside(vec3i const& cell) const
{
    return cell.x >= 0 && cell.y >= 0 && cell.z >= 0 && cell.x < m_size.x && cell.y < m_size.y &&
           cell.z < m_size.z;
}

vec3i CFishGrid::GetCellOfPosition(CVector3 const& position) const
{
    CVector3 const scaled = (position - m_min) / m_cellSize;
    int coordinates[3];
    int const limits[3] = {m_size.x, m_size.y, m_size.z};
    for (int axis = 0; axis < 3; ++axis) {
        float const value = scaled[axis] + 0.5f;
        // NaN and huge values end at the grid's edges, not in an out-of-range cast.
        int cell = 0;
        if (value >= static_cast<float>(limits[axis]))
            cell = limits[axis] - 1;
        else if (value > 0.0f)
            cell = static_cast<int>(value);
        coordinates[axis] = std::clamp(cell, 0, std::max(0, limits[axis] - 1));
    }
    return vec3i(coordinates[0], coordinates[1], coordinates[2]);
}

CVector3 CFishGrid::GetCellPoint(vec3i const& cell) const
{
    CVector3 const index(static_cast<float>(cell.x), static_cast<float>(cell.y), static_cast<float>(cell.z));
    return m_min + (index | m_cellSize);
}

bool CFishGrid::IsUsable(vec3i const& cell) const
{
    return IsInside(cell) && (m_cells[GetIndex(cell)] & CellUsable) != 0;
}

bool CFishGrid::IsOccupied(vec3i const& cell) const
{
    return IsInside(cell) && (m_cells[GetIndex(cell)] & CellOccupied) != 0;
}

int CFishGrid::GetCoverReach(float height) const
{
    float const reach = height / (2.0f * m_cellSize.z) + 0.5f;
    // A body taller than the whole grid covers all of it.
    if (!(reach < static_cast<float>(m_size.z)))
        return m_size.z;
    return static_cast<int>(std::max(0.0f, reach)) + 1;
}

bool CFishGrid::IsFreeFor(vec3i const& cell, float height) const
{
    if (!IsUsable(cell))
        return false;
    int const reach = GetCoverReach(height);
    for (int dz = -reach; dz <= reach; ++dz) {
        vec3i const covered(cell.x, cell.y, cell.z + dz);
        if (IsInside(covered) && m_cells[GetIndex(covered)] == (CellUsable | CellOccupied))
            return false;
    }
    return true;
}

void CFishGrid::SetCovered(vec3i const& cell, float height, bool occupied)
{
    int const reach = GetCoverReach(height);
    for (int dz = -reach; dz <= reach; ++dz) {
        vec3i const covered(cell.x, cell.y, cell.z + dz);
        if (!IsInside(covered))
            continue;
        std::uint8_t& flags = m_cells[GetIndex(covered)];
        flags = occupied ? static_cast<std::uint8_t>(flags | CellOccupied)
                         : static_cast<std::uint8_t>(flags & ~CellOccupied);
    }
}
