#pragma once

#include "FishAttention.h"
#include "FishFood.h"
#include "FishFoodSprites.h"
#include "FishRhythm.h"
#include "math/Ray.h"

class CCamera;
class CEngine;
class CFish;
class CFishArea;
class CFishRandom;

// What the fish do besides wandering: keep the day's rhythm, come for food and look at the
// pointer. Food drops where the pointer clicks, when the program allows it ("g_feed_on_click"),
// or before the pointer when the feeding key ("g_feed_key") is pressed. Where the program asks
// for it ("g_pointer_attention", the wallpaper) the fish notice the pointer over the tank.
class CFishHabits
{
public:
    static constexpr char const* FeedOnClickVariable = "g_feed_on_click";
    static constexpr char const* FeedKeyVariable = "g_feed_key";
    static constexpr char const* AttentionVariable = "g_pointer_attention";
    // Food clicked on the screen drops where the pointer's ray crosses this depth (y) of the tank.
    static constexpr float DropDepth = -3.0f;
    // Food drops this far inside the area's walls and below its top.
    static constexpr float DropMargin = 0.8f;

    CFishHabits() = default;
    CFishHabits(CFishHabits const&) = delete;
    CFishHabits& operator=(CFishHabits const&) = delete;

    // `engine` and `camera` may be null: no input and no drawing.
    void Create(CEngine* engine, CCamera* camera, CFish const* fishes, unsigned int count);
    void Destroy();
    // Reads the feeding input, then sets every fish's pull for this frame at local `hour`.
    void Refresh(float now, float dt, float hour, CFish* fishes, unsigned int count, CFishRandom& random);

    // Drops food where `ray` crosses the drop depth, kept inside `area`; false when it does
    // not cross.
    bool DropAlong(CRay const& ray, CFishArea const& area, CFishRandom& random);
    // Drops food at `point` over the sand below it.
    void DropAt(CVector3 const& point, CFishRandom& random);

    // The pointer the fish notice from the next frame on, for a host that tracks it itself;
    // the program's pointer replaces it where "g_pointer_attention" is set.
    void SetPointer(CFishAttention::SPointer const& pointer) { m_pointer = pointer; }

    CFishRhythm const& GetRhythm() const { return m_rhythm; }
    CFishAttention const& GetAttention() const { return m_attention; }
    CFishFood const& GetFood() const { return m_food; }

private:
    // The pointer's ray into the tank when the feeding input asks for food this frame.
    bool ReadFeedingInput(CRay* ray);
    // The pointer's place and ray; not over the tank when the program has no pointer.
    CFishAttention::SPointer ReadPointer() const;
    CRay GetPointerRay(CVector2 const& cursor) const;

    CEngine* m_engine = nullptr;
    CCamera* m_camera = nullptr;
    CFishRhythm m_rhythm;
    CFishFood m_food;
    CFishAttention m_attention;
    CFishAttention::SPointer m_pointer;
    CFishFoodSprites m_sprites;
};
