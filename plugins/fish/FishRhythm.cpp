#include "FishRhythm.h"

#include <algorithm>
#include <cmath>

#include "../tank/TankLayout.h"
#include "Fish.h"
#include "FishArea.h"
#include "LocalDay.h"

namespace
{
// Spreads the fish of one place around it: the golden angle between neighbours.
constexpr float SpreadAngle = 2.39996323f;

// Plants standing in the area's floor plan, as places to rest beside.
std::vector<CVector3> FindPlants(CFishArea const& area)
{
    std::vector<CVector3> plants;
    auto add = [&](auto const& placements) {
        for (tank::SPlacement const& plant : placements) {
            if (plant.x > area.GetMin().x && plant.x < area.GetMax().x && plant.y > area.GetMin().y &&
                plant.y < area.GetMax().y)
                plants.emplace_back(plant.x, plant.y, area.GetMin().z);
        }
    };
    add(tank::TallPlants);
    add(tank::BushPlants);
    return plants;
}

CVector3 KeepInside(CFishArea const& area, CVector3 place)
{
    for (int axis = 0; axis < 2; ++axis) {
        float const low = area.GetMin()[axis] + CFishRhythm::WallMargin;
        float const high = area.GetMax()[axis] - CFishRhythm::WallMargin;
        place[axis] = low < high ? std::clamp(place[axis], low, high) : (low + high) * 0.5f;
    }
    // Over any rock the place ended up in.
    for (CBoundingBox const& obstacle : area.GetObstacles()) {
        CVector3 const& low = obstacle.GetMinPoint();
        CVector3 const& high = obstacle.GetMaxPoint();
        if (place.x > low.x && place.x < high.x && place.y > low.y && place.y < high.y && place.z < high.z)
            place.z = high.z + CFishRhythm::RestHeight;
    }
    place.z = std::min(place.z, area.GetMax().z);
    return place;
}
} // namespace

float CFishRhythm::GetRestNeed(float hour)
{
    return 1.0f - CLocalDay::GetDaylight(hour);
}

bool CFishRhythm::IsHidingSpecies(int species)
{
    return species % 3 == 2;
}

bool CFishRhythm::RestsAt(unsigned int index, unsigned int count, float need)
{
    if (index % WakefulEvery == WakefulEvery - 1)
        return false;
    float const order = count > 1 ? static_cast<float>(index) / static_cast<float>(count - 1) : 0.0f;
    return need > FirstToRest + (LastToRest - FirstToRest) * order;
}

void CFishRhythm::Plan(CFish const* fishes, unsigned int count)
{
    m_places.assign(count, CVector3(0.0f, 0.0f, 0.0f));
    m_resting.assign(count, false);
    for (unsigned int i = 0; i < count; ++i) {
        CFishArea const* area = fishes[i].GetArea();
        if (!area)
            continue;
        float const angle = SpreadAngle * static_cast<float>(i);
        CVector3 const around(std::cos(angle) * RestSpread, std::sin(angle) * RestSpread, 0.0f);
        CVector3 const bottom(0.0f, 0.0f, area->GetMin().z + RestHeight);
        std::vector<CBoundingBox> const& rocks = area->GetObstacles();
        if (IsHidingSpecies(fishes[i].GetSpecies()) && !rocks.empty()) {
            CBoundingBox const& rock = rocks[i % rocks.size()];
            CVector3 const centre = (rock.GetMinPoint() + rock.GetMaxPoint()) * 0.5f;
            m_places[i] = KeepInside(
                *area, CVector3(centre.x + around.x * 0.5f, rock.GetMaxPoint().y + HideDepth, bottom.z));
            continue;
        }
        std::vector<CVector3> spots = FindPlants(*area);
        for (CBoundingBox const& rock : rocks) {
            // Beside the rock, on the side toward the middle of the area.
            CVector3 const centre = (rock.GetMinPoint() + rock.GetMaxPoint()) * 0.5f;
            float const middle = (area->GetMin().x + area->GetMax().x) * 0.5f;
            float const side = centre.x < middle ? rock.GetMaxPoint().x : rock.GetMinPoint().x;
            spots.emplace_back(side + (centre.x < middle ? RestSpread : -RestSpread), centre.y, bottom.z);
        }
        if (spots.empty()) {
            m_places[i] = KeepInside(*area, (area->GetMin() + area->GetMax()) * 0.5f + around);
            m_places[i].z = bottom.z;
            continue;
        }
        CVector3 const& spot = spots[(i * 7u + 3u) % spots.size()];
        m_places[i] = KeepInside(*area, CVector3(spot.x + around.x, spot.y + around.y, bottom.z));
    }
}

void CFishRhythm::Apply(float hour, CFish* fishes, unsigned int count)
{
    if (m_places.size() != count)
        Plan(fishes, count);
    float const need = GetRestNeed(hour);
    float const pace = 1.0f - need * (1.0f - NightPace);
    for (unsigned int i = 0; i < count; ++i) {
        m_resting[i] = RestsAt(i, count, need);
        SFishPull pull;
        pull.pace = pace;
        if (m_resting[i]) {
            pull.point = m_places[i];
            pull.weight = RestPull * need;
            float const distance = (fishes[i].GetPosition() - m_places[i]).GetLength();
            float const away =
                std::clamp((distance - ArrivalDistance) / (TravelDistance - ArrivalDistance), 0.0f, 1.0f);
            pull.pace = std::max(pace, pace + (TravelPace - pace) * away);
        }
        fishes[i].SetPull(pull);
    }
}
