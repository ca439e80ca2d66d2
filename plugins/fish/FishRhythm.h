#pragma once

#include <vector>

#include "math/Vector.h"

class CFish;

// The fish's day: by night most of them rest low beside the plants and rocks and swim slowly,
// the shy species hide behind the rocks, and one fish in a few stays up; by day all are
// active. Rest comes gradually through the dusk, fish by fish.
class CFishRhythm
{
public:
    // Share of its own pace a fish keeps in the depth of the night.
    static constexpr float NightPace = 0.35f;
    // Share of its pace a fish keeps on its way to its resting place at night.
    static constexpr float TravelPace = 0.8f;
    // Within the first distance of its resting place a fish keeps the night's pace; beyond the
    // second, the pace of the way there.
    static constexpr float ArrivalDistance = 3.0f, TravelDistance = 6.0f;
    // How strongly a resting place draws its fish.
    static constexpr float RestPull = 4.0f;
    // Resting places lie this far above the bottom of the fish's area.
    static constexpr float RestHeight = 0.4f;
    // How far from a plant or beside a rock its fish settle.
    static constexpr float RestSpread = 1.2f;
    // How far behind a rock a hiding fish keeps.
    static constexpr float HideDepth = 1.2f;
    // Resting places keep this far from the side walls of the area.
    static constexpr float WallMargin = 1.0f;
    // Every this-many-th fish stays up through the night.
    static constexpr unsigned int WakefulEvery = 5;
    // The first fish rests once the need for rest passes the first value, the last at the
    // second.
    static constexpr float FirstToRest = 0.3f, LastToRest = 0.7f;

    // How much `hour` asks for rest: 0 by day, 1 by night.
    static float GetRestNeed(float hour);
    // Shy species hide behind the rocks to rest.
    static bool IsHidingSpecies(int species);
    // Whether fish `index` of a school of `count` rests when the need is `need`.
    static bool RestsAt(unsigned int index, unsigned int count, float need);

    // Chooses every fish's resting place in its area; call when the school is made.
    void Plan(CFish const* fishes, unsigned int count);
    // Sets the pace and the pull toward its resting place of every fish for `hour`.
    void Apply(float hour, CFish* fishes, unsigned int count);

    bool IsResting(unsigned int fish) const { return fish < m_resting.size() && m_resting[fish]; }
    CVector3 const& GetRestingPlace(unsigned int fish) const { return m_places[fish]; }

private:
    std::vector<CVector3> m_places;
    std::vector<bool> m_resting;
};
