#pragma once

#include <utility>
#include <vector>

#include "math/Vector.h"

class CFish;
class CFishRandom;

// Food flakes: dropped as a small cloud, they sink slowly with a little drift and come to rest
// on the sand, where they dissolve. Fish near the food turn to it and race for the flakes
// within their reach; a flake a fish's mouth reaches is eaten. Once no flake is left within
// reach of any of them the feeders scatter.
class CFishFood
{
public:
    static constexpr unsigned int MaxFlakes = 32;
    static constexpr unsigned int FlakesPerDrop = 8;
    // How far around the dropped point the flakes of one drop spread.
    static constexpr float DropSpread = 0.5f;
    static constexpr float SinkSpeed = 0.3f;
    static constexpr float DriftSpeed = 0.08f;
    // Seconds a flake lies on the sand before it has dissolved.
    static constexpr float SettledLife = 15.0f;
    // Fish farther than this from every flake within reach do not notice the food.
    static constexpr float NoticeDistance = 10.0f;
    // At most this many fish feed at once, the nearest first.
    static constexpr unsigned int MaxFeeders = 5;
    // A fish already feeding keeps its place among the feeders against fish this much nearer.
    static constexpr float FeederHeadStart = 3.0f;
    static constexpr float FeedingPull = 8.0f;
    static constexpr float FeedingPace = 1.3f;
    // A fish that notices the food dashes for it at this share of its top speed.
    static constexpr float NoticeDash = 1.2f;
    // A flake this far from the mouth, beyond half the body's height, is eaten.
    static constexpr float BiteReach = 0.35f;
    // Feeders scatter at this share of their top speed once the food is gone.
    static constexpr float ScatterStartle = 1.3f;

    struct SFlake
    {
        CVector3 position{0.0f, 0.0f, 0.0f};
        CVector3 drift{0.0f, 0.0f, 0.0f};
        // Height of the sand below the flake.
        float floor = 0.0f;
        // Seconds on the sand; negative while sinking.
        float settled = -1.0f;

        bool IsSettled() const { return settled >= 0.0f; }
    };

    // Drops a cloud of flakes around `point` over sand at height `floor`; the oldest flakes
    // give way when there are too many.
    void Drop(CVector3 const& point, float floor, CFishRandom& random);
    // Sinks the flakes, lets the fish eat and draws the nearest fish to the food (their pulls
    // are set over what the frame set before).
    void Refresh(float now, float dt, CFish* fishes, unsigned int count);
    void Clear();

    unsigned int GetFlakesCount() const { return static_cast<unsigned int>(m_flakes.size()); }
    SFlake const& GetFlake(unsigned int index) const { return m_flakes[index]; }
    bool IsFeeding(unsigned int fish) const { return fish < m_feeding.size() && m_feeding[fish]; }
    unsigned int GetEatenCount() const { return m_eaten; }

private:
    void Sink(float dt);
    // The flake within reach of `fish` nearest `from`, -1 when none.
    int FindNearestFlake(CFish const& fish, CVector3 const& from, float* distance) const;
    void Eat(CFish const& fish);

    std::vector<SFlake> m_flakes;
    std::vector<bool> m_feeding;
    std::vector<bool> m_nextFeeding;
    std::vector<std::pair<float, unsigned int>> m_noticing;
    unsigned int m_eaten = 0;
};
