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

void CFishArea::Destroy()
{
    m_grid.reset();
    m_engine = nullptr;
    m_school = nullptr;
}
