#include "TankLightShafts.h"

#include <cmath>

#include "math/Angles.h"
#include "model/Model.h"
#include "render/ShaderDescriptor.h"
#include "render/TriangleSet.h"

void CTankLightShafts::Create(CModel* backdrop)
{
    m_stage = nullptr;
    if (!backdrop || backdrop->GetTriangleSetsCount() == 0)
        return;
    TriangleSet* set = backdrop->GetTriangleSet(0);
    CShaderDescriptor* shader = set ? set->GetShaderDescriptor() : nullptr;
    if (!shader || shader->GetStagesCount() == 0)
        return;
    m_stage = shader->GetStage(0);
    m_home = m_stage->offsetU;
}

float CTankLightShafts::GetOffset() const
{
    return m_stage ? m_stage->offsetU - m_home : 0.0f;
}

bool CTankLightShafts::Refresh(double time)
{
    if (!m_stage)
        return false;
    double sway = 0.0;
    for (int i = 0; i < 2; ++i)
        sway += Sway[i] * std::sin(2.0 * math::Pi * std::fmod(time / SwayPeriod[i], 1.0));
    float const offset = m_home + static_cast<float>(sway);
    if (std::fabs(offset - m_stage->offsetU) < Step)
        return false;
    m_stage->offsetU = offset;
    return true;
}
