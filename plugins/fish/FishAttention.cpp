#include "FishAttention.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Fish.h"
#include "FishArea.h"

namespace
{
// The pointer has moved when it went this many pixels.
constexpr float MovedPixels = 0.5f;

float DistanceToRay(CRay const& ray, CVector3 const& point)
{
    CVector3 const& vector = ray.GetVector();
    float const length = vector * vector;
    if (length <= 0.0f)
        return (point - ray.GetOrigin()).GetLength();
    float const t = std::max(0.0f, ((point - ray.GetOrigin()) * vector) / length);
    return (point - ray.GetEnd(t)).GetLength();
}
} // namespace

bool CFishAttention::FindLookPoint(CRay const& ray, CFish const& fish, CVector3* point)
{
    CFishArea const* area = fish.GetArea();
    CVector3 const& vector = ray.GetVector();
    if (!area || std::abs(vector.y) < 1e-6f)
        return false;
    float const glass = area->GetMin().y + GlassGap;
    float const t = (glass - ray.GetOrigin().y) / vector.y;
    if (!(t > 0.0f) || !std::isfinite(t))
        return false;
    *point = ray.GetEnd(t);
    for (int axis : {0, 2}) {
        float const low = area->GetMin()[axis] + GlassGap;
        float const high = area->GetMax()[axis] - GlassGap;
        (*point)[axis] = low < high ? std::clamp((*point)[axis], low, high) : (low + high) * 0.5f;
    }
    return true;
}

void CFishAttention::Refresh(float now, float dt, SPointer const& pointer, CFish* fishes, unsigned int count)
{
    m_wasLooking.swap(m_looking);
    m_looking.assign(count, false);
    std::vector<bool> const& wasLooking = m_wasLooking;
    if (!pointer.over) {
        m_wasOver = false;
        return;
    }
    float const moved = m_wasOver ? (pointer.position - m_lastPosition).GetLength() : 0.0f;
    m_lastPosition = pointer.position;
    if (!m_wasOver || moved > MovedPixels)
        m_lastMove = now;
    m_wasOver = true;
    if (dt > 0.0f && moved / dt >= StartleSpeed) {
        for (unsigned int i = 0; i < count; ++i) {
            if (DistanceToRay(pointer.ray, fishes[i].GetPosition()) < StartleReach) {
                fishes[i].Startle(StartleFactor, now);
                ++m_startles;
            }
        }
        return;
    }
    if (now - m_lastMove > InterestSeconds || count == 0 ||
        !FindLookPoint(pointer.ray, fishes[0], &m_lookPoint))
        return;
    std::vector<std::pair<float, unsigned int>>& nearest = m_nearest;
    nearest.clear();
    for (unsigned int i = 0; i < count; ++i)
        nearest.emplace_back((fishes[i].GetPosition() - m_lookPoint).GetLength() -
                                 (i < wasLooking.size() && wasLooking[i] ? LookerHeadStart : 0.0f),
                             i);
    std::sort(nearest.begin(), nearest.end());
    for (unsigned int i = 0; i < std::min<unsigned int>(LookersCount, count); ++i) {
        SFishPull pull;
        pull.point = m_lookPoint;
        pull.weight = LookPull;
        pull.pace = LookPace;
        unsigned int const fish = nearest[i].second;
        fishes[fish].SetPull(pull);
        // A fish that notices the pointer sets off toward it.
        if (fish >= wasLooking.size() || !wasLooking[fish])
            fishes[fish].Startle(NoticePace, now);
        m_looking[fish] = true;
    }
}
