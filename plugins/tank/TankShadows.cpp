#include "TankShadows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "TankLayout.h"
#include "core/Config.h"
#include "core/Engine.h"
#include "model/Model.h"
#include "model/ModelManager.h"
#include "render/IndexBuffer.h"
#include "render/ShaderDescriptor.h"
#include "render/ShaderManager.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"

namespace
{
// The quad spans -1 ... 1, so its scale is the shadow's radius.
CVector3 const QuadMin(-1.0f, -1.0f, -0.01f);
CVector3 const QuadMax(1.0f, 1.0f, 0.0f);
} // namespace

float CTankShadows::GetDarkness(float height)
{
    float const fade = 1.0f - std::clamp(height / FadeHeight, 0.0f, 1.0f);
    return FishDarkness * fade * fade;
}

float CTankShadows::GetRadius(float height)
{
    return FishRadius * (1.0f + WideningPerHeight * std::max(0.0f, height));
}

CVector3 CTankShadows::GetShadowPoint(CVector3 const& point) const
{
    float const height = std::max(0.0f, point.z - tank::GetFloorHeight(point.x, point.y));
    // Along the light down to the sand.
    float const along = m_sun.z < -1e-3f ? height / -m_sun.z : 0.0f;
    float const x = point.x + m_sun.x * along;
    float const y = point.y + m_sun.y * along;
    return CVector3(x, y, tank::GetFloorHeight(x, y));
}

void CTankShadows::Create(CEngine* engine, CVector3 const& sun, std::vector<CModel*> const& rocks)
{
    Destroy();
    m_engine = engine;
    m_sun = sun;
    for (CModel* rock : rocks) {
        CVector3 const& low = rock->GetBoundingBox().GetMinPoint();
        CVector3 const& high = rock->GetBoundingBox().GetMaxPoint();
        CVector3 const middle = (low + high) * 0.5f;
        float const reach = 0.5f * std::max(high.x - low.x, high.y - low.y) * RockReach;
        CModel* shadow = AddShadow(true);
        Place(shadow, CVector3(middle.x, middle.y, tank::GetFloorHeight(middle.x, middle.y)), reach,
              RockDarkness);
        m_rockShadows.push_back(shadow);
    }
    for (unsigned int i = 0; i < MaxFishShadows; ++i) {
        CModel* shadow = AddShadow(false);
        shadow->Show(false);
        m_fishShadows.push_back(shadow);
    }
}

CModel* CTankShadows::AddShadow(bool still)
{
    // Darkens what lies under it by the texture's value times the vertices' grey; no mip levels, which
    // would average the soft disc into a hard square where the sand is seen at a grazing angle.
    CShaderDescriptor shader;
    m_engine->GetShaderManager()->CreateShaderDescriptor(&shader, SP_BLENDING);
    shader.SetBlendingFactor(0, SBF_ZERO);
    shader.SetBlendingFactor(1, SBF_INV_SRC_COLOR);
    unsigned int const stage = shader.AddStage(SSF_TEXTURE, 1, 0.0f, Texture, nullptr, SSBT_REPEAT);
    shader.GetStage(stage)->borderU = SSBT_CLAMP;
    shader.GetStage(stage)->borderV = SSBT_CLAMP;
    CModel* shadow = m_engine->GetModelManager()->AddModelBox(shader, QuadMin, QuadMax, 0);
    shadow->RemoveProperties(MP_LIGHTING);
    shadow->AddProperties((still ? MP_OPAQUE | MP_BACKGROUND : MP_TRANSPARENT) | MP_FIXED_DEPTH);
    shadow->SetDepthValue(still ? RockDepthValue : DepthValue);
    shadow->SaveMatrix();
    // The device's copies are made now: a fish's shadow first shown mid-run allocates nothing.
    if (VertexBuffer* vertices = shadow->GetVertexBuffer())
        vertices->GetDeviceBuffer();
    for (unsigned int i = 0; i < shadow->GetTriangleSetsCount(); ++i) {
        if (TriangleSet* set = shadow->GetTriangleSet(i); set && set->GetIndexBuffer())
            set->GetIndexBuffer()->GetDeviceBuffer();
    }
    return shadow;
}

void CTankShadows::Place(CModel* shadow, CVector3 const& centre, float radius, float darkness)
{
    shadow->RestoreMatrix();
    shadow->Transform(CMatrix4x4::GetScale(CVector3(radius, radius, 1.0f)));
    // Tilted with the sand's rise toward the back.
    shadow->Transform(CMatrix4x4::GetRotationX(std::atan(tank::FloorSlope)));
    shadow->Transform(CMatrix4x4::GetTranslation(centre + CVector3(0.0f, 0.0f, Lift)));
    VertexBuffer* vertices = shadow->GetVertexBuffer();
    std::uint32_t const grey = PackColor(CVector4(darkness, darkness, darkness, 1.0f));
    if (!vertices || (vertices->GetSize() > 0 && vertices->Get()[0].color == grey))
        return;
    Vertex* locked = vertices->Lock(0, vertices->GetSize());
    for (unsigned int i = 0; i < vertices->GetSize(); ++i)
        locked[i].color = grey;
    vertices->Unlock();
}

void CTankShadows::Refresh()
{
    if (!m_engine)
        return;
    CConfig* config = m_engine->GetConfig();
    unsigned int const count = static_cast<unsigned int>(
        std::clamp(config->GetValueAsInt("g_fishes_count"), 0, int(MaxFishShadows)));
    static char const* const axes[3] = {"x", "y", "z"};
    for (unsigned int fish = 0; fish < MaxFishShadows; ++fish) {
        CModel* shadow = m_fishShadows[fish];
        if (fish >= count) {
            shadow->Show(false);
            continue;
        }
        CVector3 position;
        for (int axis = 0; axis < 3; ++axis) {
            char name[64];
            std::snprintf(name, sizeof name, "g_fish_%u_position_%s", fish, axes[axis]);
            position[axis] = config->GetValueAsFloat(name);
        }
        float const height = std::max(0.0f, position.z - tank::GetFloorHeight(position.x, position.y));
        float const darkness = GetDarkness(height);
        shadow->Show(darkness >= FaintestDarkness);
        Place(shadow, GetShadowPoint(position), GetRadius(height), darkness);
    }
}

void CTankShadows::Destroy()
{
    if (!m_engine)
        return;
    CModelManager* models = m_engine->GetModelManager();
    for (CModel* shadow : m_fishShadows)
        models->RemoveModel(shadow);
    for (CModel* shadow : m_rockShadows)
        models->RemoveModel(shadow);
    m_fishShadows.clear();
    m_rockShadows.clear();
    m_engine = nullptr;
}
