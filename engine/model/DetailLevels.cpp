#include "model/DetailLevels.h"

void CDetailLevels::Clear()
{
    m_levels.clear();
    m_used = false;
    m_far = false;
    m_chosen = false;
}

void CDetailLevels::AddSet(std::string const& material)
{
    ELevel level = ELevel::Always;
    if (material.ends_with(NearSuffix))
        level = ELevel::Near;
    else if (material.ends_with(FarSuffix))
        level = ELevel::Far;
    m_levels.push_back(level);
    m_used = m_used || level != ELevel::Always;
}

void CDetailLevels::Choose(float pixels)
{
    // The first choice goes by the switch itself; the slack only keeps a level once drawn.
    if (!m_chosen)
        m_far = pixels < SwitchPixels;
    else if (m_far)
        m_far = pixels < SwitchPixels * (1.0f + SwitchSlack);
    else
        m_far = pixels < SwitchPixels * (1.0f - SwitchSlack);
    m_chosen = true;
}

bool CDetailLevels::IsDrawn(unsigned int set) const
{
    return set >= m_levels.size() || m_levels[set] != (m_far ? ELevel::Near : ELevel::Far);
}

unsigned int CDetailLevels::Filter(unsigned int* sets, unsigned int count) const
{
    unsigned int kept = 0;
    for (unsigned int i = 0; i < count; ++i) {
        if (IsDrawn(sets[i]))
            sets[kept++] = sets[i];
    }
    return kept;
}
