#pragma once

#include <vector>

#include "FishGrid.h"
#include "FishPull.h"
#include "FishRoute.h"
#include "math/Quaternion.h"
#include "math/Vector.h"

class CEngine;
class CFishArea;
class CFishRandom;
class CModel;
class CSkeleton;
struct SFishFile;

// One fish: wanders through its area's grid from cell to cell with a swinging tail,
// varying speed and a spine that bends with every turn.
class CFish
{
public:
    static constexpr unsigned int BonesCount = 5;
    static constexpr unsigned int NeighboursCount = 27;
    static constexpr float ReplanInterval = 0.3f;
    // Turns at cruising speed keep at least this many body lengths of radius.
    static constexpr float MinimumTurnRadius = 1.0f;
    // Turn rate (radians per second) a slow or hovering fish may still turn at.
    static constexpr float HoverTurnRate = 0.3f;
    // Frames of the model's swim cycle per tail beat.
    static constexpr float FramesPerBeat = 8.0f;

    // What the other fish of the school ask of this one, for one frame.
    struct SInfluence
    {
        // Away from bodies that are near or on a collision course.
        CVector3 avoid{0.0f, 0.0f, 0.0f};
        // The mean heading of the mates near (unit), zero without mates.
        CVector3 align{0.0f, 0.0f, 0.0f};
        // Toward the middle of the mates near, longer the further they are.
        CVector3 gather{0.0f, 0.0f, 0.0f};
        unsigned int mates = 0;
        // The fish this one follows (its school's first), -1 when it leads or swims alone.
        int leader = -1;
    };

    // The two generators of the school: `spread` for uniform draws, `between` for ranges.
    struct SRandoms
    {
        CFishRandom* spread = nullptr;
        CFishRandom* between = nullptr;
    };

    CFish() = default;
    ~CFish() { Destroy(); }
    CFish(CFish const&) = delete;
    CFish& operator=(CFish const&) = delete;

    // Loads the model with its two shaders, draws the speeds and heading and places the fish
    // in a free cell of its layer (0 to 9) of the area.
    void Create(CEngine* engine, CFishArea* area, SFishFile const& file, unsigned int layer,
                SRandoms const& randoms, float now);
    // Removes the model; the cells it holds stay with the grid, which goes with the area.
    void Destroy();
    bool IsFree() const { return m_engine == nullptr; }

    void Refresh(float now, float dt);
    void SetInfluence(SInfluence const& influence) { m_influence = influence; }
    SInfluence const& GetInfluence() const { return m_influence; }
    // A place that draws the fish until the next call.
    void SetPull(SFishPull const& pull) { m_pull = pull; }
    SFishPull const& GetPull() const { return m_pull; }
    // Follows the route and the speed of the fish leading its school.
    void Follow(CFish const& leader, float now);
    // Moves the body by `offset` (kept inside the area) and places the model there.
    void Nudge(CVector3 const& offset);
    // The area took a new shape and grid: the body is kept inside, holds the cell it is in and
    // plans its way anew.
    void FitArea();
    // Tail beats per second: rises with the speed in body lengths, faster for slender species.
    float GetTailBeatRate() const;
    // Roll into the current turn (radians, positive rolls the left flank up).
    float GetBank() const { return m_bank; }
    float GetTurnRate() const { return m_turnHorizontal; }
    int GetSpecies() const { return m_species; }
    // The species of a model file: the number after "fish" in its name.
    static int GetSpeciesOf(char const* modelFileName);
    CFishRoute const& GetRoute() const { return m_route; }
    void SetSpeed(float speed) { m_speed = speed; }
    // Swims off at `factor` times the maximum speed for a moment.
    void Startle(float factor, float now);
    // Chooses the next target cell; within the re-plan interval it is only remembered.
    void Replan(float now);
    // Moves the stored times back by `seconds`, for a clock whose origin moved forward.
    void ShiftTime(float seconds);

    // Weights of the 26 neighbours of the fish's cell, indexed (dx + 1) × 9 + (dy + 1) × 3 + dz + 1.
    void ComputeNeighbourWeights(float* weights) const;
    // Index of the first neighbour whose running sum of weights exceeds `draw`; -1 when none.
    static int PickNeighbour(float const* weights, float draw);
    static vec3i GetNeighbourOffset(int index)
    {
        return vec3i(index / 9 - 1, index / 3 % 3 - 1, index % 3 - 1);
    }

    CModel* GetModel() const { return m_model; }
    CFishArea* GetArea() const { return m_area; }
    CVector3 const& GetPosition() const { return m_position; }
    void SetPosition(CVector3 const& position) { m_position = position; }
    CVector3 const& GetHeading() const { return m_heading; }
    void SetHeading(CVector3 const& heading);
    CVector3 const& GetTargetPosition() const { return m_targetPosition; }
    vec3i const& GetPreviousCell() const { return m_previousCell; }
    vec3i const& GetOccupiedCell() const { return m_occupiedCell; }
    vec3i const& GetTargetCell() const { return m_targetCell; }
    // Sets the three cells as they are, without touching the grid.
    void SetCells(vec3i const& previous, vec3i const& occupied, vec3i const& target);

    float GetLength() const { return m_length; }
    float GetHeight() const { return m_height; }
    float GetWidth() const { return m_width; }
    // Half the extent of the drawn body along x, y and z for the heading: its box along the
    // heading, across it and up, centred on the position.
    CVector3 GetBodyReach() const;
    float GetSizeDivisor() const { return m_sizeDivisor; }
    float GetSpeed() const { return m_speed; }
    float GetBaseSpeedFactor() const { return m_baseSpeedFactor; }
    float GetWantedSpeedFactor() const { return m_wantedFactor; }
    float GetWantedSpeedTarget() const { return m_wantedFactorTarget; }
    float GetMinimumSpeed() const { return m_minimumSpeed; }
    float GetMaximumSpeed() const { return m_maximumSpeed; }
    float GetNextSpeedChange() const { return m_nextSpeedChange; }
    float GetTurnSign() const { return m_turnSign; }
    void SetTurnSign(float sign) { m_turnSign = sign; }
    bool IsReplanPending() const { return m_replanPending; }
    float GetBoneAngleZ(unsigned int bone) const { return m_bones[bone].angleZ; }
    float GetBoneAngleY(unsigned int bone) const { return m_bones[bone].angleY; }
    int GetBoneIndex(unsigned int bone) const { return m_bones[bone].index; }

private:
    struct SSpineBone
    {
        CSkeleton* skeleton = nullptr;
        int index = -1;
        float angleZ = 0.0f;
        float angleY = 0.0f;
    };

    void CreateModel(SFishFile const& file);
    void DrawSpeeds(SFishFile const& file, float now);
    void DrawHeading();
    void Place(unsigned int layer);

    void LimitPitch(float dt);
    void Wander(float dt);
    void SwingTail(float dt);
    void Steer(float dt);
    // Direction the fish wants to swim: its target cell and destination, its mates and the
    // bodies and walls around it.
    CVector3 GetWantedDirection() const;
    // Away from the area's side walls and the decor that lie within a turn ahead.
    CVector3 GetWallAvoidance() const;
    // Fastest turn: the minimum radius at the current speed, or the hovering rate.
    float GetTurnRateLimit() const;
    // The root bone's turn: roll, then pitch, then yaw.
    CQuaternion GetRootTurn() const;
    void PlaceBody();
    // Middle of the body as last skinned, in model space; false before the model has one.
    bool GetSkinnedMiddle(CVector3* middle) const;
    void FindMiddleVertices();
    // Pitch the fish heads for: the target's when it lies above or below, level otherwise,
    // flattened as the body nears the top or bottom of the area.
    float GetWantedPitch(CVector3 const& toTarget) const;
    void Move(float dt);
    void BendSpine(float dt);
    void PlaceModel(float now);
    // Pushes the body back inside the area; the far and near walls also change the speed.
    void KeepInsideArea(float now);
    // Lifts the body over any decor box it has run into.
    void KeepOutOfObstacles();
    // Cell points the body could not sit at: too near the area's top or bottom, or in decor.
    bool IsCrowdedPoint(CVector3 const& point) const;
    // The body's centre in model space as the root bone turned the body last skinned.
    CVector3 GetTurnedBodyCentre() const;
    void ChangeSpeedPattern(float now, float dt);

    bool IsCell(vec3i const& cell) const { return !CFishGrid::IsNoCell(cell); }
    // The route over the whole area, kept a body's room from its faces.
    void CreateRoute();
    CFishGrid* Grid() const;
    float GetTargetAngle(CVector3 const& heading) const;
    float GetTargetPitchDifference(CVector3 const& heading) const;

    CEngine* m_engine = nullptr;
    CFishArea* m_area = nullptr;
    // Fish with the same model number are one species.
    int m_species = 0;
    SInfluence m_influence;
    SFishPull m_pull;
    CFishRoute m_route;
    float m_bank = 0.0f;
    // By triangle set, the body's vertices (the fins' sets have none).
    std::vector<std::vector<unsigned int>> m_middleVertices;
    // The root turn last set on the skeleton, and the one the drawn body was skinned with.
    CQuaternion m_appliedTurn = CQuaternion::GetZero();
    CQuaternion m_skinnedTurn = CQuaternion::GetZero();
    SRandoms m_randoms;
    float m_turnSign = 1.0f;
    float m_sizeDivisor = 1.0f;
    float m_length = 0.0f;
    float m_height = 0.0f;
    float m_width = 0.0f;
    // Middle of the model's box as loaded, before the skeleton turns it.
    CVector3 m_bodyCentre{0.0f, 0.0f, 0.0f};
    float m_speed = 0.0f;
    float m_baseSpeedFactor = 1.0f;
    float m_wantedFactor = 1.0f;
    float m_wantedFactorTarget = 1.0f;
    float m_minimumSpeed = 0.0f;
    float m_maximumSpeed = 0.0f;
    CVector3 m_position{0.0f, 0.0f, 0.0f};
    CVector3 m_targetPosition{0.0f, 0.0f, 0.0f};
    CVector3 m_heading{1.0f, 0.0f, 0.0f};
    bool m_pitchRecovery = false;
    SSpineBone m_bones[BonesCount];
    CModel* m_model = nullptr;
    vec3i m_previousCell = CFishGrid::NoCell();
    vec3i m_occupiedCell = CFishGrid::NoCell();
    vec3i m_targetCell = CFishGrid::NoCell();
    float m_distance = 0.0f;
    float m_lastDistance = 0.0f;
    bool m_approaching = false;
    float m_wantedTurnHorizontal = 0.0f;
    float m_wantedTurnVertical = 0.0f;
    float m_turnHorizontal = 0.0f;
    float m_turnVertical = 0.0f;
    float m_swingAngle = 0.0f;
    float m_swingDirection = 1.0f;
    float m_swingAmplitude = 0.75f;
    float m_nextSpeedChange = 0.0f;
    float m_lastReplan = -100.0f;
    bool m_replanPending = false;
};
