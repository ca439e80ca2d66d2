#include "Fish.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "FishArea.h"
#include "FishFiles.h"
#include "FishRandom.h"
#include "core/Engine.h"
#include "math/Angles.h"
#include "math/Matrix4x4.h"
#include "math/Quaternion.h"
#include "model/Model.h"
#include "render/IndexBuffer.h"
#include "render/ShaderDescriptor.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"

namespace
{
constexpr unsigned int PlacementTries = 512;
// Vertical steering heads for a target more than this above or below, and levels off nearer.
constexpr float VerticalReach = 0.1f;
// Pitch differences below this are left alone.
constexpr float PitchTolerance = 0.02f;
// How much harder than the horizontal formula the vertical turn pulls toward the wanted pitch.
constexpr float VerticalGain = 4.0f;
// The steepest wanted pitch: the pitch limit's |heading.z| of 0.25.
constexpr float MaxWantedPitch = 0.2526803f;
// Wanted pitch toward the top or bottom of the area, per unit of room the body has left.
constexpr float PitchPerRoom = 0.5f;
// How far around the body decor counts as the floor below it.
constexpr float ObstacleLookAround = 1.0f;
// Room kept between a target cell and the area's top and bottom or decor, beyond the body.
constexpr float CellClearance = 0.1f;
constexpr float WallGap = 0.00001f;
// Weights of what the fish wants to swim toward, summed into one direction.
constexpr float HeadingWeight = 0.5f;
constexpr float TargetWeight = 1.0f;
constexpr float FollowerTargetWeight = 0.3f;
constexpr float DestinationWeight = 1.0f;
constexpr float AlignWeight = 1.2f;
constexpr float GatherWeight = 1.5f;
constexpr float AvoidWeight = 4.0f;
constexpr float WallWeight = 8.0f;
// Walls are looked for this many turns ahead.
constexpr float WallLookAhead = 1.5f;
// A target cell closer than this (horizontally) no longer pulls.
constexpr float TargetReach = 1.0f;
// Turn rate per radian between the heading and the wanted direction.
constexpr float TurnGain = 1.5f;
constexpr float TurnTolerance = 0.03f;
// Speed gained per unit of pull toward mates left behind.
constexpr float CatchUp = 0.6f;
// Bank per unit of sideways pull (turn rate × speed), its limit and how fast it changes.
constexpr float BankPerPull = 0.3f;
constexpr float MaxBank = 0.35f;
constexpr float BankRate = 0.5f;
// Share of the computed tail swing the two rear bones take.
constexpr float DrawnSwing = 0.12f;
// Tail beats per second of a fish at rest, and per body length per second of speed.
constexpr float RestingBeatRate = 0.5f;
constexpr float BeatsPerBodyLength = 1.1f;
// A body this many times longer than high counts as of ordinary build for its beat rate.
constexpr float OrdinarySlenderness = 2.5f;
// Room a destination keeps from the area's faces beyond the body.
constexpr float RouteRoom = 0.3f;
// Room a body keeps beside a side wall beyond half its length.
constexpr float WallRoom = 0.5f;
// A burst of speed: share of the maximum and its length.
constexpr float BurstFactor = 1.7f;
constexpr char const* BoneNames[CFish::BonesCount] = {"Bone01", "Bone02", "Bone03", "Bone04", "Bone05"};

float SafeAcos(float value)
{
    if (value > 0.999999f)
        return 0.0f;
    if (value < -0.999999f)
        return math::Pi;
    return std::acos(value);
}

float WrapAngle(float angle)
{
    while (angle > math::Pi)
        angle -= 2.0f * math::Pi;
    while (angle < -math::Pi)
        angle += 2.0f * math::Pi;
    return angle;
}

float MoveToward(float value, float target, float step)
{
    if (value < target)
        return std::min(target, value + step);
    return std::max(target, value - step);
}

float HorizontalLength(CVector3 const& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y);
}

// Unit normal of the vertical plane through the heading, about which the fish pitches.
CVector3 GetPitchAxis(CVector3 const& heading)
{
    CVector3 axis(-heading.y, heading.x, 0.0f);
    float const length = axis.GetLength();
    if (length < 1e-6f)
        return CVector3(1.0f, 0.0f, 0.0f);
    return axis / length;
}

CVector3 Normalised(CVector3 const& v)
{
    float const length = v.GetLength();
    return length > 0.0f ? v / length : CVector3(1.0f, 0.0f, 0.0f);
}

// The value nearest to `value` within [low, high]; the middle when the range is empty.
float ClampInto(float value, float low, float high)
{
    return low <= high ? std::clamp(value, low, high) : (low + high) * 0.5f;
}

// Turns a heading that points into a wall across `axis` (toward the low side for sign −1, the
// high side for +1) along the wall, so the body held there swims the way it faces.
void TurnAlongWall(CVector3* heading, int axis, float sign)
{
    if ((*heading)[axis] * sign > 0.0f) {
        (*heading)[axis] = 0.0f;
        *heading = Normalised(*heading);
    }
}

// Flattens a heading that points down (sign −1) or up (sign +1).
void LevelOff(CVector3* heading, float sign)
{
    TurnAlongWall(heading, 2, sign);
}

// Angle above the horizontal plane.
float GetPitch(CVector3 const& v)
{
    return std::atan2(v.z, HorizontalLength(v));
}

// The root bone's turn for a heading: yaw about z, pitch about y (negative when climbing).
struct SHeadingAngles
{
    float yaw;
    float pitch;
};

SHeadingAngles GetHeadingAngles(CVector3 const& heading)
{
    float const horizontal = HorizontalLength(heading);
    float yaw = horizontal > 0.0f ? SafeAcos(heading.x / horizontal) : 0.0f;
    if (heading.y <= 0.0f)
        yaw = -yaw;
    float pitch = SafeAcos(horizontal);
    if (heading.z >= 0.0f)
        pitch = -pitch;
    return {yaw, pitch};
}
} // namespace

CFishGrid* CFish::Grid() const
{
    return m_area->GetGrid();
}

void CFish::SetHeading(CVector3 const& heading)
{
    m_heading = Normalised(heading);
}

void CFish::SetCells(vec3i const& previous, vec3i const& occupied, vec3i const& target)
{
    m_previousCell = previous;
    m_occupiedCell = occupied;
    m_targetCell = target;
}

void CFish::Create(CEngine* engine, CFishArea* area, SFishFile const& file, unsigned int layer,
                   SRandoms const& randoms, float now)
{
    Destroy();
    m_engine = engine;
    m_area = area;
    m_randoms = randoms;
    m_turnSign = 1.0f;
    m_sizeDivisor = file.sizeDivisor;
    m_lastReplan = -100.0f;
    m_replanPending = false;
    m_pitchRecovery = false;
    m_approaching = false;

    CreateModel(file);
    CreateRoute();
    m_influence = SInfluence();
    m_bank = 0.0f;
    m_appliedTurn = CQuaternion::GetZero();
    m_skinnedTurn = CQuaternion::GetZero();
    DrawSpeeds(file, now);
    DrawHeading();
    Place(layer);
    // The root bone starts with the heading's orientation, so the first frame does not bend.
    SHeadingAngles const angles = GetHeadingAngles(m_heading);
    m_bones[0].angleZ = angles.yaw;
    m_bones[0].angleY = angles.pitch;

    m_targetCell = CFishGrid::NoCell();
    m_previousCell = CFishGrid::NoCell();
    Replan(now);
    if (m_model && m_model->GetAnimationControl())
        m_model->GetAnimationControl()->Start();
}

int CFish::GetSpeciesOf(char const* modelFileName)
{
    return std::strlen(modelFileName) > 4 ? std::atoi(modelFileName + 4) : 0;
}

void CFish::CreateModel(SFishFile const& file)
{
    m_model = m_engine->GetModelManager()->AddModel(file.modelFileName, 0);
    int const texture = GetSpeciesOf(file.modelFileName);
    m_species = texture;
    char image[64];
    char opacity[64];
    std::snprintf(image, sizeof image, "fish%d_%d.jpg", texture, static_cast<int>(file.textureVariant));
    std::snprintf(opacity, sizeof opacity, "fish_alfa_%d_%d.jpg", texture,
                  static_cast<int>(file.textureVariant));

    CShaderManager* shaders = m_engine->GetShaderManager();
    // The body samples the fins' texture with blending off: one texture per variant.
    CShaderDescriptor opaque;
    shaders->CreateShaderDescriptor(&opaque, 0u);
    opaque.AddStage(SSF_TEXTURE | SSF_OPACITY_MAP | SSF_MIP_MAPPING, 1, 0.0f, image, opacity, SSBT_REPEAT);
    opaque.GetStage(0)->borderU = SSBT_CLAMP;
    opaque.GetStage(0)->borderV = SSBT_CLAMP;
    CShaderDescriptor transparent;
    shaders->CreateShaderDescriptor(&transparent, SP_BLENDING);
    transparent.SetBlendingFactor(0, SBF_SRC_ALPHA);
    transparent.SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    transparent.AddStage(SSF_TEXTURE | SSF_OPACITY_MAP | SSF_MIP_MAPPING, 1, 0.0f, image, opacity,
                         SSBT_REPEAT);

    unsigned int const sets = m_model->GetTriangleSetsCount();
    if (sets == 1) {
        m_model->GetTriangleSet(0)->ChangeShader(opaque);
    } else {
        for (unsigned int i = 0; i < sets; ++i) {
            TriangleSet* set = m_model->GetTriangleSet(i);
            CShaderDescriptor const* loaded = set->GetShaderDescriptor();
            bool const blended = loaded && (loaded->GetProperties() & SP_BLENDING) != 0;
            set->ChangeShader(blended ? transparent : opaque);
        }
    }
    m_model->AddProperties(MP_TRANSPARENT);
    if (AnimationControl* animation = m_model->GetAnimationControl()) {
        // The swim cycle is the tail's beat: it runs as long as the fish swims.
        animation->SetLoop(true);
        animation->Stop();
        animation->Start();
    }
    m_model->SaveMatrix();
    FindMiddleVertices();

    CBoundingBox const& box = m_model->GetBoundingBox();
    CVector3 const extent = box.GetMaxPoint() - box.GetMinPoint();
    m_bodyCentre = (box.GetLocalMinPoint() + box.GetLocalMaxPoint()) * 0.5f;
    m_length = extent.x / m_sizeDivisor;
    m_width = extent.y / m_sizeDivisor;
    m_height = extent.z / m_sizeDivisor;
    CSkeleton* skeleton = m_model->GetSkeleton();
    for (unsigned int i = 0; i < BonesCount; ++i) {
        m_bones[i] = SSpineBone();
        m_bones[i].skeleton = skeleton;
        m_bones[i].index = skeleton->GetBoneIndexByName(BoneNames[i]);
    }
}

void CFish::DrawSpeeds(SFishFile const& file, float now)
{
    CFishRandom& random = *m_randoms.spread;
    m_wantedFactor =
        file.minimumWantedSpeed + random.Next() * (file.maximumWantedSpeed - file.minimumWantedSpeed);
    m_wantedFactorTarget = m_wantedFactor;
    m_baseSpeedFactor = (random.Next() * 0.8f + 1.0f) * 0.75f;
    m_maximumSpeed = (random.Next() + 1.5f) * 0.75f;
    m_minimumSpeed = (random.Next() * 0.9f + 0.1f) * 0.75f;
    m_speed = 0.0f;
    m_nextSpeedChange = now;
}

void CFish::DrawHeading()
{
    CFishRandom& random = *m_randoms.spread;
    float const x = random.Next();
    float const y = random.Next();
    float const z = random.Next() * 0.1f * std::min(x, y);
    CVector3 heading(x, y, z);
    for (int axis = 0; axis < 3; ++axis) {
        if (random.Next() > 0.5f)
            heading[axis] = -heading[axis];
    }
    m_heading = Normalised(heading);
}

void CFish::Place(unsigned int layer)
{
    CVector3 const& min = m_area->GetMin();
    CVector3 const& max = m_area->GetMax();
    CFishRandom& random = *m_randoms.spread;
    float const margin = std::min(0.8f, (max.y - min.y) * 0.25f);
    // Layers span the heights the body fits at, so that no fish starts in the floor.
    float const half = std::min(m_height * 0.5f, (max.z - min.z) * 0.5f);
    m_position.z = min.z + half + (max.z - min.z - 2.0f * half) * static_cast<float>(layer) / 10.0f;
    for (unsigned int attempt = 0; attempt < PlacementTries; ++attempt) {
        m_position.x = min.x + random.Next() * (max.x - min.x);
        m_position.y = min.y + margin + random.Next() * (max.y - min.y - 2.0f * margin);
        vec3i const cell = Grid()->GetCellOfPosition(m_position);
        if (Grid()->IsFreeFor(cell, m_height)) {
            Grid()->Occupy(cell, m_height);
            m_occupiedCell = cell;
            return;
        }
    }
    m_position.x = m_randoms.between->Between(min.x, max.x);
    m_position.y = min.y;
    m_occupiedCell = Grid()->GetCellOfPosition(m_position);
    Grid()->Occupy(m_occupiedCell, m_height);
}

void CFish::Destroy()
{
    if (!m_engine)
        return;
    m_engine->GetModelManager()->RemoveModel(m_model);
    m_model = nullptr;
    for (SSpineBone& bone : m_bones)
        bone = SSpineBone();
    m_previousCell = m_occupiedCell = m_targetCell = CFishGrid::NoCell();
    m_area = nullptr;
    m_engine = nullptr;
}

void CFish::Startle(float factor, float now)
{
    m_wantedFactor = m_minimumSpeed;
    m_wantedFactorTarget = m_maximumSpeed * factor;
    m_speed = m_maximumSpeed * factor;
    m_nextSpeedChange = now + 4.0f;
}

void CFish::ShiftTime(float seconds)
{
    m_nextSpeedChange -= seconds;
    m_lastReplan -= seconds;
    m_route.ShiftTime(seconds);
}

void CFish::Follow(CFish const& leader, float now)
{
    m_route.Follow(leader.m_route, now);
    // The leader's pace, unless this fish was startled or turned back by a wall a moment ago.
    if (now >= m_nextSpeedChange && m_baseSpeedFactor > 0.0f) {
        m_wantedFactorTarget = leader.m_wantedFactorTarget * leader.m_baseSpeedFactor / m_baseSpeedFactor;
        m_nextSpeedChange = now;
    }
}

void CFish::Nudge(CVector3 const& offset)
{
    m_position += offset;
    CVector3 const reach = GetBodyReach();
    for (int axis = 0; axis < 3; ++axis)
        m_position[axis] = ClampInto(m_position[axis], m_area->GetMin()[axis] + reach[axis],
                                     m_area->GetMax()[axis] - reach[axis]);
    PlaceBody();
}

void CFish::FitArea()
{
    // The cells held belonged to the grid that went.
    m_previousCell = CFishGrid::NoCell();
    m_targetCell = CFishGrid::NoCell();
    Nudge(CVector3(0.0f, 0.0f, 0.0f));
    m_occupiedCell = Grid()->GetCellOfPosition(m_position);
    Grid()->Occupy(m_occupiedCell, m_height);
    CreateRoute();
}

void CFish::CreateRoute()
{
    m_route.Create(
        m_area->GetMin(), m_area->GetMax(),
        CVector3(m_length * 0.5f + RouteRoom, m_length * 0.5f + RouteRoom, m_height * 0.5f + RouteRoom));
}

float CFish::GetTailBeatRate() const
{
    float const length = std::max(0.1f, m_length);
    float const slenderness = m_height > 0.0f ? m_length / m_height : OrdinarySlenderness;
    float const build = std::clamp(slenderness / OrdinarySlenderness, 0.6f, 1.6f);
    return build * (RestingBeatRate + BeatsPerBodyLength * m_speed / length);
}

void CFish::ComputeNeighbourWeights(float* weights) const
{
    CFishGrid const* grid = Grid();
    vec3i const current = grid->GetCellOfPosition(m_position);
    auto sameCell = [](vec3i const& a, vec3i const& b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
    auto isPrevious = [&](vec3i const& cell) {
        return IsCell(m_previousCell) && sameCell(cell, m_previousCell);
    };
    auto isOccupied = [&](vec3i const& cell) {
        return IsCell(m_occupiedCell) && sameCell(cell, m_occupiedCell);
    };
    for (int index = 0; index < static_cast<int>(NeighboursCount); ++index) {
        vec3i const d = GetNeighbourOffset(index);
        weights[index] = 0.0f;
        if (d.x == 0 && d.y == 0 && d.z == 0)
            continue;
        vec3i const cell(current.x + d.x, current.y + d.y, current.z + d.z);
        bool const previous = isPrevious(cell);
        if (!previous && (grid->IsBlocked(cell) || isOccupied(cell) || !grid->IsFreeFor(cell, m_height) ||
                          IsCrowdedPoint(grid->GetCellPoint(cell))))
            continue;
        CVector3 const direction = Normalised(grid->GetCellPoint(cell) - m_position);
        float const t = m_heading * direction;
        float weight = t <= 0.0f ? (t + 1.01f) * 0.1f : t * t + 0.1f;
        if (d.x != 0 && d.y == 0)
            weight *= 1.5f;
        else if (d.x == 0 && d.y == 0)
            weight = 0.015f;
        if (std::abs(d.y) == 1)
            weight *= 0.9f;
        if (previous)
            weight *= 0.03f;
        if (std::abs(d.x) + std::abs(d.y) == 2) {
            auto closed = [&](vec3i const& side) {
                return !grid->IsFreeFor(side, m_height) && !isOccupied(side) && !isPrevious(side);
            };
            if (closed(vec3i(current.x + d.x, current.y, current.z)) &&
                closed(vec3i(current.x, current.y + d.y, current.z)))
                weight = 0.0f;
        }
        weights[index] = weight;
    }
}

int CFish::PickNeighbour(float const* weights, float draw)
{
    float sum = 0.0f;
    for (int index = 0; index < static_cast<int>(NeighboursCount); ++index) {
        sum += weights[index];
        if (weights[index] > 0.0f && draw < sum)
            return index;
    }
    return -1;
}

void CFish::Replan(float now)
{
    if (now - m_lastReplan < ReplanInterval) {
        m_replanPending = true;
        return;
    }
    m_replanPending = false;
    m_lastReplan = now;
    CFishGrid* grid = Grid();
    if (IsCell(m_previousCell)) {
        grid->Release(m_previousCell, m_height);
        m_previousCell = CFishGrid::NoCell();
    }
    m_previousCell = m_occupiedCell;
    m_occupiedCell = m_targetCell;

    float weights[NeighboursCount];
    ComputeNeighbourWeights(weights);
    float total = 0.0f;
    for (float weight : weights)
        total += weight;
    m_targetCell = CFishGrid::NoCell();
    if (total > 0.0f) {
        int const chosen = PickNeighbour(weights, m_randoms.spread->Next() * total);
        if (chosen >= 0) {
            vec3i const current = grid->GetCellOfPosition(m_position);
            vec3i const d = GetNeighbourOffset(chosen);
            m_targetCell = vec3i(current.x + d.x, current.y + d.y, current.z + d.z);
            if ((grid->GetCellPoint(m_targetCell) - m_position) * m_heading < 0.0f) {
                m_wantedFactor = m_minimumSpeed;
                m_nextSpeedChange = now + 3.0f;
            }
        }
    }
    if (IsCell(m_targetCell)) {
        m_targetPosition = grid->GetCellPoint(m_targetCell);
        bool const turnsBack = IsCell(m_previousCell) && m_targetCell.x == m_previousCell.x &&
                               m_targetCell.y == m_previousCell.y && m_targetCell.z == m_previousCell.z;
        if (!turnsBack)
            grid->Occupy(m_targetCell, m_height);
        else
            m_previousCell = CFishGrid::NoCell();
        m_distance = m_lastDistance = (m_targetPosition - m_position).GetLength();
        m_approaching = false;
    } else {
        m_targetPosition = CVector3(0.0f, 0.0f, 0.0f);
    }
    if (!IsCell(m_occupiedCell)) {
        vec3i const cell = grid->GetCellOfPosition(m_position);
        if (grid->IsFreeFor(cell, m_height)) {
            grid->Occupy(cell, m_height);
            m_occupiedCell = cell;
        }
    }
}

void CFish::Refresh(float now, float dt)
{
    if (m_influence.leader < 0)
        m_route.Refresh(m_position, now, *m_randoms.between,
                        [this](CVector3 const& point) { return !IsCrowdedPoint(point); });
    else
        m_route.Visit(m_position, now);
    LimitPitch(dt);
    if (m_replanPending)
        Replan(now);
    if (!IsCell(m_targetCell)) {
        Wander(dt);
        Replan(now);
    } else {
        Steer(dt);
        Move(dt);
        m_lastDistance = m_distance;
        m_distance = (m_targetPosition - m_position).GetLength();
        if (m_distance < m_lastDistance)
            m_approaching = true;
        CVector3 const toTarget = m_targetPosition - m_position;
        if (HorizontalLength(toTarget) < 2.0f && m_approaching && m_distance > m_lastDistance)
            Replan(now);
    }
    BendSpine(dt);
    PlaceModel(now);
    ChangeSpeedPattern(now, dt);
}

void CFish::LimitPitch(float dt)
{
    if (std::abs(m_heading.z) > 0.25f) {
        m_heading.z = std::copysign(0.25f, m_heading.z);
        m_heading = Normalised(m_heading);
        m_pitchRecovery = true;
    }
    if (!m_pitchRecovery)
        return;
    m_heading.z = MoveToward(m_heading.z, 0.0f, dt * 0.3f);
    m_heading = Normalised(m_heading);
    if (std::abs(m_heading.z) < 0.1f) {
        m_heading.z = std::copysign(0.1f, m_heading.z);
        m_heading = Normalised(m_heading);
        m_pitchRecovery = false;
    }
}

void CFish::Wander(float dt)
{
    m_heading = Normalised(CMatrix4x4::GetRotationZ(dt * m_turnSign * 0.3f) * m_heading);
    Move(dt);
}

float CFish::GetTargetAngle(CVector3 const& heading) const
{
    CVector3 const toTarget = m_targetPosition - m_position;
    float const a = HorizontalLength(heading);
    float const b = HorizontalLength(toTarget);
    if (a <= 0.0f || b <= 0.0f)
        return 0.0f;
    return SafeAcos((heading.x * toTarget.x + heading.y * toTarget.y) / (a * b));
}

float CFish::GetTargetPitchDifference(CVector3 const& heading) const
{
    return std::abs(GetPitch(m_targetPosition - m_position) - GetPitch(heading));
}

void CFish::SwingTail(float dt)
{
    m_swingAngle += m_swingDirection * 2.0f * dt;
    if (m_swingAngle >= m_swingAmplitude || m_swingAngle <= -m_swingAmplitude) {
        m_swingAngle = std::clamp(m_swingAngle, -m_swingAmplitude, m_swingAmplitude);
        m_swingDirection = -m_swingDirection;
        m_swingAmplitude = m_randoms.between->Between(0.0f, 1.5f);
    }
}

float CFish::GetWantedPitch(CVector3 const& toTarget) const
{
    float pitch = std::abs(toTarget.z) > VerticalReach ? GetPitch(toTarget) : 0.0f;
    CVector3 const reach = GetBodyReach();
    float floor = m_area->GetMin().z;
    for (CBoundingBox const& obstacle : m_area->GetObstacles()) {
        CVector3 const& low = obstacle.GetMinPoint();
        CVector3 const& high = obstacle.GetMaxPoint();
        float const around = reach.x + ObstacleLookAround;
        if (m_position.x + around > low.x && m_position.x - around < high.x &&
            m_position.y + reach.y + ObstacleLookAround > low.y &&
            m_position.y - reach.y - ObstacleLookAround < high.y)
            floor = std::max(floor, high.z);
    }
    float const below = std::max(0.0f, m_position.z - reach.z - floor);
    float const above = std::max(0.0f, m_area->GetMax().z - m_position.z - reach.z);
    pitch = std::clamp(pitch, -below * PitchPerRoom, above * PitchPerRoom);
    return std::clamp(pitch, -MaxWantedPitch, MaxWantedPitch);
}

CVector3 CFish::GetWallAvoidance() const
{
    // A wall within a turn's reach ahead pushes the more the nearer it is.
    float const reach = WallLookAhead * (std::max(m_speed, m_minimumSpeed) / GetTurnRateLimit() + m_length);
    CVector3 const& min = m_area->GetMin();
    CVector3 const& max = m_area->GetMax();
    CVector3 push(0.0f, 0.0f, 0.0f);
    for (int axis = 0; axis < 2; ++axis) {
        // Close beside a wall the body would swing into it as it turns.
        float const beside = m_length * 0.5f + WallRoom;
        if (m_position[axis] - min[axis] < beside)
            push[axis] += 1.0f - (m_position[axis] - min[axis]) / beside;
        if (max[axis] - m_position[axis] < beside)
            push[axis] -= 1.0f - (max[axis] - m_position[axis]) / beside;
        float const ahead = m_position[axis] + m_heading[axis] * reach;
        float const lowRoom = ahead - (min[axis] + m_length * 0.5f);
        float const highRoom = (max[axis] - m_length * 0.5f) - ahead;
        if (lowRoom < 0.0f)
            push[axis] += std::min(1.0f, -lowRoom / reach);
        if (highRoom < 0.0f)
            push[axis] -= std::min(1.0f, -highRoom / reach);
    }
    // Decor ahead: over it, and around it.
    CVector3 const body = GetBodyReach();
    CVector3 const ahead = m_position + m_heading * reach;
    for (CBoundingBox const& obstacle : m_area->GetObstacles()) {
        CVector3 const& low = obstacle.GetMinPoint();
        CVector3 const& high = obstacle.GetMaxPoint();
        bool inside = true;
        for (int axis = 0; axis < 3; ++axis)
            inside = inside && ahead[axis] > low[axis] - body[axis] && ahead[axis] < high[axis] + body[axis];
        if (!inside)
            continue;
        CVector3 const centre = (low + high) * 0.5f;
        CVector3 away(ahead.x - centre.x, ahead.y - centre.y, 0.0f);
        push += Normalised(away) * 0.5f;
        push.z += 1.0f;
    }
    return push;
}

CVector3 CFish::GetWantedDirection() const
{
    bool const following = m_influence.leader >= 0 && m_influence.mates > 0;
    CVector3 const toTarget = m_targetPosition - m_position;
    CVector3 want = m_heading * HeadingWeight;
    if (IsCell(m_targetCell) && HorizontalLength(toTarget) > TargetReach)
        want += Normalised(toTarget) * (following ? FollowerTargetWeight : TargetWeight);
    if (m_route.HasDestination())
        want += Normalised(m_route.GetDestination() - m_position) * DestinationWeight;
    want += m_influence.align * AlignWeight + m_influence.gather * GatherWeight;
    want += m_influence.avoid * AvoidWeight + GetWallAvoidance() * WallWeight;
    if (m_pull.IsActive())
        want += Normalised(m_pull.point - m_position) * m_pull.weight;
    return Normalised(want);
}

float CFish::GetTurnRateLimit() const
{
    return std::max(HoverTurnRate, m_speed / (MinimumTurnRadius * std::max(0.1f, m_length)));
}

void CFish::Steer(float dt)
{
    SwingTail(dt);
    CVector3 const want = GetWantedDirection();

    // Horizontal: toward the wanted direction, no faster than the turn radius allows.
    float const turn =
        std::atan2(m_heading.x * want.y - m_heading.y * want.x, m_heading.x * want.x + m_heading.y * want.y);
    float const limit = GetTurnRateLimit();
    m_wantedTurnHorizontal =
        std::abs(turn) > TurnTolerance ? std::clamp(turn * TurnGain, -limit, limit) : 0.0f;

    float const wantedPitch = GetWantedPitch(want);
    float const pitch = std::abs(wantedPitch - GetPitch(m_heading));
    m_wantedTurnVertical = 0.0f;
    if (pitch > PitchTolerance) {
        float rate = 0.5f * std::min(1.0f, std::abs(0.3f * pitch - pitch) * VerticalGain);
        CVector3 const tilted = CMatrix4x4::GetRotation(GetPitchAxis(m_heading), 0.01f) * m_heading;
        if (std::abs(wantedPitch - GetPitch(tilted)) >= pitch)
            rate = -rate;
        m_wantedTurnVertical = std::clamp(rate, -limit, limit);
    }
    // Mates left behind catch up.
    float const catchUp = 1.0f + CatchUp * m_influence.gather.GetLength();
    m_speed = MoveToward(m_speed, m_baseSpeedFactor * m_wantedFactor * catchUp * m_pull.pace, 3.0f * dt);
    // A fish slowing down tightens its turn no further than its new speed allows.
    float const newLimit = GetTurnRateLimit();
    m_turnHorizontal =
        std::clamp(MoveToward(m_turnHorizontal, m_wantedTurnHorizontal, 5.0f * dt), -newLimit, newLimit);
    m_turnVertical =
        std::clamp(MoveToward(m_turnVertical, m_wantedTurnVertical, 5.0f * dt), -newLimit, newLimit);
    // The body rolls into the turn as far as the turn pulls it sideways.
    float const wantedBank = std::clamp(-m_turnHorizontal * m_speed * BankPerPull, -MaxBank, MaxBank);
    m_bank = MoveToward(m_bank, wantedBank, BankRate * dt);
}

void CFish::Move(float dt)
{
    CMatrix4x4 const turn = CMatrix4x4::GetRotation(GetPitchAxis(m_heading), dt * m_turnVertical) *
                            CMatrix4x4::GetRotationZ(dt * m_turnHorizontal);
    m_heading = turn * m_heading;
    m_position += m_heading * m_speed * dt;
}

void CFish::BendSpine(float dt)
{
    m_heading = Normalised(m_heading);
    if (!m_model)
        return;
    CSkeleton* skeleton = m_model->GetSkeleton();
    // The engine skinned the body drawn this frame before the school ran, with the turn set
    // the frame before; the model is placed for that turn.
    m_skinnedTurn = m_appliedTurn;
    skeleton->ResetAllBonesAdditionalPositionAndRotation();
    SHeadingAngles const angles = GetHeadingAngles(m_heading);
    float const yawChange = WrapAngle(m_bones[0].angleZ - angles.yaw);
    float const pitchChange = m_bones[0].angleY - angles.pitch;
    m_bones[0].angleZ = angles.yaw;
    m_bones[0].angleY = angles.pitch;
    float const cruise = m_wantedFactor * m_baseSpeedFactor;
    float const k = cruise > 0.0f ? std::min(1.0f, m_speed / cruise) : 1.0f;
    for (unsigned int i = 1; i < BonesCount; ++i) {
        SSpineBone& bone = m_bones[i];
        bone.angleZ = std::clamp(bone.angleZ + yawChange * 3.0f / 12.0f, -2.0f, 2.0f);
        bone.angleY = std::clamp(bone.angleY + pitchChange / 12.0f, -2.0f, 2.0f);
        bone.angleZ *= std::max(0.0f, 1.0f - std::abs(2.0f * dt) * std::abs(bone.angleZ));
        bone.angleY *= 1.0f - dt * k;
        bone.angleZ *= std::max(0.0f, 1.0f - std::abs(k * dt));
    }
    for (unsigned int i = 0; i < BonesCount; ++i) {
        SSpineBone const& bone = m_bones[i];
        if (bone.index < 0)
            continue;
        if (i == 0) {
            m_appliedTurn = GetRootTurn();
            skeleton->RotateBone(bone.index, m_appliedTurn);
            continue;
        }
        // The two rear bones carry the tail's swing on top of the bend.
        float const swing = i >= BonesCount - 2 ? m_swingAngle * DrawnSwing : 0.0f;
        skeleton->RotateBone(bone.index, CQuaternion::GetRotationY(bone.angleY) *
                                             CQuaternion::GetRotationZ(bone.angleZ + swing));
    }
}

CVector3 CFish::GetBodyReach() const
{
    CVector3 const along = m_heading;
    CVector3 const across = GetPitchAxis(m_heading);
    CVector3 const up = along ^ across;
    CVector3 reach;
    for (int axis = 0; axis < 3; ++axis) {
        reach[axis] = std::abs(along[axis]) * m_length * 0.5f + std::abs(across[axis]) * m_width * 0.5f +
                      std::abs(up[axis]) * m_height * 0.5f;
    }
    return reach;
}

bool CFish::IsCrowdedPoint(CVector3 const& point) const
{
    CVector3 const& min = m_area->GetMin();
    CVector3 const& max = m_area->GetMax();
    float const clearance = m_height * 0.5f + CellClearance;
    if (max.z - min.z > 2.0f * clearance && (point.z < min.z + clearance || point.z > max.z - clearance))
        return true;
    float const around = m_length * 0.5f + CellClearance;
    for (CBoundingBox const& obstacle : m_area->GetObstacles()) {
        CVector3 const& low = obstacle.GetMinPoint();
        CVector3 const& high = obstacle.GetMaxPoint();
        if (point.x > low.x - around && point.x < high.x + around && point.y > low.y - around &&
            point.y < high.y + around && point.z < high.z + clearance)
            return true;
    }
    return false;
}

void CFish::KeepInsideArea(float now)
{
    CVector3 const reach = GetBodyReach();
    CVector3 const& areaMin = m_area->GetMin();
    CVector3 const& areaMax = m_area->GetMax();
    if (m_position.y + reach.y > areaMax.y) {
        m_position.y = ClampInto(areaMax.y - reach.y - WallGap, areaMin.y + reach.y, areaMax.y - reach.y);
        m_wantedFactor = m_minimumSpeed;
        m_wantedFactorTarget = m_maximumSpeed;
        m_speed = m_maximumSpeed;
        m_nextSpeedChange = now + 4.0f;
        m_turnSign = 1.0f;
        TurnAlongWall(&m_heading, 1, 1.0f);
    } else if (m_position.y - reach.y < areaMin.y) {
        m_position.y = ClampInto(areaMin.y + reach.y + WallGap, areaMin.y + reach.y, areaMax.y - reach.y);
        Startle(1.0f, now);
        m_turnSign = 1.0f;
        TurnAlongWall(&m_heading, 1, -1.0f);
    }
    // Along x the steering turns the fish back; meanwhile the body held at the wall swims
    // along it, the way it faces.
    float const left = areaMin.x + reach.x;
    float const right = areaMax.x - reach.x;
    if (m_position.x < left && left <= right)
        TurnAlongWall(&m_heading, 0, -1.0f);
    else if (m_position.x > right && left <= right)
        TurnAlongWall(&m_heading, 0, 1.0f);
    m_position.x = ClampInto(m_position.x, left, right);
    float const low = areaMin.z + reach.z;
    float const high = areaMax.z - reach.z;
    if (m_position.z < low && low <= high)
        LevelOff(&m_heading, -1.0f);
    else if (m_position.z > high && low <= high)
        LevelOff(&m_heading, 1.0f);
    m_position.z = ClampInto(m_position.z, low, high);
}

void CFish::KeepOutOfObstacles()
{
    CVector3 const reach = GetBodyReach();
    float const ceiling = m_area->GetMax().z - reach.z;
    for (CBoundingBox const& obstacle : m_area->GetObstacles()) {
        CVector3 const& low = obstacle.GetMinPoint();
        CVector3 const& high = obstacle.GetMaxPoint();
        bool overlaps = true;
        for (int axis = 0; axis < 3; ++axis) {
            overlaps = overlaps && m_position[axis] + reach[axis] > low[axis] &&
                       m_position[axis] - reach[axis] < high[axis];
        }
        if (!overlaps)
            continue;
        float const over = high.z + reach.z + WallGap;
        if (over <= ceiling) {
            m_position.z = over;
            LevelOff(&m_heading, -1.0f);
            continue;
        }
        // Decor too tall to swim over: out sideways, the shortest way.
        int side = 0;
        float shortest = 1e30f;
        float shift = 0.0f;
        for (int axis = 0; axis < 2; ++axis) {
            float const toLow = m_position[axis] + reach[axis] - low[axis];
            float const toHigh = high[axis] - (m_position[axis] - reach[axis]);
            if (toLow < shortest) {
                shortest = toLow;
                side = axis;
                shift = -toLow - WallGap;
            }
            if (toHigh < shortest) {
                shortest = toHigh;
                side = axis;
                shift = toHigh + WallGap;
            }
        }
        m_position[side] += shift;
    }
}

CVector3 CFish::GetTurnedBodyCentre() const
{
    // The model's box follows the skinned body once the model is refreshed, so the centre is
    // the one taken at loading.
    CVector3 const& centre = m_bodyCentre;
    CSkeleton const* skeleton = m_model->GetSkeleton();
    int const root = m_bones[0].index;
    if (!skeleton || root < 0)
        return centre;
    CVector3 const joint = skeleton->GetBone(static_cast<unsigned int>(root))->animatedPosition;
    CMatrix4x4 const turn = m_skinnedTurn.GetMatrix();
    return joint + turn * (centre - joint);
}

CQuaternion CFish::GetRootTurn() const
{
    return CQuaternion::GetRotationX(m_bank) * CQuaternion::GetRotationY(m_bones[0].angleY) *
           CQuaternion::GetRotationZ(m_bones[0].angleZ);
}

void CFish::PlaceModel(float now)
{
    if (!m_model)
        return;
    if (AnimationControl* animation = m_model->GetAnimationControl())
        animation->SetSpeed(FramesPerBeat * GetTailBeatRate());
    KeepInsideArea(now);
    KeepOutOfObstacles();
    PlaceBody();
}

void CFish::PlaceBody()
{
    if (!m_model)
        return;
    m_model->RestoreMatrix();
    float const scale = 1.0f / m_sizeDivisor;
    m_model->Transform(CMatrix4x4::GetScale(CVector3(scale, scale, scale)));
    // The middle of the body as drawn is placed at the position the school steers: the fish
    // turns about its own body, and its middle holds its course while head and tail swing.
    CVector3 middle;
    if (!GetSkinnedMiddle(&middle))
        middle = GetTurnedBodyCentre();
    m_model->Transform(CMatrix4x4::GetTranslation(m_position - middle * scale));
}

bool CFish::GetSkinnedMiddle(CVector3* middle) const
{
    // Before its first refresh the model holds the straight body, which the turn has not reached.
    if (!m_model->GetVertexBuffer() || m_model->GetVisibleTriangleSetsCount() == 0)
        return false;
    Vertex const* vertices = m_model->GetVertexBuffer()->Get();
    CVector3 sum(0.0f, 0.0f, 0.0f);
    std::size_t count = 0;
    for (unsigned int i = 0; i < m_model->GetVisibleTriangleSetsCount(); ++i) {
        unsigned int const set = m_model->GetVisibleTriangleSet(i);
        if (set >= m_middleVertices.size())
            continue;
        for (unsigned int v : m_middleVertices[set])
            sum += vertices[v].position;
        count += m_middleVertices[set].size();
    }
    if (count == 0)
        return false;
    *middle = sum / static_cast<float>(count);
    return true;
}

void CFish::FindMiddleVertices()
{
    // The body's vertices (not the fins'), by set: their mean is the body's middle.
    m_middleVertices.assign(m_model->GetTriangleSetsCount(), {});
    VertexBuffer const* buffer = m_model->GetVertexBuffer();
    if (!buffer || (m_model->GetProperties() & MP_KINDS) != MP_SKELETAL)
        return;
    for (unsigned int s = 0; s < m_model->GetTriangleSetsCount(); ++s) {
        TriangleSet* set = m_model->GetTriangleSet(s);
        CShaderDescriptor const* shader = set ? set->GetShaderDescriptor() : nullptr;
        if (!set || !set->GetIndexBuffer() || (shader && (shader->GetProperties() & SP_BLENDING)))
            continue;
        unsigned int const first = set->GetIndexBuffer()->GetMinUsingVertex();
        unsigned int const last =
            std::min(buffer->GetSize(), first + set->GetIndexBuffer()->GetUsingVerticesCount());
        for (unsigned int v = first; v < last; ++v)
            m_middleVertices[s].push_back(v);
    }
}

void CFish::ChangeSpeedPattern(float now, float dt)
{
    if (now > m_nextSpeedChange) {
        CFishRandom& random = *m_randoms.spread;
        switch (std::rand() % 4) {
        case 0:
            m_wantedFactorTarget = m_minimumSpeed;
            m_nextSpeedChange = now + random.Spread(12.0f, 6.0f);
            break;
        case 1:
            m_wantedFactorTarget = (m_minimumSpeed + m_maximumSpeed) * 0.5f;
            m_nextSpeedChange = now + random.Spread(4.0f, 3.0f);
            break;
        case 2:
            m_wantedFactorTarget = m_maximumSpeed;
            m_nextSpeedChange = now + random.Spread(4.0f, 2.0f);
            break;
        default:
            // A short dash.
            m_wantedFactorTarget = m_maximumSpeed * BurstFactor;
            m_nextSpeedChange = now + random.Spread(1.5f, 0.5f);
            break;
        }
    }
    m_wantedFactor = MoveToward(m_wantedFactor, m_wantedFactorTarget, 4.0f * dt);
}
