#include "FishFood.h"

#include <algorithm>
#include <utility>

#include "Fish.h"
#include "FishArea.h"
#include "FishRandom.h"

namespace
{
CVector3 GetMouth(CFish const& fish)
{
    return fish.GetPosition() + fish.GetHeading() * (fish.GetLength() * 0.5f);
}

// Flakes sunk below the lowest point a fish's middle can reach are out of its reach.
bool IsWithinReach(CFish const& fish, CFishFood::SFlake const& flake)
{
    CFishArea const* area = fish.GetArea();
    return !flake.IsSettled() && area && flake.position.z >= area->GetMin().z;
}
} // namespace

void CFishFood::Drop(CVector3 const& point, float floor, CFishRandom& random)
{
    for (unsigned int i = 0; i < FlakesPerDrop; ++i) {
        if (m_flakes.size() >= MaxFlakes)
            m_flakes.erase(m_flakes.begin());
        SFlake flake;
        flake.position = point + CVector3(random.Spread(0.0f, DropSpread), random.Spread(0.0f, DropSpread),
                                          random.Spread(0.0f, DropSpread * 0.5f));
        flake.drift = CVector3(random.Spread(0.0f, DriftSpeed), random.Spread(0.0f, DriftSpeed), 0.0f);
        flake.floor = floor;
        m_flakes.push_back(flake);
    }
}

void CFishFood::Clear()
{
    m_flakes.clear();
    m_feeding.clear();
}

void CFishFood::Sink(float dt)
{
    for (SFlake& flake : m_flakes) {
        if (flake.IsSettled()) {
            flake.settled += dt;
            continue;
        }
        flake.position += (flake.drift + CVector3(0.0f, 0.0f, -SinkSpeed)) * dt;
        if (flake.position.z <= flake.floor) {
            flake.position.z = flake.floor;
            flake.settled = 0.0f;
        }
    }
    std::erase_if(m_flakes, [](SFlake const& flake) { return flake.settled > SettledLife; });
}

int CFishFood::FindNearestFlake(CFish const& fish, CVector3 const& from, float* distance) const
{
    int nearest = -1;
    for (std::size_t i = 0; i < m_flakes.size(); ++i) {
        if (!IsWithinReach(fish, m_flakes[i]))
            continue;
        float const d = (m_flakes[i].position - from).GetLength();
        if (nearest < 0 || d < *distance) {
            nearest = static_cast<int>(i);
            *distance = d;
        }
    }
    return nearest;
}

void CFishFood::Eat(CFish const& fish)
{
    float distance = 0.0f;
    int const flake = FindNearestFlake(fish, GetMouth(fish), &distance);
    if (flake >= 0 && distance < BiteReach + fish.GetHeight() * 0.5f) {
        m_flakes.erase(m_flakes.begin() + flake);
        ++m_eaten;
    }
}

void CFishFood::Refresh(float now, float dt, CFish* fishes, unsigned int count)
{
    Sink(dt);
    m_feeding.resize(count, false);
    // The fish that notice food, nearest first. The lists keep their room between frames.
    std::vector<std::pair<float, unsigned int>>& noticing = m_noticing;
    noticing.clear();
    for (unsigned int i = 0; i < count; ++i) {
        float distance = 0.0f;
        if (FindNearestFlake(fishes[i], fishes[i].GetPosition(), &distance) >= 0 && distance < NoticeDistance)
            noticing.emplace_back(m_feeding[i] ? distance - FeederHeadStart : distance, i);
    }
    std::sort(noticing.begin(), noticing.end());
    if (noticing.size() > MaxFeeders)
        noticing.resize(MaxFeeders);
    std::vector<bool>& feeding = m_nextFeeding;
    feeding.assign(count, false);
    for (auto const& [distance, fish] : noticing) {
        Eat(fishes[fish]);
        float nearest = 0.0f;
        int const flake = FindNearestFlake(fishes[fish], GetMouth(fishes[fish]), &nearest);
        if (flake < 0)
            continue;
        SFishPull pull;
        pull.point = m_flakes[static_cast<std::size_t>(flake)].position;
        pull.weight = FeedingPull;
        pull.pace = FeedingPace;
        fishes[fish].SetPull(pull);
        // A fish that notices the food dashes for it.
        if (!m_feeding[fish])
            fishes[fish].Startle(NoticeDash, now);
        feeding[fish] = true;
    }
    // Once the food is gone, the feeders scatter.
    bool const anyFeeding = std::find(feeding.begin(), feeding.end(), true) != feeding.end();
    for (unsigned int i = 0; i < count && !anyFeeding; ++i) {
        if (m_feeding[i])
            fishes[i].Startle(ScatterStartle, now);
    }
    m_feeding.swap(feeding);
}
