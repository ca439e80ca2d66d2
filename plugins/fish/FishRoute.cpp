#include "FishRoute.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "FishRandom.h"

namespace
{
// Regions never visited count as seen this long before the start.
constexpr float NeverSeen = -1.0e6f;
} // namespace

void CFishRoute::Create(CVector3 const& min, CVector3 const& max, CVector3 const& room)
{
    m_min = min;
    m_max = max;
    m_room = room;
    m_lastVisit.assign(RegionsCount, NeverSeen);
    m_hasDestination = false;
    m_legStart = 0.0f;
}

int CFishRoute::GetRegion(CVector3 const& position) const
{
    int const counts[3] = {RegionsX, RegionsY, RegionsZ};
    int cell[3];
    for (int axis = 0; axis < 3; ++axis) {
        float const extent = std::max(1e-6f, m_max[axis] - m_min[axis]);
        int const at = static_cast<int>(std::floor((position[axis] - m_min[axis]) / extent * counts[axis]));
        cell[axis] = std::clamp(at, 0, counts[axis] - 1);
    }
    return (cell[0] * RegionsY + cell[1]) * RegionsZ + cell[2];
}

bool CFishRoute::IsReached(CVector3 const& position) const
{
    CVector3 const offset = m_destination - position;
    return std::hypot(offset.x, offset.y) <= ArrivalDistance && std::abs(offset.z) <= ArrivalHeight;
}

void CFishRoute::Visit(CVector3 const& position, float now)
{
    if (!m_lastVisit.empty())
        m_lastVisit[static_cast<std::size_t>(GetRegion(position))] = now;
}

void CFishRoute::Refresh(CVector3 const& position, float now, CFishRandom& random,
                         std::function<bool(CVector3 const&)> const& acceptable)
{
    if (m_lastVisit.empty())
        return;
    Visit(position, now);
    if (m_hasDestination && now - m_legStart < LongestLeg && !IsReached(position))
        return;
    std::vector<int> order(RegionsCount);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return m_lastVisit[std::size_t(a)] < m_lastVisit[std::size_t(b)];
    });
    int const current = GetRegion(position);
    int const first = static_cast<int>(random.Next() * OldestChoices);
    for (int n = 0; n < RegionsCount; ++n) {
        int const region = order[static_cast<std::size_t>((first + n) % RegionsCount)];
        if (region == current)
            continue;
        int const cell[3] = {region / (RegionsY * RegionsZ), region / RegionsZ % RegionsY, region % RegionsZ};
        int const counts[3] = {RegionsX, RegionsY, RegionsZ};
        for (int attempt = 0; attempt < PointTries; ++attempt) {
            CVector3 point;
            for (int axis = 0; axis < 3; ++axis) {
                float const size = (m_max[axis] - m_min[axis]) / static_cast<float>(counts[axis]);
                float const low = std::max(m_min[axis] + m_room[axis], m_min[axis] + size * cell[axis]);
                float const high =
                    std::min(m_max[axis] - m_room[axis], m_min[axis] + size * (cell[axis] + 1));
                // Heights are drawn toward the bottom of the region: climbing comes easier to a
                // fish than diving, and the sand, rocks and plants are below.
                float draw = random.Next();
                if (axis == 2)
                    draw *= draw * draw;
                point[axis] = low < high ? low + draw * (high - low) : 0.5f * (m_min[axis] + m_max[axis]);
            }
            if (acceptable(point)) {
                m_destination = point;
                m_hasDestination = true;
                m_legStart = now;
                return;
            }
        }
    }
    m_hasDestination = false;
}

void CFishRoute::Follow(CFishRoute const& leader, float now)
{
    if (!leader.m_hasDestination)
        return;
    if (!m_hasDestination || (m_destination - leader.m_destination).GetLength() > 1e-4f)
        m_legStart = now;
    m_destination = leader.m_destination;
    m_hasDestination = true;
}

void CFishRoute::ShiftTime(float seconds)
{
    for (float& time : m_lastVisit) {
        if (time > NeverSeen)
            time -= seconds;
    }
    m_legStart -= seconds;
}
