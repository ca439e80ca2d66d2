#include "FishBody.h"
#include "math/Angles.h"

#include <cmath>

namespace content
{

CFishBody::CFishBody(SFishSpecies const& species)
    : m_species(species), m_tailX(-species.bodyLength * 0.45f),
      m_power(std::log(0.5f) / std::log(species.thickestAt))
{}

float CFishBody::GetShape(float s) const
{
    if (s <= 0.0f || s >= 1.0f) {
        return 0.0f;
    }
    return std::pow(std::sin(math::Pi * std::pow(s, m_power)), 0.7f);
}

float CFishBody::GetHalfHeight(float s) const
{
    float const rest = 1.0f - s;
    return m_species.bodyHeight * (GetShape(s) * (1.0f - m_species.peduncle * 0.3f) +
                                   m_species.peduncle * rest * rest * std::sqrt(rest));
}

float CFishBody::GetHalfWidth(float s) const
{
    float const rest = 1.0f - s;
    return m_species.bodyWidth * (GetShape(s) + 0.45f * m_species.peduncle * rest * rest);
}

float CFishBody::GetCentreZ(float s) const
{
    return m_species.arch * m_species.bodyHeight * GetShape(s);
}

} // namespace content
