#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Fish.h"
#include "FishArea.h"
#include "FishFiles.h"
#include "FishHabits.h"
#include "FishRandom.h"
#include "LocalDay.h"
#include "math/Ray.h"

class CCamera;
class CEngine;

// The plug-in's fish: areas from the configuration, up to ten fish chosen from the installed
// packs, their frame-by-frame swimming, startling under the mouse, and the published
// positions. Time comes in from outside, so that the school can run on a fixed clock.
class CFishSchool
{
public:
    // The selection's slots give up to ten fish; "g_max_fishes" above that adds mates of the
    // chosen species, up to this many fish in all.
    static constexpr unsigned int MaxFishes = 2 * SFishSelection::SlotsCount;
    static constexpr float MouseStartle = 2.5f;
    static constexpr float ButtonStartle = 4.0f;
    // How far the school's time runs before its origin moves forward by as much.
    static constexpr double TimeOriginStep = 4096.0;
    // Relative change of the widest view's aspect that reshapes the areas.
    static constexpr float StretchTolerance = 1e-3f;

    CFishSchool() = default;
    ~CFishSchool() { Destroy(); }
    CFishSchool(CFishSchool const&) = delete;
    CFishSchool& operator=(CFishSchool const&) = delete;

    // `seed` seeds rand() and both generators. A file error ends the start-up with the fish
    // made so far; it is logged.
    void Create(CEngine* engine, CCamera* camera, std::uint32_t seed, float now);
    void Destroy();
    bool IsFree() const { return m_shutDown; }

    // Areas, the startle ray from the mouse, then every fish.
    void Refresh(float now, float dt);
    // Refresh at `clockSeconds` of a clock that may run for months: the school's own time
    // keeps its origin within an hour of now, so float times keep sub-millisecond steps.
    void RefreshOnClock(double clockSeconds, float dt);
    // Every fish whose box the ray meets swims off at `factor` times its maximum speed.
    void Startle(CRay const& ray, float factor, float now);
    // The local hour the fish live by (0 to 24).
    void SetHour(float hour) { m_hour = hour; }
    CFishHabits* GetHabits() { return &m_habits; }

    unsigned int GetAreasCount() const { return static_cast<unsigned int>(m_areas.size()); }
    CFishArea* GetArea(unsigned int index) const { return m_areas[index].get(); }
    unsigned int GetAreaFishesCount(unsigned int index) const { return m_areaFishesCount[index]; }
    unsigned int GetFishesCount() const { return m_fishesCount; }
    CFish* GetFish(unsigned int index) { return &m_fishes[index]; }
    unsigned int GetPacksCount() const { return static_cast<unsigned int>(m_packs.size()); }
    SFishPack const& GetPack(unsigned int index) const { return m_packs[index]; }
    SFishSelection const& GetSelection() const { return m_selection; }
    float GetStartTime() const { return m_startTime; }
    float GetRandomFactor() const { return m_randomFactor; }
    CFishRandom& GetSpreadRandom() { return m_spread; }
    CFishRandom& GetBetweenRandom() { return m_between; }

private:
    // The selection the host names, else the user's (reported when it is there but cannot be
    // read), else the installed one.
    std::string ChooseSelectionFile() const;
    void CreateAreas();
    // The configured areas, `stretch` times as wide (their obstacles added anew).
    void ShapeAreas(float stretch);
    // Monitors that came, went or changed the widest view reshape the areas, and the fish fit
    // into them; nothing is done (nor allocated) while the views stay.
    void FollowViews();
    // Decor boxes from "g_fish_obstacles_count" and "g_fish_obstacle_%d_min_x" ... "_max_z".
    void AddObstacles();
    void FindPacks();
    void CreateFishes(float now);
    // Fish of a species already in the school join its area, so that they can swim together.
    unsigned int ChooseArea(int species) const;
    // Adds mates of the species chosen, in turn, until the school holds `count` fish.
    void AddMates(unsigned int count, float now);
    void Publish(unsigned int fish);
    void StartleUnderMouse(float now);

    bool m_shutDown = true;
    CEngine* m_engine = nullptr;
    CCamera* m_camera = nullptr;
    std::vector<std::unique_ptr<CFishArea>> m_areas;
    // Each area's corners as configured, before the sideways stretch.
    std::vector<std::pair<CVector3, CVector3>> m_areaCorners;
    float m_areasStretch = 1.0f;
    std::vector<unsigned int> m_areaFishesCount;
    unsigned int m_fishesCount = 0;
    std::unique_ptr<CFish[]> m_fishes;
    // The fish file each fish was made from.
    std::vector<SFishFile> m_fishFiles;
    float m_startTime = 0.0f;
    double m_timeOrigin = 0.0;
    float m_randomFactor = 1.0f;

    float m_hour = CLocalDay::DayHour;
    CFishHabits m_habits;
    CFishRandom m_spread;
    CFishRandom m_between;
    std::vector<SFishPack> m_packs;
    SFishSelection m_selection;
    // Storage of the published variables; it outlives every run of the school, since the
    // configuration keeps pointing at it.
    int m_publishedCount = 0;
    float m_publishedPositions[MaxFishes][3] = {};
    bool m_publishedRegistered[MaxFishes] = {};
    bool m_countRegistered = false;
};
