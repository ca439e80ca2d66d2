#include "FishShoal.h"

#include <algorithm>
#include <cmath>

#include "Fish.h"

namespace
{
// Fish of other species keep this much further apart than mates, in body lengths.
constexpr float StrangerReach = 0.6f;
// The push of a collision course seen ahead, against the push of a body already near.
constexpr float CourseWeight = 1.5f;

CVector3 Normalised(CVector3 const& v, CVector3 const& fallback)
{
    float const length = v.GetLength();
    return length > 1e-6f ? v / length : fallback;
}

// Side and up axes of a body facing `heading`.
void GetCrossAxes(CVector3 const& heading, CVector3* side, CVector3* up)
{
    CVector3 s(-heading.y, heading.x, 0.0f);
    *side = Normalised(s, CVector3(0.0f, 1.0f, 0.0f));
    *up = heading ^ *side;
}

// How far the body reaches from its spine in direction `d` (unit).
float GetReach(CFish const& fish, CVector3 const& d)
{
    CVector3 side, up;
    GetCrossAxes(fish.GetHeading(), &side, &up);
    float const halfWidth = fish.GetWidth() * 0.5f + CFishShoal::SwingRoom;
    float const halfHeight = fish.GetHeight() * 0.5f + CFishShoal::SwingRoom;
    float const s = (d * side) * halfWidth;
    float const u = (d * up) * halfHeight;
    float const a = (d * fish.GetHeading()) * halfWidth;
    return std::sqrt(s * s + u * u + a * a);
}

// Half the length of the spine segment: the body less its rounded ends.
float GetSpineHalf(CFish const& fish)
{
    return std::max(0.0f, fish.GetLength() * 0.5f - fish.GetWidth() * 0.5f);
}

// Closest points of two segments centre ± half × axis.
void GetClosestPoints(CVector3 const& p, CVector3 const& a, float ha, CVector3 const& q, CVector3 const& b,
                      float hb, CVector3* onA, CVector3* onB)
{
    CVector3 const r = p - q;
    float const ab = a * b;
    float const ar = a * r;
    float const br = b * r;
    float const denominator = 1.0f - ab * ab;
    float s = denominator > 1e-6f ? std::clamp((ab * br - ar) / denominator, -ha, ha) : 0.0f;
    float t = std::clamp(br + ab * s, -hb, hb);
    s = std::clamp(ab * t - ar, -ha, ha);
    *onA = p + a * s;
    *onB = q + b * t;
}
} // namespace

bool CFishShoal::AreMates(CFish const& a, CFish const& b)
{
    return a.GetSpecies() == b.GetSpecies() && a.GetArea() == b.GetArea();
}

float CFishShoal::GetGap(CFish const& a, CFish const& b, CVector3* direction)
{
    CVector3 onA, onB;
    GetClosestPoints(a.GetPosition(), a.GetHeading(), GetSpineHalf(a), b.GetPosition(), b.GetHeading(),
                     GetSpineHalf(b), &onA, &onB);
    CVector3 const between = onB - onA;
    CVector3 const fallback = Normalised(b.GetPosition() - a.GetPosition(), CVector3(0.0f, 0.0f, 1.0f));
    *direction = Normalised(between, fallback);
    return between.GetLength() - GetReach(a, *direction) - GetReach(b, *direction * -1.0f);
}

void CFishShoal::Steer(CFish* fishes, unsigned int count)
{
    for (unsigned int i = 0; i < count; ++i) {
        CFish& fish = fishes[i];
        CFish::SInfluence influence;
        float const length = std::max(0.1f, fish.GetLength());
        CVector3 heading = CVector3(0.0f, 0.0f, 0.0f);
        CVector3 middle = CVector3(0.0f, 0.0f, 0.0f);
        unsigned int mates = 0;
        for (unsigned int j = 0; j < count; ++j) {
            if (j == i)
                continue;
            CFish const& other = fishes[j];
            bool const mate = AreMates(fish, other);
            CVector3 direction;
            float const gap = GetGap(fish, other, &direction);
            float const reach = length * (SeparationReach + (mate ? 0.0f : StrangerReach));
            if (gap < reach) {
                float const closeness = 1.0f - std::max(0.0f, gap) / reach;
                influence.avoid -= direction * (closeness * closeness);
            }
            // A collision course: where the two will be closest within the look-ahead.
            CVector3 const offset = other.GetPosition() - fish.GetPosition();
            CVector3 const closing =
                other.GetHeading() * other.GetSpeed() - fish.GetHeading() * fish.GetSpeed();
            float const closingSquared = closing * closing;
            if (closingSquared > 1e-6f && gap < reach + LookAhead * std::sqrt(closingSquared)) {
                float const when = std::clamp(-(offset * closing) / closingSquared, 0.0f, LookAhead);
                CVector3 const apart = offset + closing * when;
                float const room = GetReach(fish, direction) + GetReach(other, direction) + length * 0.5f;
                if (when > 0.0f && apart.GetLength() < room) {
                    // Dodge sideways to the course, away from where the other will be.
                    CVector3 away = apart - fish.GetHeading() * (apart * fish.GetHeading());
                    if (away.GetLength() < 1e-3f)
                        away = fish.GetHeading() ^ CVector3(0.0f, 0.0f, (i < j) ? 1.0f : -1.0f);
                    float const urgency = (1.0f - when / LookAhead) * (1.0f - apart.GetLength() / room);
                    influence.avoid -= Normalised(away, away) * (CourseWeight * urgency);
                }
            }
            // The first fish of a species leads it, near or far, so split schools meet again.
            if (mate && influence.leader < 0 && j < i)
                influence.leader = static_cast<int>(j);
            if (mate && (other.GetPosition() - fish.GetPosition()).GetLength() < MateReach * length) {
                heading += other.GetHeading();
                middle += other.GetPosition();
                ++mates;
            }
        }
        influence.mates = mates;
        if (mates > 0) {
            influence.align = Normalised(heading, CVector3(0.0f, 0.0f, 0.0f));
            CVector3 const toMiddle = middle / static_cast<float>(mates) - fish.GetPosition();
            float const distance = toMiddle.GetLength();
            float const spacing = MateSpacing * length;
            if (distance > spacing)
                influence.gather = toMiddle / distance * std::min(1.0f, (distance - spacing) / spacing);
        }
        fish.SetInfluence(influence);
    }
}

void CFishShoal::KeepApart(CFish* fishes, unsigned int count)
{
    for (unsigned int i = 0; i < count; ++i) {
        for (unsigned int j = i + 1; j < count; ++j) {
            CVector3 direction;
            float const gap = GetGap(fishes[i], fishes[j], &direction);
            if (gap >= MinimumGap)
                continue;
            CVector3 const push = direction * (0.5f * (MinimumGap - gap));
            fishes[i].Nudge(push * -1.0f);
            fishes[j].Nudge(push);
        }
    }
}
