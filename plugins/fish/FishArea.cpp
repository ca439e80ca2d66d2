#include "FishArea.h"

void CFishArea::Create(CEngine* engine, CFishSchool* school, CVector3 const& min, CVector3 const& max)
{
    Destroy();
    m_engine = engine;
    m_school = school;
    m_box.Set(min, max);
    m_grid = std::make_unique<CFishGrid>();
    m_grid->Create(min, max);
}

void CFishArea::AddObstacle(CVector3 const& min, CVector3 const& max)
{
    CBoundingBox obstacle;
    obstacle.Set(min, max);
    if (obstacle.GetBoundingBoxIntersection(m_box))
        m_obstacles.push_back(obstacle);
}

void CFishArea::Destroy()
{
    m_obstacles.clear();
    m_grid.reset();
    m_engine = nullptr;
    m_school = nullptr;
}
