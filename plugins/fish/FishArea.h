#pragma once

#include <memory>
#include <vector>

#include "FishGrid.h"
#include "math/BoundingBox.h"

class CEngine;
class CFishSchool;

// One swimming area of the school: its box and the grid of cells over it.
class CFishArea
{
public:
    CFishArea() = default;
    ~CFishArea() { Destroy(); }
    CFishArea(CFishArea const&) = delete;
    CFishArea& operator=(CFishArea const&) = delete;

    void Create(CEngine* engine, CFishSchool* school, CVector3 const& min, CVector3 const& max);
    void Destroy();
    bool IsFree() const { return m_grid == nullptr; }

    // Nothing in an area changes over time; kept for the school's frame order.
    void Refresh() {}

    CEngine* GetEngine() const { return m_engine; }
    CFishSchool* GetSchool() const { return m_school; }
    CFishGrid* GetGrid() const { return m_grid.get(); }
    CBoundingBox const& GetBox() const { return m_box; }
    // Decor standing in the area (rocks, the starfish) that fish bodies keep out of.
    void AddObstacle(CVector3 const& min, CVector3 const& max);
    std::vector<CBoundingBox> const& GetObstacles() const { return m_obstacles; }
    CVector3 const& GetMin() const { return m_box.GetMinPoint(); }
    CVector3 const& GetMax() const { return m_box.GetMaxPoint(); }

private:
    CEngine* m_engine = nullptr;
    CFishSchool* m_school = nullptr;
    std::unique_ptr<CFishGrid> m_grid;
    CBoundingBox m_box;
    std::vector<CBoundingBox> m_obstacles;
};
