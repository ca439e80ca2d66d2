#pragma once

#include <cstdint>
#include <vector>

#include "math/Vector.h"

// Coarse cells over a swimming area. Fish steer from cell point to cell point and claim
// the cells their body covers, so that two fish do not head for the same place.
class CFishGrid
{
public:
    // Stands for "no cell" wherever a cell is expected.
    static vec3i NoCell() { return vec3i(-1000, -1000, -1000); }
    static bool IsNoCell(vec3i const& cell) { return cell.x == -1000 && cell.y == -1000 && cell.z == -1000; }

    CFishGrid() = default;
    ~CFishGrid() { Destroy(); }
    CFishGrid(CFishGrid const&) = default;
    CFishGrid& operator=(CFishGrid const&) = default;

    // Every cell unoccupied; usable unless it lies on a minimum or maximum face or in the
    // region y > 2, z < 1.5.
    void Create(CVector3 const& min, CVector3 const& max);
    void Destroy();
    bool IsFree() const { return m_free; }

    vec3i const& GetSize() const { return m_size; }
    CVector3 const& GetCellSize() const { return m_cellSize; }
    CVector3 const& GetMin() const { return m_min; }

    bool IsInside(vec3i const& cell) const;
    bool IsBlocked(vec3i const& cell) const { return !IsInside(cell); }
    // Nearest cell, clamped into the grid.
    vec3i GetCellOfPosition(CVector3 const& position) const;
    CVector3 GetCellPoint(vec3i const& cell) const;

    bool IsUsable(vec3i const& cell) const;
    bool IsOccupied(vec3i const& cell) const;
    // Cells above and below its own that a fish of this height covers.
    int GetCoverReach(float height) const;
    // Usable, and no covered cell is both occupied and usable.
    bool IsFreeFor(vec3i const& cell, float height) const;
    void Occupy(vec3i const& cell, float height) { SetCovered(cell, height, true); }
    void Release(vec3i const& cell, float height) { SetCovered(cell, height, false); }

private:
    enum : std::uint8_t
    {
        CellUsable = 1,
        CellOccupied = 2,
    };

    unsigned int GetIndex(vec3i const& cell) const
    {
        return static_cast<unsigned int>((cell.x * m_size.y + cell.y) * m_size.z + cell.z);
    }
    void SetCovered(vec3i const& cell, float height, bool occupied);

    bool m_free = true;
    CVector3 m_min{0.0f, 0.0f, 0.0f};
    CVector3 m_max{0.0f, 0.0f, 0.0f};
    CVector3 m_cellSize{1.0f, 1.0f, 1.0f};
    vec3i m_size{0, 0, 0};
    std::vector<std::uint8_t> m_cells;
};
