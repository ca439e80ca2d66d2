#pragma once

#include <functional>
#include <vector>

#include "math/Vector.h"

class CFishRandom;

// Where in its area a fish heads for over minutes: the area is cut into regions that remember
// when the fish was last in them, and the fish sets out for one of those it has not seen for
// longest, so that over a few minutes it passes everywhere, high and low, front and back.
class CFishRoute
{
public:
    static constexpr int RegionsX = 4;
    static constexpr int RegionsY = 3;
    static constexpr int RegionsZ = 3;
    static constexpr int RegionsCount = RegionsX * RegionsY * RegionsZ;
    // A destination counts as reached this close across, and this close in height.
    static constexpr float ArrivalDistance = 1.5f;
    static constexpr float ArrivalHeight = 0.5f;
    // A leg that takes longer than this is given up.
    static constexpr float LongestLeg = 30.0f;
    // The destination is chosen among this many of the regions seen longest ago.
    static constexpr int OldestChoices = 2;
    // Draws of a point in a region before the region is passed over.
    static constexpr int PointTries = 8;

    // `room` is kept between a destination and the area's faces (by axis).
    void Create(CVector3 const& min, CVector3 const& max, CVector3 const& room);
    // Marks the region of the position as seen now.
    void Visit(CVector3 const& position, float now);
    // Sets out anew when there is no destination, it is reached or the leg is too long;
    // `acceptable` says whether a point may be a destination (not inside decor).
    void Refresh(CVector3 const& position, float now, CFishRandom& random,
                 std::function<bool(CVector3 const&)> const& acceptable);
    // Takes the destination of another route (a school follows its first fish).
    void Follow(CFishRoute const& leader, float now);
    void ShiftTime(float seconds);

    bool HasDestination() const { return m_hasDestination; }
    CVector3 const& GetDestination() const { return m_destination; }

private:
    // Near enough the destination, across and in height.
    bool IsReached(CVector3 const& position) const;
    int GetRegion(CVector3 const& position) const;

    CVector3 m_min{0.0f, 0.0f, 0.0f};
    CVector3 m_max{0.0f, 0.0f, 0.0f};
    CVector3 m_room{0.0f, 0.0f, 0.0f};
    std::vector<float> m_lastVisit;
    CVector3 m_destination{0.0f, 0.0f, 0.0f};
    bool m_hasDestination = false;
    float m_legStart = 0.0f;
};
