#include "FishHabits.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "../tank/TankLayout.h"
#include "Fish.h"
#include "FishArea.h"
#include "core/Engine.h"

void CFishHabits::Create(CEngine* engine, CCamera* camera, CFish const* fishes, unsigned int count)
{
    Destroy();
    m_engine = engine;
    m_camera = camera;
    m_rhythm.Plan(fishes, count);
    m_food.Clear();
    if (engine)
        m_sprites.Create(engine);
}

void CFishHabits::Destroy()
{
    m_sprites.Destroy();
    m_food.Clear();
    m_engine = nullptr;
    m_camera = nullptr;
}

void CFishHabits::Refresh(float now, float dt, float hour, CFish* fishes, unsigned int count,
                          CFishRandom& random)
{
    CRay ray;
    if (count > 0 && fishes[0].GetArea() && ReadFeedingInput(&ray) &&
        !DropAlong(ray, *fishes[0].GetArea(), random)) {
        // A pointer that does not point into the tank feeds from above its middle.
        CFishArea const& area = *fishes[0].GetArea();
        CVector3 const middle = (area.GetMin() + area.GetMax()) * 0.5f;
        DropAt(CVector3(middle.x, middle.y, area.GetMax().z - DropMargin), random);
    }
    m_rhythm.Apply(hour, fishes, count);
    if (m_engine && m_engine->GetConfig()->GetValueAsBoolean(AttentionVariable))
        m_pointer = ReadPointer();
    m_attention.Refresh(now, dt, m_pointer, fishes, count);
    m_food.Refresh(now, dt, fishes, count);
    m_sprites.Show(m_food);
}

bool CFishHabits::ReadFeedingInput(CRay* ray)
{
    if (!m_engine || !m_camera)
        return false;
    CControls* controls = m_engine->GetControls();
    if (controls->IsFree())
        return false;
    CConfig* config = m_engine->GetConfig();
    bool const click = config->GetValueAsBoolean(FeedOnClickVariable) && controls->IsKeyPressedOnce("MOUSE1");
    char key[32] = {};
    std::strncpy(key, config->GetValue(FeedKeyVariable), sizeof key - 1);
    bool const pressed = *key && controls->IsKeyPressedOnce(key);
    if (!click && !pressed)
        return false;
    *ray = GetPointerRay(controls->GetCursorPosition());
    return true;
}

CRay CFishHabits::GetPointerRay(CVector2 const& cursor) const
{
    CCameraManager* cameras = m_engine->GetCameraManager();
    float const y = static_cast<float>(cameras->GetViewport()[3]) - cursor.y - 1.0f;
    CVector3 const nearPoint = cameras->GetUnprojectedPoint(m_camera, CVector3(cursor.x, y, -1.0f));
    CVector3 const farPoint = cameras->GetUnprojectedPoint(m_camera, CVector3(cursor.x, y, 1.0f));
    return CRay(nearPoint, farPoint - nearPoint);
}

CFishAttention::SPointer CFishHabits::ReadPointer() const
{
    CFishAttention::SPointer pointer;
    if (!m_engine || !m_camera || m_engine->GetControls()->IsFree())
        return pointer;
    CControls* controls = m_engine->GetControls();
    CVector2 const cursor = controls->GetCursorPosition();
    unsigned int const* viewport = m_engine->GetCameraManager()->GetViewport();
    pointer.over = cursor.x >= 0.0f && cursor.y >= 0.0f && cursor.x < static_cast<float>(viewport[2]) &&
                   cursor.y < static_cast<float>(viewport[3]) && controls->IsPointerOnTop();
    pointer.position = cursor;
    pointer.ray = GetPointerRay(cursor);
    return pointer;
}

bool CFishHabits::DropAlong(CRay const& ray, CFishArea const& area, CFishRandom& random)
{
    CVector3 const& vector = ray.GetVector();
    if (std::abs(vector.y) < 1e-6f)
        return false;
    float const t = (DropDepth - ray.GetOrigin().y) / vector.y;
    if (t <= 0.0f || !std::isfinite(t))
        return false;
    CVector3 point = ray.GetEnd(t);
    for (int axis = 0; axis < 3; ++axis) {
        float const low = area.GetMin()[axis] + DropMargin;
        float const high = area.GetMax()[axis] - DropMargin;
        point[axis] = low < high ? std::clamp(point[axis], low, high) : (low + high) * 0.5f;
    }
    DropAt(point, random);
    return true;
}

void CFishHabits::DropAt(CVector3 const& point, CFishRandom& random)
{
    m_food.Drop(point, tank::GetFloorHeight(point.x, point.y), random);
}
